#include "Palette.h"
#include "SideScene.h"
#include "TopScene.h"

#include <QCoreApplication>
#include <QGraphicsView>
#include <QLinearGradient>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

// ---- Mappings and the fit rectangle rules

TEST(SceneMapping, PlanAndElevation)
{
    TopScene top(nullptr);
    SideScene side(nullptr);
    EXPECT_EQ(top.toScene(1, 2, 3), QPointF(2, 1));
    EXPECT_EQ(top.depthOf(1, 2, 3), 3);
    EXPECT_EQ(top.tiltToScene(4, 5), QPointF(-4, 5));
    EXPECT_EQ(side.toScene(1, 2, 3), QPointF(2, -3));
    EXPECT_EQ(side.depthOf(1, 2, 3), 1);
    EXPECT_EQ(side.tiltToScene(4, 5), QPointF(5, -4));
}

TEST(AdjustFitRect, LongHoleKeepsAMinimumHeightGrowingUpwards)
{
    TopScene top(nullptr);
    SideScene side(nullptr);
    top.greenGroup->setPos(300, 0);
    side.greenGroup->setPos(300, 0);

    QRectF plan(0, 0, 300, 10);
    top.adjustFitRect(plan);
    EXPECT_EQ(plan, QRectF(0, 10 - 72, 300, 72)); // 300 * 36 / 150

    QRectF elevation(0, 0, 300, 10);
    side.adjustFitRect(elevation);
    EXPECT_EQ(elevation, QRectF(0, 10 - 96, 300, 96)); // 300 * 48 / 150

    // Tall enough already: only the five units above the tee are added.
    QRectF tall(0, 2, 300, 100);
    side.adjustFitRect(tall);
    EXPECT_EQ(tall, QRectF(0, -5, 300, 107));
    QRectF plain(0, -40, 300, 100);
    top.adjustFitRect(plain);
    EXPECT_EQ(plain, QRectF(0, -40, 300, 100));
}

TEST(AdjustFitRect, GreenZoomSkipsTheMinimumHeight)
{
    TopScene top(nullptr);
    SideScene side(nullptr);
    for (SwingScene* scene : {static_cast<SwingScene*>(&top), static_cast<SwingScene*>(&side)}) {
        scene->greenGroup->setPos(300, 0);
        scene->greenZoom = true;
    }
    QRectF green(295, -8, 10, 10);
    top.adjustFitRect(green);
    EXPECT_EQ(green, QRectF(295, -8, 10, 10));
    side.adjustFitRect(green);
    EXPECT_EQ(green, QRectF(295, -8, 10, 10));
    QRectF low(295, -2, 10, 4);
    side.adjustFitRect(low);
    EXPECT_EQ(low, QRectF(295, -5, 10, 7));
}

// ---- Scenes in views, following a model

class SceneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.reset();
        for (QGraphicsView* view : {&topView, &sideView}) {
            // Shown once so the viewport takes its size, then hidden so that
            // hole changes refit at once instead of gliding.
            view->resize(600, 300);
            view->show();
            view->hide();
        }
        topScene = new TopScene(&topView);
        sideScene = new SideScene(&sideView);
        changeAll();
    }
    void changeAll()
    {
        topScene->modelChanged(model, AllChanged);
        sideScene->modelChanged(model, AllChanged);
    }
    static double zoom(const QGraphicsView& view) { return view.transform().m11(); }
    // The part of the scene the view shows.
    static QRectF shown(const QGraphicsView& view)
    {
        return view.mapToScene(view.viewport()->rect()).boundingRect();
    }
    // The zoom that fits r, grown by 2 on each side, into the view.
    static double zoomFor(const QGraphicsView& view, const QRectF& r)
    {
        const QSize port = view.viewport()->size();
        return std::min(port.width() / (r.width() + 4), port.height() / (r.height() + 4));
    }

    SwingModel model;
    QGraphicsView topView, sideView;
    TopScene* topScene = nullptr; // owned by the views
    SideScene* sideScene = nullptr;
};

TEST_F(SceneTest, FitFramesTheHoleAndIgnoresTheBall)
{
    const QRectF framed = topScene->sceneRect();
    EXPECT_TRUE(framed.contains(154, -15)); // hole 1
    EXPECT_TRUE(framed.contains(0, 0));
    EXPECT_NEAR(zoom(topView), zoomFor(topView, framed), 1e-9);

    model.setBallPos({400, 900, 50});
    EXPECT_EQ(topScene->sceneRect(), framed);
    EXPECT_GE(shown(sideView).height(), int(154 * 48.0 / 150));
    EXPECT_LE(shown(sideView).top(), -5);
}

