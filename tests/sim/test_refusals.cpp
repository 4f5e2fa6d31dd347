// Inputs that can never give a result are refused quickly with a reason, and
// leave no partial path behind. Odd but usable inputs that still run are in
// the BadInputTable of test_trajex.cpp.

#include "Simulation.h"
#include "SwingModel.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

using namespace quillmoor;

namespace {

struct RefusalCase
{
    const char* name;
    SimResult (*routine)(SwingModel&);
    void (*setup)(SwingModel&);
    const char* reason; // a part of the expected reason
};

class Refusal : public ::testing::TestWithParam<RefusalCase>
{
};

} // namespace

TEST_P(Refusal, IsReportedAndLeavesNoPartialPath)
{
    const RefusalCase& c = GetParam();
    SwingModel m(false);
    m.PuttEnabled = c.routine == simplePutt || c.routine == complexPutt;
    c.setup(m);
    m.setPoint(0, {7, 8, 9}); // an earlier result in the active shot
    const SimResult r = c.routine(m);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find(c.reason), std::string::npos) << "reason: " << r.reason;
    EXPECT_EQ(r.reason.find('\n'), std::string::npos);
    // Either untouched (refused up front) or emptied (refused on the way).
    EXPECT_TRUE(m.currentShot().empty() ||
                (m.currentStepCount() == 1 && m.currentPoint(0) == Vector3(7, 8, 9)));
}

// One row per reason and routine; a putt routine starts in putt mode.
// clang-format off
const RefusalCase kRefusals[] = {
    {"ComplexZeroStep", complexSwing, [](auto& m) { m.TimeStepSize = 0; }, "TimeStepSize must be a finite number above 0"},
    {"ComplexZeroSpeed", complexSwing, [](auto& m) { m.TeeBallSpeed = 0; }, "TeeBallSpeed is 0"},
    {"ComplexInfiniteWind", complexSwing, [](auto& m) { m.hole.WindSpeed = INFINITY; }, "WindSpeed is not a finite"},
    {"SimpleInfiniteStep", simpleSwing, [](auto& m) { m.TimeStepSize = INFINITY; }, "TimeStepSize is not a finite"},
    {"SimplePuttInfiniteBall", simplePutt, [](auto& m) { m.BallPos.x = -INFINITY; }, "BallPos x is not a finite"},
    {"ComplexPuttNaNTree", complexPutt, [](auto& m) { m.selectHole(2); m.hole.TreePos.z = NAN; }, "TreePos z is not a finite"},
    // Level green, no friction, aim straight along y: the friction is 0/0.
    {"ComplexPuttUndefinedFriction", complexPutt, [](auto& m) { m.selectHole(4); m.BallPos = {0, 95, 0}; m.hole.GreenRho = 0; }, "friction is undefined"},
    {"RollWithNegativeFriction", complexSwing, [](auto& m) { m.hole.GreenRho = -0.1; }, "never stop rolling"},
    {"RollTooLong", complexSwing, [](auto& m) { m.hole.GreenRho = 1e-6; }, "The roll would need more than"},
    {"GrowingBounces", complexSwing, [](auto& m) { m.TeeTargetAngle = 180; m.TeeBallSpeed = 3000; }, "The bounces would need more than"},
    {"FlightTinyStep", complexSwing, [](auto& m) { m.TimeStepSize = 1e-6; }, "The flight would need more than"},
    {"SimpleSwingTinyStep", simpleSwing, [](auto& m) { m.TimeStepSize = 1e-6; }, "The simple swing would need more than"},
    {"SimplePuttTinyStep", simplePutt, [](auto& m) { m.TimeStepSize = 1e-7; }, "The putt would need more than 1000000 points"},
    {"SwingInPuttMode", complexSwing, [](auto& m) { m.PuttEnabled = true; }, "complexSwing needs PuttEnabled 0"},
    {"PuttInSwingMode", simplePutt, [](auto& m) { m.PuttEnabled = false; }, "simplePutt needs PuttEnabled 1"},
    {"RealisticZeroStep", realisticSwing, [](auto& m) { m.TimeStepSize = 0; }, "TimeStepSize must be a finite number above 0"},
    {"RealisticNaNTemperature", realisticSwing, [](auto& m) { m.Temperature = NAN; }, "Temperature is not a finite"},
    {"RealisticThinAir", realisticSwing, [](auto& m) { m.Altitude = 50000; }, "Altitude must be between"},
    {"RealisticSoggyAir", realisticSwing, [](auto& m) { m.Humidity = 150; }, "Humidity must be between"},
    {"RealisticTinyStep", realisticSwing, [](auto& m) { m.TimeStepSize = 1e-6; }, "The realistic shot would need more than"},
    {"RealisticInPuttMode", realisticSwing, [](auto& m) { m.PuttEnabled = true; }, "realisticSwing needs PuttEnabled 0"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Pathological, Refusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });
