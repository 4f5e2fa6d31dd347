#include "Animator.h"
#include "ViewsTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// Half-way through 750 ms of out-quad easing, keeping shear and translation.
TEST(Animator, ZoomEasesOutKeepingTheRestOfTheMatrix)
{
    QGraphicsView view;
    view.setTransform(QTransform(1.5, 0.25, 0, 0.5, 1.5, 0, 7, 9, 1));
    Animator zoom(&view, 4.0);
    zoom.setCurrentTime(375);
    EXPECT_EQ(view.transform(), QTransform(3.375, 0.25, 0, 0.5, 3.375, 0, 7, 9, 1));
}

// The plan view glides to a new hole while shown and jumps while hidden or on
// a full reset; either way it ends where a hidden twin, which always jumps, is.
class GlideTest : public TwoViews
{
protected:
    void SetUp() override
    {
        TwoViews::SetUp();
        reference.resize(600, 300);
        reference.show();
        reference.hide();
        expected = new TopScene(&reference);
        expected->modelChanged(model, AllChanged);
        topView.show();
        QCoreApplication::processEvents();
    }
    void expectReferenceFraming()
    {
        EXPECT_EQ(top->sceneRect(), expected->sceneRect());
        EXPECT_DOUBLE_EQ(zoom(topView), zoom(reference));
    }
    QGraphicsView reference;
    TopScene* expected = nullptr; // owned by the view
};

TEST_F(GlideTest, HiddenViewAndFullResetJump)
{
    topView.hide();
    model.selectHole(4);
    expectReferenceFraming();
    topView.show();
    model.reset(); // back to hole 1 at once, although its first notice is a hole change
    expectReferenceFraming();
}

TEST_F(GlideTest, VisibleViewGlidesToTheSameFraming)
{
    const QRectF before = top->sceneRect();
    model.selectHole(4);
    EXPECT_EQ(top->sceneRect(), before); // the ball refit that follows does not jump ahead

    int between = 0;
    QElapsedTimer clock;
    clock.start();
    while (top->sceneRect() != expected->sceneRect() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const double width = top->sceneRect().width();
        between += width > expected->sceneRect().width() && width < before.width();
    }
    EXPECT_GT(between, 0);
    expectReferenceFraming();
}
