// The worked examples: default tee shots on hole 1 and putts near its hole;
// single contacts of the bounce.

#include "Simulation.h"
#include "SwingModel.h"

#include <gtest/gtest.h>

using namespace quillmoor;

namespace {

// Hole 1 in putt mode, the ball on the ground at (x, y).
SwingModel putt(double x, double y, double speed, double dt = 0.001)
{
    SwingModel m(false);
    m.PuttEnabled = true;
    m.PuttBallSpeed = speed;
    m.TimeStepSize = dt;
    m.BallPos = {x, y, m.groundHeight(x, y)};
    return m;
}

} // namespace

TEST(WorkedExample, TeeShots)
{
    SwingModel m(false);
    ASSERT_TRUE(simpleSwing(m)); // ends 10 yards beyond the green, still in the air
    EXPECT_EQ(m.teeShot.size(), 4446);
    EXPECT_EQ(m.teeShot.back().first, 4445);
    EXPECT_LT((m.teeShot.back().second - Vector3(0, 169.028, 63.079)).length(), 1e-3);

    ASSERT_TRUE(complexSwing(m)); // flight, bounces and roll
    EXPECT_EQ(m.FirstImpact, 7590);
    EXPECT_LT((m.teePoint(7590) - Vector3(-3.690, 108.284, -5.635)).length(), 1e-3);
    EXPECT_EQ(m.teeShot.size(), 12463);
    EXPECT_LT((m.teeShot.back().second - Vector3(-5.296, 120.309, -5.928)).length(), 1e-3);
}

TEST(WorkedExample, Putts)
{
    SwingModel m = putt(-15, 153, 2.0);
    ASSERT_TRUE(complexPutt(m));
    EXPECT_EQ(m.puttShot.back().first, 915);
    EXPECT_EQ(m.puttShot.back().second, m.hole.HolePos); // holed: exactly the hole

    m = putt(-15, 153, 1.0); // still rolling at the step limit
    ASSERT_TRUE(complexPutt(m));
    EXPECT_EQ(m.puttShot.size(), 4002);
    EXPECT_NEAR(m.puttShot.back().second.x, -17.677, 1e-3);
    EXPECT_NEAR(m.puttShot.back().second.y, 154.256, 1e-3);

    m = putt(0, 0, 10.0, 0.01); // far from the hole: speed falls below 0.6 yd/s first
    ASSERT_TRUE(simplePutt(m));
    EXPECT_EQ(m.puttShot.size(), 105);
    EXPECT_EQ(m.puttShot.back().first, 104);
}

// bounceImpact(vt, 0.4, vn, omega, 0.07) on a state holding {1.5, 2.5, 3.5}.
TEST(Bounce, OneContact)
{
    const struct
    {
        double vt, vn, omega;
        bool set;
        ContactState expected;
    } cases[] = {
        // Fast tangential contact: e = 0.12, slides; at exactly 20 m/s e still depends on vt.
        {70, -10, 0, true, {65.52, 1.2, -160.0}},
        {65.6167979, -10, 0, true, {61.131997899831745, 1.2120000004206244, -160.17142857743744}},
        // Rolling: strong back spin matches the rolling speed.
        {1, -20, -100, true, {2.7142857142857144, 9.973077829244772, -38.775510204081634}},
        // Sliding without tangential speed: no result, the state stays.
        {0, -2, 400, false, {1.5, 2.5, 3.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "vt " << c.vt << " vn " << c.vn << " omega " << c.omega);
        ContactState out{1.5, 2.5, 3.5};
        EXPECT_EQ(bounceImpact(c.vt, 0.4, c.vn, c.omega, 0.07, out), c.set);
        EXPECT_NEAR(out.vt, c.expected.vt, 1e-9);
        EXPECT_NEAR(out.vn, c.expected.vn, 1e-9);
        EXPECT_NEAR(out.omega, c.expected.omega, 1e-9);
    }
}
