#include "Palette.h"
#include "ViewsTestSupport.h"

#include <QCoreApplication>
#include <cmath>

class SceneTest : public TwoViews
{
protected:
    // The zoom that fits r, grown by 2 on each side, into the view.
    static double zoomFor(const QGraphicsView& view, const QRectF& r)
    {
        const QSize port = view.viewport()->size();
        return std::min(port.width() / (r.width() + 4), port.height() / (r.height() + 4));
    }
    // n points whose downrange distance is their step, peaking at 10 high.
    void makeShot(int n)
    {
        for (int i = 0; i < n; ++i)
            model.setPoint(i, {0.5, double(i), 10 - std::abs(i - n / 2.0) / n * 10});
    }
    static QList<double> xs(const QPainterPath& path)
    {
        QList<double> result;
        for (int i = 0; i < path.elementCount(); ++i)
            result.append(path.elementAt(i).x);
        return result;
    }
};

TEST_F(SceneTest, Mappings)
{
    EXPECT_EQ(QList<QPointF>({top->toScene(1, 2, 3), top->tiltToScene(4, 5), side->toScene(1, 2, 3),
                              side->tiltToScene(4, 5)}),
              QList<QPointF>({{2, 1}, {-4, 5}, {2, -3}, {5, -4}}));
    EXPECT_EQ(top->depthOf(1, 2, 3), 3);
    EXPECT_EQ(side->depthOf(1, 2, 3), 1);
}

// Every built-in hole is framed whole, tee to green, at the zoom that fits it;
// the ball going astray does not move the framing.
TEST_F(SceneTest, FitFramesTheHoleButNotTheBallOrWhilePuttingOnTheGreen)
{
    for (int hole = 1; hole <= 4; ++hole) {
        model.selectHole(hole);
        for (const SwingScene* scene : scenes()) {
            const QGraphicsView& view = *scene->views().first();
            const QRectF seen = shown(view);
            // A level green is a line in the elevation.
            const QRectF green = scene->greenPart(SwingScene::GreenRole)->sceneBoundingRect();
            EXPECT_TRUE(seen.contains(green.topLeft()) && seen.contains(green.bottomRight()))
                << hole;
            EXPECT_TRUE(seen.contains(scene->teeBox->sceneBoundingRect())) << hole;
            EXPECT_NEAR(zoom(view), zoomFor(view, scene->sceneRect()), 1e-9) << hole;
        }
    }
    model.selectHole(1);
    const QRectF framed = top->sceneRect();
    model.setBallPos({400, 900, 50});
    EXPECT_EQ(top->sceneRect(), framed);

    model.defineHole(9, 10, {0, 300, 0}, {0, 300, 0}, {}, {}, ""); // 300 long
    // The minimum height holds for the grown rectangle, which the view shows.
    EXPECT_GE(shown(topView).height(), 72 - 1e-6);
    EXPECT_GE(shown(sideView).height(), 96 - 1e-6);
    EXPECT_LE(shown(sideView).top(), -5 + 1e-6);

    model.setBallPos({0, 300, 0});
    model.setPuttEnabled(true); // only the green, without the minimum height
    const QRectF green = top->greenPart(SwingScene::GreenRole)->sceneBoundingRect();
    EXPECT_EQ(top->sceneRect(), green);
    EXPECT_NEAR(zoom(topView), zoomFor(topView, green), 1e-9);
}

TEST_F(SceneTest, ResizesRefitOnceBackInTheEventLoop)
{
    topView.show();
    QCoreApplication::processEvents();
    const double before = zoom(topView);
    topView.resize(500, 250);
    topView.resize(1200, 600);
    EXPECT_EQ(zoom(topView), before);
    QCoreApplication::processEvents();
    EXPECT_NEAR(zoom(topView), zoomFor(topView, top->sceneRect()), 1e-9);
}

// The scenery lies along the hole. In the plan it is drawn under the green,
// the ball and the track; in the elevation the trees stand on the ground
// behind everything, bunkers and the path lie in front
// of the ground, the path running from behind the tee to beyond the hole.
TEST_F(SceneTest, SceneryLiesAlongTheHoleBehindThePlay)
{
    for (int hole : {1, 4}) {
        model.selectHole(hole);
        const Vector3 h = model.hole.HolePos;
        for (const SwingScene* scene : scenes()) {
            for (qsizetype i = 0; i < scene->decorations.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "hole " << hole << " item " << i
                                                << (scene == top ? " plan" : " elevation"));
                const DecorationItem* d = scene->decorations[i];
                const QRectF r = d->sceneBoundingRect();
                ASSERT_FALSE(r.isEmpty());
                if (i == scene->decorations.size() - 1) // the path
                    EXPECT_TRUE(r.left() < 0 && r.right() > h.y);
                else
                    EXPECT_TRUE(d->x() > 0 && d->x() < 1.1 * h.y);
                if (scene == top) {
                    EXPECT_LT(d->zValue(), std::min({top->greenGroup->zValue(), top->ball->zValue(),
                                                     top->track->zValue()}));
                } else if (i < 11) { // the trees
                    EXPECT_LT(d->zValue(), side->ground->zValue());
                    EXPECT_NEAR(d->y(), -model.groundHeight(h.x, d->x()) + 1, 1);
                } else {
                    EXPECT_GT(d->zValue(), side->ground->zValue());
                }
            }
        }
    }
}

