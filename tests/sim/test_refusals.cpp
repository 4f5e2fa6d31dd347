// Inputs that can never give a result are refused quickly with a reason, and
// leave no partial path behind.

#include "Simulation.h"
#include "SwingModel.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using namespace quillmoor;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct RefusalCase
{
    const char* name;
    SimResult (*routine)(SwingModel&);
    std::function<void(SwingModel&)> setup;
    const char* reason; // a part of the expected reason
};

void putt(SwingModel& m)
{
    m.PuttEnabled = true;
    m.BallPos = {-15, 150, m.groundHeight(-15, 150)};
}

class Refusal : public ::testing::TestWithParam<RefusalCase>
{
};

} // namespace

TEST_P(Refusal, IsReportedAndLeavesNoPartialPath)
{
    const RefusalCase& c = GetParam();
    SwingModel m(false);
    c.setup(m);
    const Vector3 marker(7, 8, 9);
    m.setPoint(0, marker); // an earlier result in the active shot
    const SimResult r = c.routine(m);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find(c.reason), std::string::npos) << "reason: " << r.reason;
    EXPECT_EQ(r.reason.find('\n'), std::string::npos);
    // Either untouched (refused up front) or emptied (refused on the way).
    const Trajectory& shot = m.currentShot();
    EXPECT_TRUE(shot.empty() || (shot.size() == 1 && m.currentPoint(0) == marker));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Pathological, Refusal,
    ::testing::Values(
        RefusalCase{"ComplexZeroStep", complexSwing, [](SwingModel& m) { m.TimeStepSize = 0; }, "TimeStepSize must be a finite number above 0"},
        RefusalCase{"ComplexNegativeStep", complexSwing, [](SwingModel& m) { m.TimeStepSize = -0.001; }, "TimeStepSize must be a finite number above 0"},
        RefusalCase{"ComplexZeroSpeed", complexSwing, [](SwingModel& m) { m.TeeBallSpeed = 0; }, "TeeBallSpeed is 0"},
        RefusalCase{"ComplexNaNSpeed", complexSwing, [](SwingModel& m) { m.TeeBallSpeed = kNaN; }, "TeeBallSpeed is not a finite number"},
        RefusalCase{"ComplexInfiniteWind", complexSwing, [](SwingModel& m) { m.hole.WindSpeed = kInf; }, "WindSpeed is not a finite number"},
        RefusalCase{"ComplexNaNHole", complexSwing, [](SwingModel& m) { m.hole.HolePos.y = kNaN; }, "HolePos y is not a finite number"},
        RefusalCase{"SimpleInfiniteStep", simpleSwing, [](SwingModel& m) { m.TimeStepSize = HUGE_VAL; }, "TimeStepSize is not a finite number"},
        RefusalCase{"ComplexInfiniteStep", complexSwing, [](SwingModel& m) { m.TimeStepSize = HUGE_VAL; }, "TimeStepSize must be a finite number above 0"},
        RefusalCase{"SimplePuttInfiniteBall", simplePutt, [](SwingModel& m) { putt(m); m.BallPos.x = -kInf; }, "BallPos x is not a finite number"},
        RefusalCase{"ComplexPuttNaNTilt", complexPutt, [](SwingModel& m) { putt(m); m.hole.GreenXRot = kNaN; }, "GreenXRot is not a finite number"},
        RefusalCase{"ComplexPuttNaNTreeWithTree", complexPutt, [](SwingModel& m) { m.selectHole(2); putt(m); m.hole.TreePos.z = kNaN; }, "TreePos z is not a finite number"},
        // Level green, no friction, aim straight along y: the friction is 0/0.
        RefusalCase{"ComplexPuttUndefinedFriction", complexPutt, [](SwingModel& m) { m.selectHole(4); putt(m); m.BallPos = {0, 95, 0}; m.hole.GreenRho = 0; }, "friction is undefined"},
        RefusalCase{"RollWithoutFriction", complexSwing, [](SwingModel& m) { m.hole.GreenRho = 0; }, "never stop rolling"},
        RefusalCase{"RollWithNegativeFriction", complexSwing, [](SwingModel& m) { m.hole.GreenRho = -0.1; }, "never stop rolling"},
        RefusalCase{"RollTooLong", complexSwing, [](SwingModel& m) { m.hole.GreenRho = 1e-6; }, "The roll would need more than 1000000 points"},
        // Fast back toward the tee: restitution above 1, the bounces grow.
        RefusalCase{"GrowingBounces", complexSwing, [](SwingModel& m) { m.TeeTargetAngle = 180; m.TeeBallSpeed = 3000; }, "The bounces would need more than 1000000 points"},
        RefusalCase{"FlightTinyStep", complexSwing, [](SwingModel& m) { m.TimeStepSize = 1e-6; }, "The flight would need more than 1000000 points"},
        RefusalCase{"SimpleSwingTinyStep", simpleSwing, [](SwingModel& m) { m.TimeStepSize = 1e-6; }, "The simple swing would need more than 1000000 points"},
        RefusalCase{"SimplePuttTinyStep", simplePutt, [](SwingModel& m) { putt(m); m.BallPos = {0, 0, 0}; m.TimeStepSize = 1e-7; }, "The putt would need more than 1000000 points"},
        RefusalCase{"SwingInPuttMode", complexSwing, [](SwingModel& m) { m.PuttEnabled = true; }, "complexSwing needs PuttEnabled 0"},
        RefusalCase{"PuttInSwingMode", simplePutt, [](SwingModel&) {}, "simplePutt needs PuttEnabled 1"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Odd but finite inputs run to an end instead of being refused.
TEST(OddInputs, RunToAnEnd)
{
    SwingModel m(false);
    m.TeeBallSpeed = -50;
    EXPECT_TRUE(complexSwing(m));
    m.TimeStepSize = -1; // the simple routines and the putt take their default step
    EXPECT_TRUE(simpleSwing(m));
    EXPECT_NEAR(m.teePoint(1).y,
                0.1 * -50 * 1.4666666667 * 0.3333333333 * std::cos(45 * 0.0174532925), 1e-9);
    putt(m);
    ASSERT_TRUE(complexPutt(m));
    EXPECT_EQ(m.puttShot.size(), 4002); // 0.001 s steps: still rolling after 4 s

    // A ball struck at 0 mph in the simple mode drops onto the ground at the
    // tee; a NaN step is replaced like any other unusable one.
    SwingModel still(false);
    still.TeeBallSpeed = 0;
    still.TimeStepSize = kNaN;
    ASSERT_TRUE(simpleSwing(still));
    const Vector3 last = still.teeShot.back().second;
    EXPECT_EQ(last.y, 0.0);
    EXPECT_DOUBLE_EQ(last.z, still.groundHeight(0, 0));
    EXPECT_NEAR(still.teePoint(1).z, -0.1 * 10.724682865594197 * 0.1 * 0.5, 1e-12);
}
