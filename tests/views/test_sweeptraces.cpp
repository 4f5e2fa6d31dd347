#include "SweepTraces.h"
#include "ViewsTestSupport.h"

#include <cmath>
#include <limits>

namespace {

// A drive-like path: up and down to a bounce, a lower hop, then a roll.
Trajectory bouncingShot(int n)
{
    Trajectory shot;
    for (int i = 0; i < n; ++i) {
        const double y = 250.0 * i / (n - 1);
        const double z = y < 200   ? 30 * std::sin(M_PI * y / 200)
                         : y < 230 ? 3 * std::sin(M_PI * (y - 200) / 30)
                                   : 0;
        shot.set(i, {0.01 * y, y, z});
    }
    return shot;
}

// How far p lies from the line through the points of `line`, whose
// downrange distances rise: measured straight up from the segment below it.
double offLine(const Vector3& p, const std::vector<Vector3>& line)
{
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
        if (p.y <= line[i + 1].y) {
            const Vector3 a = line[i], b = line[i + 1];
            const double t = b.y > a.y ? (p.y - a.y) / (b.y - a.y) : 0;
            return std::hypot(p.x - a.x - t * (b.x - a.x), p.z - a.z - t * (b.z - a.z));
        }
    return HUGE_VAL;
}

} // namespace

TEST(ThinTrace, KeepsEndsAndShapeWithinAFewHundredPoints)
{
    for (int n : {3, 500, 20000}) {
        SCOPED_TRACE(n);
        const Trajectory shot = bouncingShot(n);
        const std::vector<Vector3> thin = thinTrace(shot);
        ASSERT_GE(thin.size(), 2u);
        EXPECT_LE(thin.size(), kMaxTracePoints);
        EXPECT_EQ(thin.front(), shot.begin()->second);
        EXPECT_EQ(thin.back(), shot.back().second);
        // No dropped point is as much as a pixel (a thousandth of the shot) off.
        for (const auto& [step, p] : shot)
            EXPECT_LT(offLine(p, thin), 0.26) << "step " << step;
    }
}

TEST(ThinTrace, SkipsPointsThatCannotBeDrawn)
{
    Trajectory shot;
    shot.set(0, {0, 0, 0});
    shot.set(1, {std::numeric_limits<double>::quiet_NaN(), 1, 1});
    shot.set(2, {0, 2, 0});
    EXPECT_EQ(thinTrace(shot), (std::vector<Vector3>{{0, 0, 0}, {0, 2, 0}}));
}

TEST(SweepColour, RunsFromFirstToLast)
{
    EXPECT_EQ(sweepColour(0, 1), sweepColour(0, 5));
    EXPECT_NE(sweepColour(0, 5), sweepColour(4, 5));
    EXPECT_EQ(sweepColour(9, 10), sweepColour(1, 2));
}

class SweepTracesTest : public TwoViews
{
protected:
    static std::vector<std::vector<Vector3>> fan()
    {
        std::vector<std::vector<Vector3>> traces;
        for (double carry : {150.0, 180.0, 210.0})
            traces.push_back({{0, 0, 0}, {0, carry / 2, carry / 6}, {0, carry, 0}});
        return traces;
    }
};

// Each trace in its place's colour, a refused run's left out, above the
// scenery, in the framing until cleared.
TEST_F(SweepTracesTest, EveryTraceIsDrawnAboveTheSceneryInItsColourFramedAndNamed)
{
    auto traces = fan();
    traces.insert(traces.begin() + 1, std::vector<Vector3>()); // a refused run
    traces.push_back({{0, 0, 0}, {0, 400, 80}, {0, 600, 0}});
    for (SwingScene* scene : scenes()) {
        addSweepTraces(*scene, traces, QStringLiteral("TeeLaunchAngle 6 \u2026 30 deg"));
        ASSERT_EQ(scene->traces.size(), 5); // and the legend
        const auto drawn = [&](int i) { return static_cast<QGraphicsPathItem*>(scene->traces[i]); };
        const std::size_t place[] = {0, 2, 3, 4};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(drawn(i)->pen().color(), sweepColour(place[i], 5)) << i;
        const QPointF end = scene->toScene(0, 600, 0);
        EXPECT_EQ(drawn(3)->path().elementAt(2), end);
        double highest = scene->greenGroup->zValue();
        for (QGraphicsItem* item : scene->items())
            if (!scene->traces.contains(item) && item->parentItem() == nullptr)
                highest = std::max(highest, item->zValue());
        EXPECT_GT(drawn(0)->zValue(), highest);
        EXPECT_GT(drawn(3)->zValue(), drawn(0)->zValue());
        EXPECT_TRUE(scene->fitRect().contains(end));
        scene->clearTraces();
        EXPECT_TRUE(scene->traces.isEmpty());
        EXPECT_FALSE(scene->fitRect().contains(end));
    }
}

// The flag, its stick and the hole's distance in the elevation view, in pixels.
static QRect flagBox(const SwingScene* scene)
{
    QRectF r;
    for (const QGraphicsItem* part : scene->greenGroup->childItems())
        if (part->data(0).toInt() != SwingScene::GreenRole)
            r |= part->sceneBoundingRect();
    return scene->views().first()->mapFromScene(r).boundingRect();
}

// The legend is whole in a corner of each view, clear of the flag, for a tee
// shot's framing and a putt's; one longer than its view is wide goes on more
// lines.
class SweepLegend : public SweepTracesTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(SweepLegend, IsWholeInACornerClearOfTheFlag)
{
    resizeViews({GetParam(), 300});
    const QString legend = QStringLiteral(
        "TeeLaunchAngle 40 \u2026 50 deg \u00d7 TeeBackSpin 3500 \u2026 4500 rpm, 60 of 121 "
        "shots, 1 path in 4 shown");
    for (const bool putt : {false, true}) {
        model.setPuttEnabled(putt);
        std::vector<std::vector<Vector3>> traces = fan();
        if (putt) {
            const Vector3 hole = model.hole.HolePos;
            traces = {{hole + Vector3(-1, -4, 0), hole + Vector3(0.5, 0.5, 0)},
                      {hole + Vector3(-1, -4, 0), hole + Vector3(1, 1, 0)}};
        }
        for (SwingScene* scene : scenes()) {
            SCOPED_TRACE(testing::Message() << putt << (scene == top));
            scene->clearTraces();
            addSweepTraces(*scene, traces, legend);
            const QGraphicsView& view = *scene->views().first();
            const QRect port(QPoint(), view.viewport()->size());
            const auto* text = dynamic_cast<const QGraphicsSimpleTextItem*>(scene->traces.last());
            ASSERT_TRUE(text);
            const QRect box = labelBox(view, text);
            EXPECT_TRUE(port.contains(box));
            EXPECT_TRUE(std::min(box.left() - port.left(), port.right() - box.right()) < 12 &&
                        std::min(box.top() - port.top(), port.bottom() - box.bottom()) < 12);
            EXPECT_FALSE(box.intersects(flagBox(scene)));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ViewWidths, SweepLegend, ::testing::Values(600, 260));
