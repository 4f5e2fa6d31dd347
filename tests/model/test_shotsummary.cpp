// Shot numbers on hand-built trajectories whose numbers follow on paper.
// Hole 1's cup is at (-15, 154, -7); its ground is below z = -3 everywhere.

#include "ModelFixture.h"
#include "ShotSummary.h"

#include <cmath>
#include <tuple>

using namespace quillmoor;

namespace {

constexpr double kEps = 1e-9;

SwingModel withShot(Trajectory SwingModel::*shot, const std::vector<Vector3>& points,
                    int firstImpact = -1, double dt = 0.5)
{
    SwingModel m(false);
    for (std::size_t i = 0; i < points.size(); ++i)
        (m.*shot).set(static_cast<int>(i), points[i]);
    m.FirstImpact = firstImpact;
    m.TimeStepSize = dt;
    return m;
}

// From (0, 0, 3) up the y axis 5 yd per step, z = 3 + 4i - 0.2i²: apex 20 yd
// above the start at step 10, back at z = 3 at step 20 (y = 100); then, with
// roll, on along z = 3 by 2 yd per step to y = 108 at step 24.
std::vector<Vector3> parabola(int lastFlightStep, bool roll)
{
    std::vector<Vector3> p;
    for (int i = 0; i <= lastFlightStep; ++i)
        p.push_back({0.0, 5.0 * i, 3.0 + 4.0 * i - 0.2 * i * i});
    for (int i = 21; roll && i <= 24; ++i)
        p.push_back({0.0, 100.0 + 2.0 * (i - 20), 3.0});
    return p;
}

} // namespace

using ShotSummaryTest = ModelTest;

TEST_F(ShotSummaryTest, ParabolaWithLandingAndRoll)
{
    const auto t = summarizeTeeShot(withShot(&SwingModel::teeShot, parabola(20, true), 20));
    EXPECT_EQ(t->landingIndex, 20);
    EXPECT_NEAR(*t->carry, 100.0, kEps);
    EXPECT_NEAR(t->total, 108.0, kEps);
    EXPECT_NEAR(*t->roll, 8.0, kEps);
    EXPECT_NEAR(t->apex, 20.0, kEps);
    EXPECT_NEAR(*t->hangTime, 10.0, kEps); // 20 steps of 0.5 s
    // The last step wholly in the air: step 18 (y 90, z 10.2) down to step
    // 19 (y 95, z 6.8), not the step into the ground.
    EXPECT_NEAR(*t->landingAngle, std::atan(3.4 / 5.0) * 180.0 / std::acos(-1.0), 1e-6);
    EXPECT_NEAR(t->distanceToHole, std::sqrt(15.0 * 15 + 46 * 46 + 10 * 10), kEps);
    EXPECT_EQ(t->landingPoint, Vector3(0, 100, 3));
    EXPECT_EQ(t->finalPoint, Vector3(0, 108, 3));
}

// Without a first impact inside the points, the last point lands the shot only
// when it is on or under the ground (the simple swing), and never a one-point shot.
TEST_F(ShotSummaryTest, LandingWithoutFirstImpact)
{
    SwingModel m = withShot(&SwingModel::teeShot, parabola(15, false)); // ends 18 yd up
    for (int firstImpact : {-1, 0, 16}) {
        m.FirstImpact = firstImpact;
        const auto t = summarizeTeeShot(m);
        EXPECT_EQ(t->landingIndex, -1);
        EXPECT_FALSE(t->carry || t->roll || t->hangTime || t->landingAngle || t->sideAtLanding ||
                     t->landingPoint);
        EXPECT_EQ(t->finalPoint, parabola(15, false).back());
        EXPECT_NEAR(t->total, 75.0, kEps);
        EXPECT_NEAR(t->apex, 20.0, kEps);

        const double ground = m.groundHeight(0, 75);
        for (double z : {ground + 1e-5, ground, ground - 0.5}) {
            m.teeShot.set(15, {0, 75, z});
            EXPECT_EQ(summarizeTeeShot(m)->landingIndex, z > ground ? -1 : 15) << z;
        }
        EXPECT_NEAR(*summarizeTeeShot(m)->carry, 75.0, kEps);
        EXPECT_NEAR(*summarizeTeeShot(m)->roll, 0.0, kEps);
        m.teeShot.set(15, parabola(15, false).back());
    }
    EXPECT_FALSE(summarizeTeeShot(withShot(&SwingModel::teeShot, {{0, 0, -10}}, 0))->carry);
}

