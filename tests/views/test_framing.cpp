#include "ViewsTestSupport.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <array>

namespace {
void wheel(QWidget* port, QPoint at, int clicks)
{
    QWheelEvent event(at, port->mapToGlobal(at), QPoint(), QPoint(0, 120 * clicks), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(port, &event);
}
} // namespace

using FramingTest = TwoViews;

// Shots that leave the hole, far aside, high or hooked: both views show the
// whole track and the ball, after the run and at every step of the replay.
// The plan's aim arrow points the way the ball sets off.
TEST_F(FramingTest, ShotsStayInBothViews)
{
    for (const auto& [hole, launch, target, sideSpin] :
         {std::array<double, 4>{1, 15, -30, 0}, {1, 15, 0, 6000}, {4, 60, 20, 0}}) {
        model.selectHole(int(hole));
        swing(175, launch, target, sideSpin);
        const QPointF aim = top->teeArrow->mapToScene(1, 0) - top->teeArrow->scenePos();
        const QPointF way = top->toScene(model.currentPoint(20) - model.currentPoint(0));
        EXPECT_NEAR(aim.y() / aim.x(), way.y() / way.x(), 0.02) << target;
        const int last = model.currentStepCount() - 1;
        top->startTracking();
        side->startTracking();
        for (int step = 0; step <= last; step += std::max(1, last / 20)) {
            model.setCurrentStep(step);
            EXPECT_TRUE(shown(topView).contains(ballRect(top))) << step;
            EXPECT_TRUE(shown(sideView).contains(ballRect(side))) << step;
        }
        model.setCurrentStep(last);
        EXPECT_TRUE(shown(topView).contains(top->track->sceneBoundingRect() | ballRect(top)));
        EXPECT_TRUE(shown(sideView).contains(side->track->sceneBoundingRect() | ballRect(side)));
    }
}

// The wheel zooms about the cursor, a drag pans, and both hold through the
// refits of a replay until a double click, a new shot or another hole.
TEST_F(FramingTest, UserZoomAndPanHoldUntilRefitAsked)
{
    swing(110, 45, 0);
    const QRectF fitted = shown(sideView);
    QWidget* port = sideView.viewport();
    const QPoint cursor(200, 120);
    const QPointF under = sideView.mapToScene(cursor);
    wheel(port, cursor, 3);
    EXPECT_LT(shown(sideView).width(), fitted.width() / 1.5);
    EXPECT_LT(QLineF(sideView.mapToScene(cursor), under).length(), 2 / zoom(sideView));

    QTest::mousePress(port, Qt::LeftButton, {}, cursor);
    QTest::mouseMove(port, cursor + QPoint(60, -30));
    QTest::mouseRelease(port, Qt::LeftButton, {}, cursor + QPoint(60, -30));
    EXPECT_LT(QLineF(sideView.mapToScene(cursor + QPoint(60, -30)), under).length(),
              2 / zoom(sideView));

    const QRectF chosen = shown(sideView);
    replay(0, 600, 50);
    EXPECT_EQ(shown(sideView), chosen);
    QTest::mouseDClick(port, Qt::LeftButton, {}, cursor);
    EXPECT_EQ(shown(sideView), fitted);

    // Another hole or a new shot is framed afresh.
    wheel(port, cursor, -2);
    model.selectHole(2);
    EXPECT_FALSE(side->framedByUser());
    wheel(port, cursor, -2);
    swing(90, 45, 0);
    EXPECT_FALSE(side->framedByUser());
}

// Besides the hole and the shot, each view frames the tee box, the axes with
// their letters, a comparison trace's name at the right edge and, in the plan
// view, the wind arrow with "Wind" beside it, uncovered: a shot far to the
// side, or a strong wind any way, leaves none of them out.
TEST_F(FramingTest, TeeAxesLabelsAndWindStayWhole)
{
    const auto whole = [](const QGraphicsView& view, const QGraphicsItem* item) {
        return shown(view).contains(item->sceneTransform().mapRect(item->childrenBoundingRect()));
    };
    const auto expectWhole = [&](double when) {
        for (const SwingScene* scene : scenes()) {
            const QGraphicsView& view = *scene->views().first();
            EXPECT_TRUE(shown(view).contains(scene->teeBox->sceneBoundingRect())) << when;
            EXPECT_TRUE(whole(view, scene->axes)) << when;
            const auto labels = labelsOf(scene, {"x", "y", "z", "Wind", "a-long-comparison.txt"});
            EXPECT_EQ(labels.size(), scene == top ? 4 : 3) << when;
            for (const auto* label : labels)
                EXPECT_TRUE(QRect({}, view.viewport()->size()).contains(labelBox(view, label)))
                    << when << " " << label->text().toStdString();
        }
    };
    model.selectHole(2);
    SwingModel other(false); // ends at the right edge
    other.selectHole(1);
    for (int i = 0; i <= 100; ++i)
        other.setPoint(i, {0, i * 1.66, 0});
    for (SwingScene* scene : scenes())
        scene->drawTrajectory(other, "a-long-comparison.txt");
    for (const double sideSpin : {6000, -6000}) { // 145 yd to either side
        swing(175, 45, 0, sideSpin);
        expectWhole(sideSpin);
    }
    model.selectHole(4);
    model.setWindSpeed(20);
    for (const double direction : {0.0, 22.0, 45.0, 90.0, 135.0, 180.0, 225.0, 270.0, 330.0}) {
        model.setWindDir(direction);
        expectWhole(direction);
        EXPECT_TRUE(whole(topView, top->windArrow)) << direction;
        const QGraphicsItem* shaft = top->windArrow->childItems().first();
        const QPolygon drawn =
            topView.mapFromScene(shaft->mapToScene(shaft->shape()).toFillPolygon());
        EXPECT_FALSE(QRegion(drawn).intersects(labelBox(topView, labelsOf(top, {"Wind"})[0])))
            << direction;
    }
}

// However far out the framing has to go, the ball is at least 6 pixels
// across, in views of any size.
class BallSize : public TwoViews, public ::testing::WithParamInterface<QSize>
{
};

TEST_P(BallSize, AtLeastSixPixelsAtAnyFraming)
{
    resizeViews(GetParam());
    const auto expectSeen = [&](const char* when) {
        for (SwingScene* scene : scenes()) {
            scene->fitToView(false);
            const QGraphicsView& view = *scene->views().first();
            const QSize ball = view.mapFromScene(ballRect(scene)).boundingRect().size();
            EXPECT_GE(std::min(ball.width(), ball.height()), 6) << when;
            EXPECT_TRUE(shown(view).contains(ballRect(scene))) << when;
        }
    };
    expectSeen("at the tee");
    model.selectHole(2);
    swing(175, 30, 0, 6000);
    model.setCurrentStep(-1);
    expectSeen("far to the side");
}

INSTANTIATE_TEST_SUITE_P(Views, BallSize,
                         ::testing::Values(QSize(600, 300), QSize(300, 150), QSize(1200, 250)));