TEST_F(SceneTest, LongHoleKeepsItsHeightInBothViews)
{
    model.defineHole(9, 10, {0, 300, 0}, {0, 300, 0}, {}, {}, "");
    // The fit works on the rectangle grown by 2 on each side, which the view shows.
    EXPECT_GE(shown(topView).height(), 72 - 1e-6);
    EXPECT_EQ(topScene->sceneRect().height(), 72 - 4);
    EXPECT_GE(shown(sideView).height(), 96 - 1e-6);
    EXPECT_LE(shown(sideView).top(), -5 + 1e-6);
    EXPECT_NEAR(sideScene->sceneRect().right(), 300, 8);
}

TEST_F(SceneTest, PuttingFramesOnlyTheGreen)
{
    model.setPuttEnabled(true);
    for (auto [scene, view] : {std::pair<SwingScene*, QGraphicsView*>{topScene, &topView}, {sideScene, &sideView}}) {
        EXPECT_TRUE(scene->greenZoom);
        const QRectF green = scene->greenPart(SwingScene::GreenRole)->sceneBoundingRect();
        const QRectF framed = scene->sceneRect();
        if (scene == topScene)
            EXPECT_EQ(framed, green);
        else // the elevation still shows five units above the tee
            EXPECT_EQ(framed, QRectF(green.left(), -3, green.width(), green.bottom() + 3));
        EXPECT_NEAR(zoom(*view), zoomFor(*view, framed), 1e-9);
    }
    EXPECT_TRUE(topScene->puttArrow->isVisible());
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
    EXPECT_NEAR(zoom(topView), zoomFor(topView, topScene->sceneRect()), 1e-9);
    EXPECT_GT(zoom(topView), before);
}

TEST_F(SceneTest, WindArrowFollowsSpeedAndDirection)
{
    model.setWindSpeed(15);
    model.setWindDir(90);
    EXPECT_DOUBLE_EQ(topScene->windArrow->scale(), 10);
    EXPECT_DOUBLE_EQ(topScene->windArrow->rotation(), -90);
    model.setWindSpeed(0);
    EXPECT_DOUBLE_EQ(topScene->windArrow->scale(), 0);
}

TEST_F(SceneTest, PlanGreenDarkensWithItsTilt)
{
    model.selectHole(4); // flat
    auto* green = static_cast<QGraphicsEllipseItem*>(topScene->greenPart(SwingScene::GreenRole));
    EXPECT_EQ(green->brush().style(), Qt::SolidPattern);
    EXPECT_EQ(green->brush().color(), Palette::GreenTurf);
    EXPECT_EQ(green->rect(), QRectF(-5, -5, 10, 10));

    auto startColour = [&] {
        const QGradient* gradient = green->brush().gradient();
        return gradient ? gradient->stops().value(0).second : QColor();
    };
    model.setGreenXRot(5);
    EXPECT_EQ(startColour(), QColor(126, 175, 75)); // about half-way at sin 5 / sin 10
    model.setGreenXRot(10);
    EXPECT_EQ(startColour(), Palette::DarkTurf);
    model.setGreenXRot(0);
    model.setGreenYRot(-10);
    EXPECT_EQ(startColour(), Palette::DarkTurf);
    model.setGreenYRot(25); // steeper than ten degrees stays a colour
    EXPECT_EQ(startColour(), QColor(0, 29, 11));
}

TEST_F(SceneTest, ElevationGreenFacesTheViewerByItsSideTilt)
{
    auto* green = static_cast<QGraphicsEllipseItem*>(sideScene->greenPart(SwingScene::GreenRole));
    auto* stick = static_cast<QGraphicsLineItem*>(sideScene->greenPart(SwingScene::FlagstickRole));
    model.setBallPos({2, 0, 0}); // depth 2

    model.setGreenYRot(5); // far side shows: behind the ball
    const double depth = std::sin(5 * 0.0174532925) * 10;
    EXPECT_EQ(green->brush().color(), Palette::GreenTurf);
    EXPECT_DOUBLE_EQ(sideScene->greenGroup->zValue(), 1);
    EXPECT_DOUBLE_EQ(sideScene->ball->zValue(), 2);
    EXPECT_NEAR(green->rect().height(), depth, 1e-12);
    EXPECT_EQ(stick->line().p1(), QPointF(0, 0));

    model.setGreenYRot(-5); // near side shows: in front of the ball
    EXPECT_EQ(green->brush().color(), Palette::DarkTurf);
    EXPECT_DOUBLE_EQ(sideScene->greenGroup->zValue(), 3);
    EXPECT_NEAR(stick->line().p1().y(), -depth / 2, 1e-12);

    model.setGreenYRot(0);
    EXPECT_EQ(green->brush().color(), Palette::DarkTurf);
    EXPECT_EQ(green->rect().height(), 0);
}