// The simulator sets the contact point onto the ground, so the step that ends
// there is cut short by any amount: the angle must not come from it. Only a
// shot that lands at its first step has no other step to take it from.
TEST_F(ShotSummaryTest, LandingAngleIgnoresTheCutStepIntoTheGround)
{
    std::vector<Vector3> p = parabola(20, false);
    for (double cut : {1.0, 0.5, 0.01, 1e-6}) {
        p[20] = p[19] + (p[20] - p[19]) * cut;
        const auto t = summarizeTeeShot(withShot(&SwingModel::teeShot, p, 20));
        EXPECT_NEAR(*t->landingAngle, std::atan(3.4 / 5.0) * 180.0 / std::acos(-1.0), 1e-6) << cut;
    }
    const auto once = summarizeTeeShot(withShot(&SwingModel::teeShot, {{0, 0, 3}, {0, 4, 0}}, 1));
    EXPECT_NEAR(*once->landingAngle, std::atan(3.0 / 4.0) * 180.0 / std::acos(-1.0), 1e-6);
}

TEST_F(ShotSummaryTest, SideIsMeasuredFromTheTargetLine)
{
    // Aimed 30 degrees left of the hole, from a point off the origin.
    const Vector3 p0(2.0, 3.0, 1.0);
    const Vector3 down(-0.5, std::sqrt(3.0) / 2, 0.0); // (-sin 30, cos 30)
    const Vector3 right(std::sqrt(3.0) / 2, 0.5, 0.0); // (cos 30, sin 30)
    SwingModel m = withShot(&SwingModel::teeShot,
                            {p0, p0 + down * 100.0, p0 + down * 100.0 + right * 10.0}, 1);
    m.TeeTargetAngle = 30.0;
    auto t = summarizeTeeShot(m);
    EXPECT_NEAR(*t->sideAtLanding, 0.0, 1e-6);
    EXPECT_NEAR(t->side, 10.0, 1e-6);
    EXPECT_NEAR(*t->carry, 100.0, kEps);
    EXPECT_NEAR(*t->roll, 10.0, kEps);
}

TEST_F(ShotSummaryTest, Putts)
{
    SwingModel m = withShot(&SwingModel::puttShot, {}, -1, 0.01);
    const double g = m.groundHeight(-15, 153);
    auto putt = [&](const std::vector<Vector3>& q) {
        m.puttShot = withShot(&SwingModel::puttShot, q).puttShot;
        return *summarizePutt(m);
    };

    // In the cup (the complex putt), or dropped under the green (the simple one).
    for (const Vector3& end : {Vector3(-15 + 1e-7, 154, -7 - 1e-7), Vector3(-15, 153, g - 0.225)}) {
        const PuttNumbers p = putt({{-15, 150, -7}, {-15, 152, -7}, end});
        EXPECT_TRUE(p.holed);
        EXPECT_EQ(p.distanceToHole, 0.0);
        EXPECT_NEAR(*p.rollTime, 0.02, kEps);
    }
    // Stops a yard short, a little under the surface.
    PuttNumbers p = putt({{-15, 150, g}, {-15, 153, g - 0.19}});
    EXPECT_FALSE(p.holed);
    EXPECT_EQ(p.finalPoint, Vector3(-15, 153, g - 0.19));
    EXPECT_NEAR(p.rollDistance, 3.0, kEps);
    EXPECT_NEAR(p.distanceToHole, std::hypot(1.0, g - 0.19 + 7.0), kEps);
    EXPECT_EQ(p.breakDistance, 0.0);

    // Breaks 1 yd to one side and 1.5 yd to the other of the line x = -15.
    EXPECT_NEAR(
        putt({{-15, 150, -7}, {-14, 151, -7}, {-16.5, 152, -7}, {-15, 153, -7}}).breakDistance, 1.5,
        kEps);

    // Zero length: back to where it began.
    p = putt({{-15, 150, g}, {-14, 151, g}, {-15, 150, g}});
    EXPECT_EQ(p.rollDistance, 0.0);
    EXPECT_EQ(p.breakDistance, 0.0);
    EXPECT_NEAR(*p.rollTime, 0.02, kEps);

    // No time without a usable step, for either kind of shot.
    m.teeShot = withShot(&SwingModel::teeShot, parabola(20, true)).teeShot;
    m.FirstImpact = 20;
    for (double dt : {0.0, -0.001, std::nan(""), HUGE_VAL}) {
        m.TimeStepSize = dt;
        EXPECT_FALSE(summarizeTeeShot(m)->hangTime) << dt;
        EXPECT_FALSE(summarizePutt(m)->rollTime) << dt;
    }
}

