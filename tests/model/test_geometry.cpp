#include "ModelFixture.h"

#include <cmath>

namespace {
constexpr double deg = 0.0174532925;
}

TEST_F(ModelTest, GroundFollowsTheProfileOntoTheGreen)
{
    SwingModel m; // hole 1 at (-15, 154, -7): no tree, green radius 5, tilts -3.8 and -2.5
    const double farEdge = -7 + 6 * std::sin(-3.8 * deg);
    EXPECT_NEAR(m.groundHeight(0, 0), farEdge, 1e-12); // at the tee line, not -3
    const double nearY = 154 - 6 * std::cos(-3.8 * deg);
    const double nearZ = -7 - 6 * std::sin(-3.8 * deg);
    EXPECT_NEAR(m.groundHeight(0, 20), -3 + (nearZ + 3) * 20 / nearY, 1e-12);

    // The green: a plane tilted about the hole, clamped to its rim (radius 6).
    const auto plane = [](double dx, double dy) {
        return -7 + std::sin(-3.8 * deg) * dy - std::sin(-2.5 * deg) * dx;
    };
    EXPECT_NEAR(m.groundHeight(-15 + 1, 154 + 2), plane(1, 2), 1e-12);
    EXPECT_NEAR(m.groundHeight(-15 - 100, 154 + 1), plane(-std::sqrt(35.0), 1), 1e-12);

    m.selectHole(2);                               // tree at (0, 30, 0)
    EXPECT_DOUBLE_EQ(m.groundHeight(7, 15), -1.5); // x plays no part off the green
}

TEST_F(ModelTest, AimAndDistanceFromTheBall)
{
    SwingModel m;
    EXPECT_NEAR(m.puttAimAngle(), std::atan(15.0 / 154.0) / deg, 1e-9); // toward -x
    m.setPoint(0, {0, 0, 0});
    m.setPoint(1, {-15, 150, -7});
    EXPECT_DOUBLE_EQ(m.distanceToHole(), 4.0); // from the active shot's last point
    EXPECT_TRUE(m.isOnGreen());
    m.setPoint(2, {-15, 149, -7}); // exactly on the rim is off the green
    EXPECT_FALSE(m.isOnGreen());
    Vector3 point, offset;
    double distance = 0;
    m.setPoint(3, {0, 40, 29}); // through the top of hole 1's tree, which has no type
    EXPECT_FALSE(m.treeProximity(point, offset, distance));

    m.setPuttEnabled(true); // empty putt: measured from BallPos
    m.BallPos = {-30, 154, -7};
    EXPECT_DOUBLE_EQ(m.distanceToHole(), 15.0);
    EXPECT_NEAR(m.puttAimAngle(), -90, 1e-6); // hole to +x: negative
    m.BallPos = m.hole.HolePos;
    m.PuttTargetAngle = 10;
    EXPECT_NEAR(m.puttAimAngle(), 100.0, 1e-6);
}
