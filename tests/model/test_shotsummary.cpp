// Shot numbers on hand-built trajectories whose numbers follow on paper.

#include "ModelFixture.h"
#include "ShotSummary.h"

#include <cmath>

using namespace quillmoor;

namespace {

constexpr double kEps = 1e-9;

// A tee shot of hole 1 (hole at (-15, 154, -7)) made of the given points.
SwingModel teeShot(const std::vector<Vector3>& points, int firstImpact = -1, double dt = 0.5)
{
    SwingModel m(false);
    for (std::size_t i = 0; i < points.size(); ++i)
        m.teeShot.set(static_cast<int>(i), points[i]);
    m.FirstImpact = firstImpact;
    m.TimeStepSize = dt;
    return m;
}

// Up the y axis 5 yd per step with z = 4i - 0.2i²: apex 20 yd at step 10, back
// at z = 0 at step 20, the 100-yard mark; then, with flight true, a roll of 2 yd
// per step on z = 0 to y = 108 at step 24.
std::vector<Vector3> parabola(int lastFlightStep, bool roll)
{
    std::vector<Vector3> p;
    for (int i = 0; i <= lastFlightStep; ++i)
        p.push_back({0.0, 5.0 * i, 4.0 * i - 0.2 * i * i});
    if (roll)
        for (int i = 21; i <= 24; ++i)
            p.push_back({0.0, 100.0 + 2.0 * (i - 20), 0.0});
    return p;
}

} // namespace

class ShotSummaryTest : public ModelTest
{
};

TEST_F(ShotSummaryTest, ParabolaWithLandingAndRoll)
{
    const SwingModel m = teeShot(parabola(20, true), 20);
    const auto t = summarizeTeeShot(m);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->landingIndex, 20);
    EXPECT_NEAR(*t->carry, 100.0, kEps);
    EXPECT_NEAR(t->total, 108.0, kEps);
    EXPECT_NEAR(*t->roll, 8.0, kEps);
    EXPECT_NEAR(t->apex, 20.0, kEps);
    EXPECT_NEAR(*t->hangTime, 10.0, kEps); // 20 steps of 0.5 s
    // From step 19 (y 95, z 3.8) down to step 20 (y 100, z 0).
    EXPECT_NEAR(*t->landingAngle, std::atan(3.8 / 5.0) * 180.0 / std::acos(-1.0), 1e-6);
    EXPECT_NEAR(t->side, 0.0, kEps);
    EXPECT_NEAR(*t->sideAtLanding, 0.0, kEps);
    EXPECT_NEAR(t->distanceToHole, std::sqrt(15.0 * 15 + 46 * 46 + 7 * 7), kEps);
}

TEST_F(ShotSummaryTest, ApexIsMeasuredFromTheFirstPoint)
{
    std::vector<Vector3> p = parabola(20, true);
    for (Vector3& q : p)
        q.z += 3.0;
    const auto t = summarizeTeeShot(teeShot(p, 20));
    EXPECT_NEAR(t->apex, 20.0, kEps);
}

TEST_F(ShotSummaryTest, ShotThatNeverLandsHasNoLandingNumbers)
{
    // Stops at step 15, 15 yd up; no first impact.
    const auto t = summarizeTeeShot(teeShot(parabola(15, false)));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->landingIndex, -1);
    EXPECT_FALSE(t->carry);
    EXPECT_FALSE(t->roll);
    EXPECT_FALSE(t->hangTime);
    EXPECT_FALSE(t->landingAngle);
    EXPECT_FALSE(t->sideAtLanding);
    EXPECT_NEAR(t->total, 75.0, kEps);
    EXPECT_NEAR(t->apex, 20.0, kEps);
}

// Without a usable first impact the last point lands the shot when it is on or
// under the ground, as the simple swing leaves it.
TEST_F(ShotSummaryTest, LastPointOnTheGroundIsTheLanding)
{
    SwingModel m = teeShot(parabola(15, false));
    const Vector3 last = m.teeShot.back().second;
    for (double below : {0.0, 0.5}) {
        for (int firstImpact : {-1, 0, 16}) { // none, at the tee, beyond the last point
            m.teeShot.set(15, {last.x, last.y, m.groundHeight(last.x, last.y) - below});
            m.FirstImpact = firstImpact;
            const auto t = summarizeTeeShot(m);
            EXPECT_EQ(t->landingIndex, 15) << below << " " << firstImpact;
            EXPECT_NEAR(*t->carry, 75.0, kEps);
            EXPECT_NEAR(*t->roll, 0.0, kEps);
            EXPECT_NEAR(*t->hangTime, 7.5, kEps);
        }
    }
    // Just above the ground (more than 1e-6) it is still in the air.
    m.teeShot.set(15, {last.x, last.y, m.groundHeight(last.x, last.y) + 1e-5});
    m.FirstImpact = -1;
    EXPECT_FALSE(summarizeTeeShot(m)->carry);
}