// The green darkens towards its low side, the more the steeper it is up to
// ten degrees.
TEST_F(SceneTest, PlanGreenDarkensWithItsTilt)
{
    model.selectHole(4); // flat
    auto* green = static_cast<QGraphicsEllipseItem*>(top->greenPart(SwingScene::GreenRole));
    EXPECT_EQ(green->brush(), QBrush(Palette::GreenTurf));
    const auto startColour = [&] { return green->brush().gradient()->stops().value(0).second; };
    model.setGreenXRot(5);
    const QColor half = startColour();
    EXPECT_GT(half.green(), Palette::DarkTurf.green());
    EXPECT_LT(half.green(), Palette::GreenTurf.green());
    model.setGreenXRot(10);
    EXPECT_EQ(startColour(), Palette::DarkTurf);
    model.setGreenXRot(0);
    model.setGreenYRot(25);
    EXPECT_TRUE(startColour().isValid());
    EXPECT_LT(startColour().green(), Palette::DarkTurf.green());
}

// The side tilt decides whether the far (light) or the near (dark) side of
// the green shows, behind or in front of the ball; the flagstick stands on it.
TEST_F(SceneTest, ElevationGreenFacesTheViewerByItsSideTilt)
{
    auto* green = static_cast<QGraphicsEllipseItem*>(side->greenPart(SwingScene::GreenRole));
    auto* stick = static_cast<QGraphicsLineItem*>(side->greenPart(SwingScene::FlagstickRole));
    model.setBallPos({2, 0, 0}); // depth 2
    model.setGreenYRot(5);
    EXPECT_EQ(green->brush().color(), Palette::GreenTurf);
    EXPECT_LT(side->greenGroup->zValue(), 2);
    EXPECT_EQ(stick->line().p1(), QPointF(0, 0));
    model.setGreenYRot(-5);
    EXPECT_EQ(green->brush().color(), Palette::DarkTurf);
    EXPECT_GT(side->greenGroup->zValue(), 2);
    EXPECT_NEAR(stick->line().p1().y(), green->rect().top(), 1e-12);
    EXPECT_LT(stick->line().p1().y(), 0);
}

TEST_F(SceneTest, LongTrajectoryIsThinnedButKeepsItsLastPoint)
{
    makeShot(2500);
    top->drawTrajectory(model, QString());
    // 0, 3, ..., 2499; the closing line to 2499 again adds no element.
    const QList<double> x = xs(top->track->path());
    ASSERT_EQ(x.size(), 834);
    EXPECT_EQ(x[1], 3);
    EXPECT_EQ(x[833], 2499);
    EXPECT_NEAR(top->track->zValue(), 10, 0.01); // the highest point drawn

    model.setPoint(2500, {0, 2500, 0}); // the stride skips it, the end does not
    top->drawTrajectory(model, QString());
    EXPECT_EQ(xs(top->track->path()).mid(833), QList<double>({2499, 2500}));

    model.clearCurrentShot();
    makeShot(1000);
    side->drawTrajectory(model, QString());
    EXPECT_EQ(xs(side->track->path()).size(), 1000);
}

TEST_F(SceneTest, ComparisonTracesAreKeptUntilCleared)
{
    makeShot(10);
    const qsizetype items = top->items().size();
    top->drawTrajectory(model, "other.dat");
    top->drawTrajectory(model, "third.dat");
    ASSERT_EQ(top->traces.size(), 4);
    EXPECT_EQ(static_cast<PathItem*>(top->traces[0])->pen().color(), QColor(Qt::yellow));
    EXPECT_EQ(static_cast<TextItem*>(top->traces[1])->text(), "other.dat");
    EXPECT_EQ(top->traces[1]->pos(), QPointF(9, 0.5));

    top->clearTraces();
    EXPECT_TRUE(top->traces.isEmpty());
    EXPECT_EQ(top->items().size(), items);
}

TEST_F(SceneTest, TrackingFollowsTheBallFromItsFirstMove)
{
    makeShot(5);
    side->drawTrajectory(model, QString());
    side->startTracking();
    EXPECT_EQ(side->track->trackState, 1);

    // From where the ball first is, not the origin, through the ball's centre.
    model.setCurrentStep(2);
    model.setCurrentStep(3);
    side->startTracking(); // already drawing: nothing restarts
    EXPECT_EQ(side->track->trackState, -1);
    const QPointF centre(0, -0.3);
    EXPECT_EQ(corners(side), QList<QPointF>({side->toScene(model.currentPoint(2)) + centre,
                                             side->toScene(model.currentPoint(3)) + centre}));
    side->stopTracking();
    model.setCurrentStep(4);
    EXPECT_EQ(side->ball->pos(), side->toScene(model.currentPoint(4)));
    EXPECT_EQ(side->track->path().elementCount(), 2);
}

// However the green tilts and wherever the ball lies, the elevation draws the
// ball and its track over the green.
TEST_F(SceneTest, ElevationBallAndTrackStayOverTheGreen)
{
    model.selectHole(2);
    model.setPuttEnabled(true);
    makeShot(5);
    side->drawTrajectory(model, QString());
    for (double x : {-12.0, -10.0, 4.0}) {
        model.setBallPos({x, 154, -7});
        for (double tilt : {-10.0, -3.5, 0.0, 3.5, 10.0}) {
            model.setGreenYRot(tilt);
            EXPECT_GT(side->ball->zValue(), side->greenGroup->zValue()) << x << " " << tilt;
            EXPECT_GT(side->track->zValue(), side->greenGroup->zValue()) << x << " " << tilt;
        }
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
            ASSERT_TRUE(ground.contains(QPointF(y, -z + 0.05))) << "hole " << hole << " y " << y;
            ASSERT_FALSE(ground.contains(QPointF(y, -z - 0.05))) << "hole " << hole << " y " << y;
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
        int worst = 0;
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = 0; x < whole.width(); ++x) {
                const QRgb a = whole.pixel(x, y), b = part.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)),
                                  std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
            }
        ASSERT_LE(worst, 2) << "band from row " << top;
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
