#include "Palette.h"
#include "ViewsTestSupport.h"

#include <QCoreApplication>
#include <cmath>

class SceneTest : public TwoViews
{
protected:
    // n points whose downrange distance is their step, peaking at 10 high.
    void makeShot(int n)
    {
        for (int i = 0; i < n; ++i)
            model.setPoint(i, {0.5, double(i), 10 - std::abs(i - n / 2.0) / n * 10});
    }
};

// Every built-in hole is framed whole, tee to green; a putt frames only the green, and the ball
// with it when it lies off the green.
TEST_F(SceneTest, FitFramesTheHoleOrWhilePuttingTheGreen)
{
    for (int hole = 4; hole >= 1; --hole) {
        model.selectHole(hole);
        for (const SwingScene* scene : scenes()) {
            const QRectF seen = shown(*scene->views().first());
            // A level green is a line in the elevation.
            const QRectF green = scene->greenPart(SwingScene::GreenRole)->sceneBoundingRect();
            EXPECT_TRUE(seen.contains(green.topLeft()) && seen.contains(green.bottomRight()))
                << hole;
            EXPECT_TRUE(seen.contains(scene->teeBox->sceneBoundingRect())) << hole;
        }
    }
    model.setBallPos(model.hole.HolePos);
    model.setPuttEnabled(true);
    EXPECT_EQ(top->sceneRect(), top->greenPart(SwingScene::GreenRole)->sceneBoundingRect());
    model.setBallPos({-5, 120, -6});
    for (const SwingScene* scene : scenes()) {
        const QRectF seen = shown(*scene->views().first());
        EXPECT_TRUE(seen.contains(ballRect(scene)));
        EXPECT_TRUE(seen.contains(scene->greenPart(SwingScene::GreenRole)->sceneBoundingRect()));
    }
}

TEST_F(SceneTest, ResizeRefitsBackInTheEventLoop)
{
    topView.show();
    QCoreApplication::processEvents();
    const double before = zoom(topView);
    topView.resize(1200, 600);
    QCoreApplication::processEvents();
    EXPECT_GT(zoom(topView), 1.5 * before);
}

// The scenery lies along the hole. In the plan it is drawn under the green,
// the ball and the track; in the elevation the trees stand on the ground
// behind it, bunkers and the path lie in front of it.
TEST_F(SceneTest, SceneryLiesAlongTheHoleBehindThePlay)
{
    for (int hole : {1, 4}) {
        model.selectHole(hole);
        const Vector3 h = model.hole.HolePos;
        const double play =
            std::min({top->greenGroup->zValue(), top->ball->zValue(), top->track->zValue()});
        for (const SwingScene* scene : scenes()) {
            for (qsizetype i = 0; i < scene->decorations.size(); ++i) {
                SCOPED_TRACE(testing::Message() << hole << " " << i << (scene == top));
                const DecorationItem* d = scene->decorations[i];
                const QRectF r = d->sceneBoundingRect();
                EXPECT_TRUE(!r.isEmpty() && r.right() > 0 && r.left() < 1.1 * h.y);
                if (scene == top) {
                    EXPECT_LT(d->zValue(), play);
                } else { // the trees come first
                    EXPECT_EQ(d->zValue() < side->ground->zValue(), i < 11);
                    EXPECT_TRUE(i >= 11 ||
                                std::abs(d->y() + model.groundHeight(h.x, d->x()) - 1) < 1);
                }
            }
        }
    }
}