TEST_F(SceneTest, PlanBallAndPuttArrowStayOnTopOfTheGreen)
{
    model.selectHole(4); // a green at height 0, like the ball on it
    model.setPuttEnabled(true);
    model.setBallPos({1, 98, 0});
    const double greenZ = topScene->greenGroup->zValue();
    EXPECT_EQ(greenZ, 1);
    EXPECT_GT(topScene->ball->zValue(), greenZ);
    EXPECT_GT(topScene->puttArrow->zValue(), greenZ);
    EXPECT_GT(topScene->track->zValue(), greenZ);
    model.setPoint(0, {1, 98, 0});
    model.setPoint(1, {0.5, 99, 0});
    topScene->drawTrajectory(model, QString());
    EXPECT_GT(topScene->track->zValue(), greenZ);
    EXPECT_DOUBLE_EQ(topScene->puttArrow->scale(), 10 * 10 / 50.0);
    EXPECT_NEAR(topScene->puttArrow->rotation(), -model.puttAimAngle(), 1e-12);
}

TEST_F(SceneTest, ElevationShowsTheTreeByTypeAndTheDistance)
{
    EXPECT_FALSE(sideScene->tree->isVisible());
    EXPECT_EQ(sideScene->distanceLabel->text(), "154");
    model.selectHole(2);
    EXPECT_TRUE(sideScene->tree->isVisible());
    EXPECT_EQ(sideScene->tree->pos(), QPointF(30, 0));
    EXPECT_EQ(topScene->tree->zValue(), 0 + 25 + 1);
}

// ---- Trajectories, traces and tracking

class TrajectoryTest : public SceneTest
{
protected:
    // n points whose downrange distance equals their step, so scene x is the step.
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

TEST_F(TrajectoryTest, LongShotIsThinnedButKeepsItsLastPoint)
{
    makeShot(2500);
    topScene->drawTrajectory(model, QString());
    const QList<double> x = xs(topScene->track->path());
    // 0, 3, ..., 2499 (the closing line to 2499 again adds no element).
    ASSERT_EQ(x.size(), 834);
    EXPECT_EQ(x[1], 3);
    EXPECT_EQ(x[833], 2499);
    EXPECT_NEAR(topScene->track->zValue(), 10, 0.01); // the highest point drawn

    model.setPoint(2500, {0, 2500, 0}); // stride 3 skips it, the end does not
    topScene->drawTrajectory(model, QString());
    EXPECT_EQ(xs(topScene->track->path()).mid(833), QList<double>({2499, 2500}));
}

TEST_F(TrajectoryTest, ThousandPointsAreAllDrawn)
{
    makeShot(1000);
    sideScene->drawTrajectory(model, QString());
    const QList<double> x = xs(sideScene->track->path());
    ASSERT_EQ(x.size(), 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(x[i], i);
    EXPECT_GT(sideScene->track->zValue(), sideScene->greenGroup->zValue()); // over the green
}

TEST_F(TrajectoryTest, ComparisonTracesAreKeptUntilCleared)
{
    makeShot(10);
    topScene->drawTrajectory(model, "other.dat");
    topScene->drawTrajectory(model, "third.dat");
    ASSERT_EQ(topScene->traces.size(), 4);
    auto* trace = static_cast<PathItem*>(topScene->traces[0]);
    EXPECT_EQ(trace->pen().color(), QColor(Qt::yellow));
    auto* label = static_cast<TextItem*>(topScene->traces[1]);
    EXPECT_EQ(label->text(), "other.dat");
    EXPECT_EQ(label->pos(), QPointF(9, 0.5));
    EXPECT_TRUE(label->flags() & QGraphicsItem::ItemIgnoresTransformations);

    const qsizetype items = topScene->items().size();
    topScene->clearTraces();
    EXPECT_TRUE(topScene->traces.isEmpty());
    EXPECT_EQ(topScene->items().size(), items - 4);
    EXPECT_TRUE(topScene->track->path().isEmpty());
}

TEST_F(TrajectoryTest, TrackingFollowsTheBallFromItsFirstMove)
{
    makeShot(5);
    sideScene->drawTrajectory(model, QString());
    sideScene->startTracking();
    EXPECT_EQ(sideScene->track->trackState, 1);
    EXPECT_TRUE(sideScene->track->path().isEmpty()); // reset to the origin

    // The track starts where the ball first is, not at the origin, and runs
    // through the ball's centre.
    model.setCurrentStep(2);
    EXPECT_EQ(sideScene->track->trackState, -1);
    model.setCurrentStep(3);
    const QPainterPath path = sideScene->track->path();
    ASSERT_EQ(path.elementCount(), 2);
    const QPointF ball2 = sideScene->toScene(model.currentPoint(2));
    const QPointF ball3 = sideScene->toScene(model.currentPoint(3));
    EXPECT_EQ(QPointF(path.elementAt(0)), QPointF(ball2.x(), ball2.y() - 0.3));
    EXPECT_EQ(QPointF(path.elementAt(1)), QPointF(ball3.x(), ball3.y() - 0.3));

    sideScene->startTracking(); // already drawing: nothing restarts
    EXPECT_EQ(sideScene->track->trackState, -1);
    sideScene->stopTracking();
    model.setCurrentStep(4);
    EXPECT_EQ(sideScene->ball->pos(), sideScene->toScene(model.currentPoint(4)));
    EXPECT_EQ(sideScene->track->path().elementCount(), 2);
}