TEST_F(ShotSummaryTest, SideIsMeasuredFromTheTargetLine)
{
    // Aim 30 degrees left of the hole; start off the origin.
    const Vector3 p0(2.0, 3.0, 1.0);
    const Vector3 down(-0.5, std::sqrt(3.0) / 2, 0.0); // (-sin 30, cos 30)
    const Vector3 right(std::sqrt(3.0) / 2, 0.5, 0.0); // (cos 30, sin 30)
    const Vector3 onLine = p0 + down * 100.0;
    const Vector3 offRight = onLine + right * 10.0;
    SwingModel m = teeShot({p0, onLine, offRight}, 1);
    m.TeeTargetAngle = 30.0;
    const auto t = summarizeTeeShot(m);
    EXPECT_NEAR(*t->sideAtLanding, 0.0, 1e-6);
    EXPECT_NEAR(t->side, 10.0, 1e-6);
    EXPECT_NEAR(*t->carry, 100.0, 1e-9);
    EXPECT_NEAR(t->total, std::hypot(100.0, 10.0), 1e-9);
    EXPECT_NEAR(*t->roll, 10.0, 1e-9);

    m.TeeTargetAngle = 0.0; // straight down +y: right is +x
    m.teeShot.set(2, p0 + Vector3(-4.0, 50.0, 0.0));
    EXPECT_NEAR(summarizeTeeShot(m)->side, -4.0, kEps);
}

TEST_F(ShotSummaryTest, TimeNeedsAUsableStep)
{
    SwingModel m = teeShot(parabola(20, true), 20);
    m.puttShot.set(0, {-15, 150, -7});
    m.puttShot.set(1, {-15, 151, -7});
    for (double dt : {0.0, -0.001, std::nan(""), HUGE_VAL}) {
        m.TimeStepSize = dt;
        EXPECT_FALSE(summarizeTeeShot(m)->hangTime) << dt;
        EXPECT_TRUE(summarizeTeeShot(m)->carry) << dt;
        EXPECT_FALSE(summarizePutt(m)->rollTime) << dt;
    }
}

TEST_F(ShotSummaryTest, OnePointShotHasNoLanding)
{
    SwingModel m = teeShot({{0, 0, -10}}, 0); // on the ground, but never flew
    const auto t = summarizeTeeShot(m);
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->carry);
    EXPECT_EQ(t->total, 0.0);
    EXPECT_EQ(t->apex, 0.0);
}

// Hole 1's cup is at (-15, 154, -7).
TEST_F(ShotSummaryTest, Putts)
{
    SwingModel m(false);
    m.TimeStepSize = 0.01;
    const double ground = m.groundHeight(-15, 153);
    auto putt = [&](const std::vector<Vector3>& q) {
        m.puttShot.clear();
        for (std::size_t i = 0; i < q.size(); ++i)
            m.puttShot.set(static_cast<int>(i), q[i]);
        return *summarizePutt(m);
    };

    // Ends in the cup, as the complex putt leaves it.
    PuttNumbers p = putt({{-15, 150, -7}, {-15, 152, -7}, {-15 + 1e-7, 154, -7 - 1e-7}});
    EXPECT_TRUE(p.holed);
    EXPECT_EQ(p.distanceToHole, 0.0);
    EXPECT_NEAR(p.rollDistance, 4.0, 1e-6);
    EXPECT_NEAR(*p.rollTime, 0.02, kEps);

    // Dropped under the green beside the cup, as the simple putt leaves it.
    p = putt({{-15, 150, ground}, {-15, 153.9, m.groundHeight(-15, 153.9) - 0.225}});
    EXPECT_TRUE(p.holed);
    EXPECT_EQ(p.distanceToHole, 0.0);
    p = putt({{-15, 150, ground}, {-15, 153.9, m.groundHeight(-15, 153.9) - 0.19}});
    EXPECT_FALSE(p.holed);

    // Stops a yard short.
    p = putt({{-15, 150, ground}, {-15, 153, ground}});
    EXPECT_FALSE(p.holed);
    EXPECT_NEAR(p.rollDistance, 3.0, kEps);
    EXPECT_NEAR(p.distanceToHole, std::hypot(1.0, ground + 7.0), kEps);
    EXPECT_EQ(p.breakDistance, 0.0);

    // Breaks 1 yd to one side and 1.5 yd to the other of the line x = -15.
    p = putt({{-15, 150, -7}, {-14, 151, -7}, {-16.5, 152, -7}, {-15, 153, -7}});
    EXPECT_NEAR(p.breakDistance, 1.5, kEps);

    // Zero length: a single point, or one that comes back to where it began.
    p = putt({{-15, 150, ground}});
    EXPECT_EQ(p.rollDistance, 0.0);
    EXPECT_EQ(p.breakDistance, 0.0);
    EXPECT_EQ(*p.rollTime, 0.0);
    p = putt({{-15, 150, ground}, {-14, 151, ground}, {-15, 150, ground}});
    EXPECT_EQ(p.rollDistance, 0.0);
    EXPECT_EQ(p.breakDistance, 0.0);
    EXPECT_NEAR(*p.rollTime, 0.02, kEps);
}

