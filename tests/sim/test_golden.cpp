// The worked examples: default tee shots on hole 1 and putts near its hole.

#include "SimTestSupport.h"
#include "Simulation.h"

#include <algorithm>
#include <cmath>

using namespace quillmoor;

namespace {

class DefaultHole : public ::testing::Test
{
protected:
    SwingModel m{false};

    void puttFrom(double x, double y, double speed)
    {
        m.PuttEnabled = true;
        m.PuttBallSpeed = speed;
        m.BallPos = {x, y, m.groundHeight(x, y)};
    }
};

// Arc ends lie below the ground; roll points sit on it to ~1e-10 relative.
int bounceArcs(const SwingModel& m)
{
    int arcs = 0;
    for (const auto& [step, p] : m.teeShot)
        if (step > m.FirstImpact && p.z < m.groundHeight(p.x, p.y) - 1e-7)
            ++arcs;
    return arcs;
}

} // namespace

TEST_F(DefaultHole, SimpleSwingEndsTenYardsBeyondTheGreen)
{
    ASSERT_TRUE(simpleSwing(m));
    EXPECT_EQ(m.teeShot.back().first, 4445);
    EXPECT_TRUE(pointNear(m.teeShot.back().second, {0, 169.028, 63.079}, 1e-3));
    EXPECT_TRUE(pointNear(*m.teeShot.find(0), {0, 0, 0}, 0));
    EXPECT_EQ(m.FirstImpact, -1);
}

TEST_F(DefaultHole, SimpleSwingComesDownOnTheGround)
{
    m.TeeBallSpeed = 40;
    ASSERT_TRUE(simpleSwing(m));
    const auto& [step, last] = m.teeShot.back();
    EXPECT_DOUBLE_EQ(last.z, m.groundHeight(last.x, last.y)) << "step " << step;
    EXPECT_GT(m.teePoint(step - 1).z, last.z);
}

TEST_F(DefaultHole, SimpleSwingBehindTheTeeStopsAfterOneSample)
{
    m.TeeTargetAngle = 120;
    ASSERT_TRUE(simpleSwing(m));
    EXPECT_EQ(m.teeShot.size(), 2);
}

TEST_F(DefaultHole, ComplexSwingFlightBouncesAndRoll)
{
    ASSERT_TRUE(complexSwing(m));
    EXPECT_TRUE(pointNear(m.teePoint(1), {-0.000000117, 0.0380176, 0.0380196}, 1e-7));
    EXPECT_EQ(m.FirstImpact, 7590);
    EXPECT_TRUE(pointNear(m.teePoint(7590), {-3.690, 108.284, -5.635}, 1e-3));
    double top = 0;
    for (const auto& [step, p] : m.teeShot)
        top = std::max(top, p.z);
    EXPECT_NEAR(top, 55.68, 5e-3);
    EXPECT_EQ(m.teeShot.size(), 12463);
    EXPECT_EQ(m.teeShot.back().first, 12462);
    EXPECT_TRUE(pointNear(m.teeShot.back().second, {-5.296, 120.309, -5.928}, 1e-3));
    EXPECT_EQ(bounceArcs(m), 4);
}

TEST_F(DefaultHole, ComplexSwingOffTheGreenOnPlainGroundStopsAtImpact)
{
    m.hole.GreenType = 0;
    ASSERT_TRUE(complexSwing(m));
    EXPECT_EQ(m.FirstImpact, 7590);
    EXPECT_EQ(m.teeShot.back().first, 7590);
    const Vector3 p = m.teeShot.back().second;
    EXPECT_NEAR(p.z, m.groundHeight(p.x, p.y), 1e-9);
}

TEST_F(DefaultHole, ComplexPuttAtTwoMphIsHoled)
{
    puttFrom(-15, 153, 2.0);
    ASSERT_TRUE(complexPutt(m));
    EXPECT_EQ(m.puttShot.back().first, 915);
    EXPECT_EQ(m.puttShot.back().second, m.hole.HolePos);
}

TEST_F(DefaultHole, ComplexPuttAtOneMphRunsToTheStepLimit)
{
    puttFrom(-15, 153, 1.0);
    const Vector3 start = m.BallPos;
    ASSERT_TRUE(complexPutt(m));
    EXPECT_EQ(m.puttShot.size(), 4002);
    EXPECT_EQ(m.puttShot.back().first, 4001);
    const Vector3 last = m.puttShot.back().second;
    EXPECT_NEAR(last.x, -17.677, 1e-3);
    EXPECT_NEAR(last.y, 154.256, 1e-3);
    // Via feet and back (x 3.0 x 0.3333333333): off by about 1e-10 relative.
    EXPECT_TRUE(pointNear(*m.puttShot.find(0), start, 1e-7));
}

TEST_F(DefaultHole, ComplexPuttWithoutSpeedOnALevelGreenStopsAtOnce)
{
    m.selectHole(4);
    puttFrom(0, 95, 0.0);
    ASSERT_TRUE(complexPutt(m));
    EXPECT_EQ(m.puttShot.size(), 2);
    EXPECT_LT(m.puttPoint(1).y, 95.0); // pushed back by the friction of a resting ball
}

TEST_F(DefaultHole, SimplePuttFarFromTheHoleMakes104Moves)
{
    puttFrom(0, 0, 10.0);
    m.TimeStepSize = 0.01;
    ASSERT_TRUE(simplePutt(m));
    EXPECT_EQ(m.puttShot.size(), 105);
    EXPECT_EQ(m.puttShot.back().first, 104);
}

TEST_F(DefaultHole, SimplePuttPassingTheHoleDropsIn)
{
    puttFrom(-15, 153, 10.0);
    m.TimeStepSize = 0.01;
    ASSERT_TRUE(simplePutt(m));
    const Vector3 last = m.puttShot.back().second;
    EXPECT_LT(std::hypot(last.x + 15, last.y - 154), 0.2);
    EXPECT_DOUBLE_EQ(last.z, m.groundHeight(last.x, last.y) - 0.22499999999999998);
    EXPECT_LT(m.puttShot.size(), 105);
}

TEST_F(DefaultHole, SimplePuttWithLongStepsEndsAfterOneMove)
{
    puttFrom(0, 0, 10.0);
    m.TimeStepSize = 0.5;
    ASSERT_TRUE(simplePutt(m));
    EXPECT_EQ(m.puttShot.size(), 2);
}
