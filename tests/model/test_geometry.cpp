#include "ModelFixture.h"

#include <cmath>

namespace {
constexpr double deg = 0.0174532925;
}

TEST_F(ModelTest, GroundBeforeTheTeeIsTheFarEdgeHeight)
{
    SwingModel m; // hole 1: no tree, green radius 5, GreenXRot -3.8
    const double farEdge = -7 + 6 * std::sin(-3.8 * deg);
    EXPECT_NEAR(m.groundHeight(0, 0), farEdge, 1e-12);
    EXPECT_NEAR(m.groundHeight(0, -5), farEdge, 1e-12);
    EXPECT_NEAR(m.groundHeight(0, 500), farEdge, 1e-12);
}

TEST_F(ModelTest, GroundInterpolatesTheProfile)
{
    SwingModel m;
    const double nearY = 154 - 6 * std::cos(-3.8 * deg);
    const double nearZ = -7 - 6 * std::sin(-3.8 * deg);
    EXPECT_NEAR(m.groundHeight(0, 20), -3 + (nearZ + 3) * 20 / nearY, 1e-12);

    m.selectHole(2); // tree at (0, 30, 0)
    EXPECT_DOUBLE_EQ(m.groundHeight(0, 15), -1.5);
    EXPECT_DOUBLE_EQ(m.groundHeight(7, 30), 0.0); // x plays no part off the green
}

TEST_F(ModelTest, GreenIsATiltedPlaneClampedToItsRim)
{
    SwingModel m;
    const Vector3 h = m.hole.HolePos;
    EXPECT_NEAR(m.groundHeight(h.x, h.y), h.z, 1e-12);
    // Far to the side: the height of the rim at the same y.
    EXPECT_NEAR(m.groundHeight(h.x + 100, h.y + 1), m.groundHeight(h.x + std::sqrt(36.0 - 1), h.y + 1),
                1e-12);
    const double approx = h.z + std::sin(-3.8 * deg) * 2 - std::sin(-2.5 * deg) * 1;
    EXPECT_NEAR(m.groundHeight(h.x + 1, h.y + 2), approx, 1e-3);
}

TEST_F(ModelTest, PuttAimPointsAtTheHole)
{
    SwingModel m;
    EXPECT_NEAR(m.puttAimAngle(), std::atan(15.0 / 154.0) / deg, 1e-9);
    EXPECT_GT(m.puttAimAngle(), 5.5);
    m.BallPos = {-30, 154, 0}; // hole to +x: negative angle
    EXPECT_NEAR(m.puttAimAngle(), -90, 1e-6);
    m.BallPos = m.hole.HolePos;
    m.PuttTargetAngle = 10;
    EXPECT_NEAR(m.puttAimAngle(), 100.0, 1e-6);
}

TEST_F(ModelTest, GreenSlopePointsDownhill)
{
    SwingModel m;
    m.selectHole(4);
    EXPECT_EQ(m.greenSlope(), Vector3());
    m.setGreenXRot(10);
    const Vector3 v = m.greenSlope();
    EXPECT_NEAR(v.length(), 1.0, 1e-6);
    EXPECT_LT(v.y, -0.9);
    EXPECT_NEAR(v.x, 0.0, 1e-12);
}

TEST_F(ModelTest, DistanceUsesTheActiveShotsLastPoint)
{
    SwingModel m;
    EXPECT_NEAR(m.distanceToHole(), std::sqrt(15.0 * 15 + 154 * 154 + 7 * 7), 1e-12);
    m.setPoint(0, {0, 0, 0});
    m.setPoint(1, {-15, 150, -7});
    EXPECT_NEAR(m.distanceToHole(), 4.0, 1e-12);
    EXPECT_TRUE(m.isOnGreen());
    m.setPoint(2, {-15, 149, -7}); // exactly on the rim is off the green
    EXPECT_FALSE(m.isOnGreen());
    m.setPuttEnabled(true); // empty putt: measured from BallPos
    EXPECT_NEAR(m.distanceToHole(), m.distanceToHole(m.BallPos), 0.0);
}

TEST_F(ModelTest, MaxPositionAndTreeProximity)
{
    SwingModel m;
    int step = 7;
    EXPECT_EQ(m.maxPosition(0, &step), Vector3());
    EXPECT_EQ(step, -1);
    m.setPoint(0, {0, 0, 0});
    m.setPoint(1, {-2, 10, -1});
    m.setPoint(2, {2, 20, -3});
    m.setPoint(3, {1, 15, -2});
    EXPECT_EQ(m.maxPosition(0, &step), Vector3(-2, 10, -1)); // ties keep the earlier
    EXPECT_EQ(step, 1);
    EXPECT_EQ(m.maxPosition(1, &step).y, 20);
    m.maxPosition(2, &step);
    EXPECT_EQ(step, -1); // never above zero
    m.maxPosition(3, &step);
    EXPECT_EQ(step, -1);

    Vector3 point, offset;
    double distance = 0;
    EXPECT_FALSE(m.treeProximity(point, offset, distance, &step)); // hole 1 has no tree
    m.hole.TreeType = "Elm";
    m.hole.TreePos = {0, 15, -30};
    m.hole.TreeSize = {1, 1, 28};
    ASSERT_TRUE(m.treeProximity(point, offset, distance, &step));
    EXPECT_EQ(step, 3);
    EXPECT_EQ(offset, Vector3(-1, 0, 0));
    EXPECT_EQ(distance, 1.0);
}