// One record per shot with points, each with its time step's decimals; the
// shared column gives each kind its own number, the others nothing for the
// other kind.
TEST_F(ShotSummaryTest, RecordsAndColumns)
{
    SwingModel m(false);
    EXPECT_TRUE(summarizeShots(m).empty());
    m.puttShot.set(0, {-15, 150, -7});
    EXPECT_FALSE(summarizeActiveShot(m)); // the tee shot is the active one
    m = withShot(&SwingModel::teeShot, parabola(20, true), 20, 0.001);
    m.puttShot = m.teeShot;
    const auto records = summarizeShots(m);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].kind, ShotKind::Putt);
    for (const ShotRecord& r : records) {
        EXPECT_EQ(r.timeDecimals, 3);
        const ShotField& time = shotFields()[r.kind == ShotKind::Tee ? 4 : 12];
        EXPECT_EQ(plainText(time, r), r.kind == ShotKind::Tee ? "0.02" : "0.024");
    }
    EXPECT_EQ(plainText(shotFields()[0], records[0]), "100");
    EXPECT_EQ(plainText(shotFields()[0], ShotRecord{}), ""); // no carry
    EXPECT_EQ(shotColumns()[8].of(records[0]), records[0].tee.distanceToHole);
    EXPECT_EQ(shotColumns()[8].of(records[1]), records[1].putt.distanceToHole);
    EXPECT_FALSE(shotColumns()[1].of(records[1]));
    EXPECT_FALSE(shotColumns()[9].of(records[0]));
}

// Text for people and files: a point whatever the locale, no "-0", and in CSV
// and JSON the precision the quantity has, never the binary noise of the
// arithmetic behind it (beyond 15 significant digits the digits are noise).
TEST(ShotText, NumbersWithTheirQuantitysDecimals)
{
    const std::tuple<double, int, const char*> plain[] = {
        {7491 * 0.001, 3, "7.491"}, // 7.4910000000000005
        {0.1 + 0.2, 8, "0.3"},
        {-1e-9, 8, "0"},
        {108.34708432445005, 8, "108.34708432"},
        {1.23456789e-5, 10, "0.0000123457"},
        {1e300, 8, "1e+300"},
        {123456789.123456789, 8, "123456789.123457"},
        {HUGE_VAL, 8, "inf"}};
    for (const auto& [value, decimals, text] : plain)
        EXPECT_EQ(plainText(value, decimals), text) << value;
    // A time step's decimals; the data file's 8 for a step with no short form.
    const std::pair<double, int> steps[] = {{0.001, 3},        {0.0049, 4},    {1.0, 0},
                                            {1.23457e-05, 10}, {1.0 / 3.0, 8}, {std::nan(""), 8}};
    for (const auto& [step, decimals] : steps)
        EXPECT_EQ(decimalsOf(step), decimals) << step;
    EXPECT_EQ(fixedText(-0.004, 2), "0.00");
    EXPECT_EQ(fixedText(-0.006, 2), "-0.01");
    EXPECT_EQ(std::stod(exactText(1.0 / 3.0)), 1.0 / 3.0);
}

TEST_F(ShotSummaryTest, Verdicts)
{
    SwingModel m = withShot(&SwingModel::teeShot, parabola(20, true), 20);
    EXPECT_EQ(shotVerdict(m), "Carry 100.0 yd, total 108.0 yd");
    m.FirstImpact = -1;
    m.teeShot = withShot(&SwingModel::teeShot, parabola(15, false)).teeShot;
    EXPECT_EQ(shotVerdict(m), "Still in the air, 75.0 yd out");
    m.teeShot = withShot(&SwingModel::teeShot, {{0, 0, 0}, {-15, 150, -7}, {-15, 153, -7}}).teeShot;
    m.FirstImpact = 1;
    EXPECT_EQ(shotVerdict(m), "On the green, 3.0 feet");

    m.PuttEnabled = true;
    EXPECT_EQ(shotVerdict(m), ""); // no putt yet
    m.puttShot.set(0, {-15, 150, -7});
    m.puttShot.set(1, {-15, 154, -7});
    EXPECT_EQ(shotVerdict(m), "Holed!");
    m.puttShot.set(1, {-15, 151.9, -7}); // 2.1 yd away, within the radius of 5
    EXPECT_EQ(shotVerdict(m), "On the green, 6.3 feet");
    m.puttShot.set(1, {-15, 140, m.groundHeight(-15, 140)});
    EXPECT_EQ(shotVerdict(m), "Off the green, 14.0 yd away");
}