TEST_F(ShotSummaryTest, OneRecordPerShotWithPoints)
{
    SwingModel m(false);
    EXPECT_TRUE(summarizeShots(m).empty());
    EXPECT_FALSE(summarizeActiveShot(m));
    EXPECT_EQ(shotVerdict(m), "");

    m.puttShot.set(0, {-15, 150, -7});
    auto records = summarizeShots(m);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, ShotKind::Putt);
    EXPECT_FALSE(summarizeActiveShot(m)); // the tee shot is active

    m.teeShot.set(0, {0, 0, 0});
    records = summarizeShots(m);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, ShotKind::Tee);
    EXPECT_EQ(records[1].kind, ShotKind::Putt);
    m.PuttEnabled = true;
    EXPECT_EQ(summarizeActiveShot(m)->kind, ShotKind::Putt);
}

// The order is the column order of every CSV Shotlab writes.
TEST(ShotFields, KeysInOrderAndEachColumnOnce)
{
    std::vector<std::string> keys;
    for (const ShotField& f : shotFields())
        keys.push_back(f.key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"carry_yd", "total_yd", "roll_yd", "apex_yd", "hang_time_s",
                                        "landing_angle_deg", "side_yd", "side_at_landing_yd",
                                        "distance_to_hole_yd", "holed", "roll_distance_yd",
                                        "break_yd", "roll_time_s", "distance_to_hole_yd"}));

    keys.clear();
    for (const ShotColumn& c : shotColumns())
        keys.push_back(c.field().key);
    EXPECT_EQ(keys.size(), 13u);
    EXPECT_EQ(keys[8], "distance_to_hole_yd");

    // A shared column gives each kind its own number; the others give nothing
    // for the other kind.
    ShotRecord tee;
    tee.tee.distanceToHole = 7.0;
    ShotRecord putt;
    putt.kind = ShotKind::Putt;
    putt.putt.distanceToHole = 2.0;
    EXPECT_EQ(shotColumns()[8].of(tee), 7.0);
    EXPECT_EQ(shotColumns()[8].of(putt), 2.0);
    EXPECT_FALSE(shotColumns()[1].of(putt));
    EXPECT_FALSE(shotColumns()[9].of(tee));
}

TEST(ShotText, PointAndNoNegativeZero)
{
    EXPECT_EQ(fixedText(108.347, 1), "108.3");
    EXPECT_EQ(fixedText(-0.004, 2), "0.00");
    EXPECT_EQ(fixedText(-0.006, 2), "-0.01");
    EXPECT_EQ(exactText(0.1), "0.1");
    EXPECT_EQ(std::stod(exactText(1.0 / 3.0)), 1.0 / 3.0);
}

TEST_F(ShotSummaryTest, Verdicts)
{
    SwingModel m = teeShot(parabola(20, true), 20);
    EXPECT_EQ(shotVerdict(m), "Carry 100.0 yd, total 108.0 yd");
    m.FirstImpact = -1;
    m.teeShot = teeShot(parabola(15, false)).teeShot;
    EXPECT_EQ(shotVerdict(m), "No landing: still in the air 75.0 yd out");
    m.teeShot = teeShot({{0, 0, 0}, {-15, 150, -7}, {-15, 153, -7}}).teeShot;
    m.FirstImpact = 1;
    EXPECT_EQ(shotVerdict(m), "Carry 150.7 yd, total 153.7 yd, on the green, 3.0 feet");

    m.PuttEnabled = true;
    m.puttShot.set(0, {-15, 150, -7});
    m.puttShot.set(1, {-15, 154, -7});
    EXPECT_EQ(shotVerdict(m), "Holed!");
    m.puttShot.set(1, {-15, 151.9, -7}); // green radius 5: 2.1 yd is on it
    EXPECT_EQ(shotVerdict(m), "On the green, 6.3 feet");
    m.puttShot.set(1, {-15, 140, m.groundHeight(-15, 140)});
    EXPECT_EQ(shotVerdict(m), "Off the green, 14.0 yd from the hole");
}