// The side tilt decides whether the far (light) or the near (dark) side of
// the green shows, behind or in front of the ball; the flagstick stands on it.
// However the green tilts and wherever the ball lies, the ball and its track
// are drawn over the green.
TEST_F(SceneTest, ElevationGreenFacesTheViewerByItsSideTiltUnderTheBall)
{
    auto* green = static_cast<QGraphicsEllipseItem*>(side->greenPart(SwingScene::GreenRole));
    auto* stick = static_cast<QGraphicsLineItem*>(side->greenPart(SwingScene::FlagstickRole));
    model.setBallPos({2, 0, 0}); // depth 2
    model.setGreenYRot(5);
    EXPECT_EQ(green->brush().color(), Palette::GreenTurf);
    EXPECT_LT(side->greenGroup->zValue(), 2);
    model.setGreenYRot(-5);
    EXPECT_EQ(green->brush().color(), Palette::DarkTurf);
    EXPECT_GT(side->greenGroup->zValue(), 2);
    EXPECT_NEAR(stick->line().p1().y(), green->rect().top(), 1e-12);

    model.selectHole(2);
    model.setPuttEnabled(true);
    makeShot(5);
    side->drawTrajectory(model, QString());
    for (double x : {-12.0, 4.0}) {
        model.setBallPos({x, 154, -7});
        for (double tilt : {-10.0, -3.5, 0.0, 3.5, 10.0}) {
            model.setGreenYRot(tilt);
            EXPECT_GT(side->ball->zValue(), side->greenGroup->zValue()) << x << " " << tilt;
            EXPECT_GT(side->track->zValue(), side->greenGroup->zValue()) << x << " " << tilt;
        }
    }
}

// Thinned to a stride, the drawn shot still ends where the ball did.
TEST_F(SceneTest, LongTrajectoryIsThinnedButEndsAtItsLastPoint)
{
    makeShot(2500);
    for (int last : {2499, 2500}) {
        model.setPoint(last, {0, double(last), 0});
        top->drawTrajectory(model, QString());
        const QPainterPath path = top->track->path();
        EXPECT_LT(path.elementCount(), 1000);
        EXPECT_EQ(path.elementAt(path.elementCount() - 1).x, last);
    }
}

// Wherever the ball can come down, the drawn terrain is the ground the
// simulator uses, along the line through the green.
TEST_F(SceneTest, ElevationTerrainIsTheSimulatedGround)
{
    model.defineHole(9, 12, {4, 180, 2}, {4, 180, 2}, {3, 70, 9}, {10, 10, 20}, "Oak");
    for (int hole : {1, 2, 3, 9}) {
        model.selectHole(hole);
        const QPainterPath ground = side->ground->path();
        const Vector3 h = model.hole.HolePos;
        for (double y = 2.5; y < h.y + model.hole.GreenSize / 2 + 30; y += 0.25) {
            const double z = model.groundHeight(h.x, y);
            ASSERT_TRUE(ground.contains(QPointF(y, -z + 0.05)) &&
                        !ground.contains(QPointF(y, -z - 0.05)))
                << "hole " << hole << " y " << y;
        }
    }
}

// Repaints each band of 40 pixel rows, at every 13th row, over a stale
// picture: antialiasing aside, it must be what a whole repaint shows there,
// so every item's bounds cover what it paints.
static void expectBandsRepaintWhole(QGraphicsView& view)
{
    QImage whole(view.viewport()->size(), QImage::Format_RGB32);
    view.viewport()->render(&whole);
    for (int top = 0; top < whole.height(); top += 13) {
        const QRect band(0, top, whole.width(), std::min(40, whole.height() - top));
        QImage part(whole.size(), QImage::Format_RGB32);
        part.fill(Qt::magenta);
        view.viewport()->render(&part, band.topLeft(), QRegion(band));
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = 0; x < whole.width(); ++x) {
                const QRgb a = whole.pixel(x, y), b = part.pixel(x, y);
                for (int shift : {0, 8, 16}) // each colour
                    ASSERT_LE(std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)), 2)
                        << "band from row " << top << " at " << x << ", " << y;
            }
    }
}

// Hole 3 has a tree of its own, a hill and scenery on both sides; a shot, a
// comparison trace with its name and a long wind arrow cross it.
TEST_F(SceneTest, ABandRepaintsEverythingThatCrossesIt)
{
    model.selectHole(3);
    swing(120, 45, 0);
    model.setCurrentStep(-1);
    for (SwingScene* scene : scenes()) {
        scene->drawTrajectory(model, QString());
        scene->drawTrajectory(model, "other-shot.txt");
    }
    model.setValue("WindSpeed", 20);
    for (const bool putt : {false, true}) {
        model.setPuttEnabled(putt);
        expectBandsRepaintWhole(topView);
        expectBandsRepaintWhole(sideView);
    }
}
