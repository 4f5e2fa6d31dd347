#include "Animator.h"
#include "TopScene.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGraphicsView>
#include <gtest/gtest.h>

TEST(Animator, ZoomKeepsShearAndTranslation)
{
    QGraphicsView view;
    view.setTransform(QTransform(1.5, 0.25, 0, 0.5, 1.5, 0, 7, 9, 1));
    Animator zoom(&view, 4.0);
    EXPECT_EQ(zoom.duration(), 750);
    zoom.setCurrentTime(375);
    EXPECT_DOUBLE_EQ(view.transform().m11(),
                     1.5 + 2.5 * QEasingCurve(QEasingCurve::OutQuad).valueForProgress(0.5));
    zoom.setCurrentTime(750);
    EXPECT_EQ(view.transform(), QTransform(4, 0.25, 0, 0.5, 4, 0, 7, 9, 1));

    QGraphicsScene scene(0, 0, 10, 10);
    Animator rect(&scene, QRectF(100, -20, 50, 30));
    rect.setCurrentTime(750);
    EXPECT_EQ(scene.sceneRect(), QRectF(100, -20, 50, 30));
}

TEST(Animator, ClosedViewIsLeftAlone)
{
    auto* view = new QGraphicsView;
    Animator zoom(view, 3.0);
    delete view;
    zoom.setCurrentTime(750); // must not touch the deleted view
}

// A plan view of the model, 600 x 300, shown; and where a jump would put it.
class GlideTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.reset();
        for (QGraphicsView* v : {&view, &reference}) {
            v->resize(600, 300);
            v->show();
        }
        reference.hide();
        scene = new TopScene(&view);
        expected = new TopScene(&reference);
        scene->modelChanged(model, AllChanged);
        QCoreApplication::processEvents();
    }

    SwingModel model;
    QGraphicsView view, reference;
    TopScene* scene = nullptr;
    TopScene* expected = nullptr;
};

TEST_F(GlideTest, HiddenViewJumps)
{
    view.hide();
    model.selectHole(4);
    EXPECT_EQ(scene->sceneRect(), expected->sceneRect());
    EXPECT_EQ(view.transform(), reference.transform());
}

TEST_F(GlideTest, VisibleViewGlidesToTheSameFraming)
{
    const QRectF before = scene->sceneRect();
    model.selectHole(4);
    EXPECT_EQ(scene->sceneRect(), before); // the ball refit that follows does not jump ahead

    int between = 0;
    QElapsedTimer clock;
    clock.start();
    while (scene->sceneRect() != expected->sceneRect() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const double width = scene->sceneRect().width();
        between += width > expected->sceneRect().width() && width < before.width();
    }
    EXPECT_GT(between, 0);
    EXPECT_EQ(scene->sceneRect(), expected->sceneRect());
    EXPECT_DOUBLE_EQ(view.transform().m11(), reference.transform().m11());
}

TEST_F(GlideTest, FullResetJumps)
{
    view.hide();
    model.selectHole(4);
    view.show();
    model.reset(); // back to hole 1 at once, although its first notice is a hole change
    EXPECT_EQ(scene->sceneRect(), expected->sceneRect());
    EXPECT_DOUBLE_EQ(view.transform().m11(), reference.transform().m11());
}
