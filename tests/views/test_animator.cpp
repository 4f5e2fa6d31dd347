#include "ViewsTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>

using GlideTest = TwoViews;

// The plan view glides to a new hole while shown and ends where a hidden twin,
// which always jumps, is.
TEST_F(GlideTest, ShownPlanGlidesToWhereAHiddenOneJumps)
{
    QGraphicsView reference;
    reference.resize(600, 300);
    reference.show();
    reference.hide();
    auto* twin = new TopScene(&reference);
    twin->modelChanged(model, AllChanged);
    topView.show();
    QCoreApplication::processEvents();

    const QRectF before = top->sceneRect();
    model.selectHole(4);
    EXPECT_EQ(top->sceneRect(), before); // the ball refit that follows does not jump ahead
    int between = 0;
    QElapsedTimer clock;
    clock.start();
    while (top->sceneRect() != twin->sceneRect() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const double width = top->sceneRect().width();
        between += width > twin->sceneRect().width() && width < before.width();
    }
    EXPECT_GT(between, 0);
    EXPECT_EQ(top->sceneRect(), twin->sceneRect());
    EXPECT_DOUBLE_EQ(zoom(topView), zoom(reference));
}
