#include "Animator.h"
#include "TopScene.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGraphicsView>
#include <gtest/gtest.h>

// Half-way through 750 ms of out-quad easing, keeping shear and translation.
TEST(Animator, ZoomEasesOutKeepingTheRestOfTheMatrix)
{
    QGraphicsView view;
    view.setTransform(QTransform(1.5, 0.25, 0, 0.5, 1.5, 0, 7, 9, 1));
    Animator zoom(&view, 4.0);
    zoom.setCurrentTime(375);
    EXPECT_EQ(view.transform(), QTransform(3.375, 0.25, 0, 0.5, 3.375, 0, 7, 9, 1));
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
    void expectReferenceFraming()
    {
        EXPECT_EQ(scene->sceneRect(), expected->sceneRect());
        EXPECT_DOUBLE_EQ(view.transform().m11(), reference.transform().m11());
    }

    SwingModel model;
    QGraphicsView view, reference;
    TopScene* scene = nullptr; // owned by the views
    TopScene* expected = nullptr;
};

TEST_F(GlideTest, HiddenViewAndFullResetJump)
{
    view.hide();
    model.selectHole(4);
    expectReferenceFraming();
    view.show();
    model.reset(); // back to hole 1 at once, although its first notice is a hole change
    expectReferenceFraming();
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
    expectReferenceFraming();
}
