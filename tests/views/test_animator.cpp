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
    EXPECT_EQ(zoom.easingCurve().type(), QEasingCurve::OutQuad);
    EXPECT_EQ(zoom.startValue().toDouble(), 1.5);
    zoom.setCurrentTime(375);
    const double halfway = 1.5 + 2.5 * QEasingCurve(QEasingCurve::OutQuad).valueForProgress(0.5);
    EXPECT_DOUBLE_EQ(view.transform().m11(), halfway);
    zoom.setCurrentTime(750);
    const QTransform t = view.transform();
    EXPECT_EQ(t, QTransform(4, 0.25, 0, 0.5, 4, 0, 7, 9, 1));
}

TEST(Animator, SceneRectangle)
{
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
    SUCCEED();
}

// A new hole glides a visible view and sets a hidden one at once.
class GlideTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.reset();
        view.resize(600, 300);
        view.show();
        scene = new TopScene(&view);
        scene->modelChanged(model, AllChanged);
        QCoreApplication::processEvents();
    }

    SwingModel model;
    QGraphicsView view;
    TopScene* scene = nullptr;
};

TEST_F(GlideTest, HiddenViewJumps)
{
    view.hide();
    const QRectF before = scene->sceneRect();
    model.selectHole(4);
    EXPECT_NE(scene->sceneRect(), before);
    EXPECT_TRUE(scene->sceneRect().contains(100, 0));
}

TEST_F(GlideTest, VisibleViewGlidesToTheSameFraming)
{
    const double zoomBefore = view.transform().m11();
    const QRectF before = scene->sceneRect();
    model.selectHole(4);
    // The ball refit that follows the hole change does not jump ahead.
    EXPECT_EQ(scene->sceneRect(), before);

    // Where the jump would have gone.
    QGraphicsView reference;
    reference.resize(600, 300);
    reference.show();
    reference.hide();
    auto* expected = new TopScene(&reference);
    expected->modelChanged(model, AllChanged);

    // The framing passes through rectangles between the two holes' framings.
    int between = 0;
    QElapsedTimer clock;
    clock.start();
    while (scene->sceneRect() != expected->sceneRect() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QRectF now = scene->sceneRect();
        if (now.width() > expected->sceneRect().width() && now.width() < before.width())
            ++between;
    }
    EXPECT_GT(between, 0);
    EXPECT_EQ(scene->sceneRect(), expected->sceneRect());
    EXPECT_DOUBLE_EQ(view.transform().m11(), reference.transform().m11());
    EXPECT_NE(view.transform().m11(), zoomBefore);
}

TEST_F(GlideTest, FullResetJumps)
{
    view.hide();
    model.selectHole(4);
    view.show();
    model.reset(); // back to hole 1 with AllChanged: no waiting
    QGraphicsView reference;
    reference.resize(600, 300);
    reference.show();
    reference.hide();
    auto* expected = new TopScene(&reference);
    expected->modelChanged(model, AllChanged);
    EXPECT_DOUBLE_EQ(view.transform().m11(), reference.transform().m11());
}
