#include "ModelFixture.h"
#include "Units.h"

// The green tilts under a ball waiting for a putt; the ball stays on it.
struct GroundCase
{
    bool putt;
    const char* key;
    bool moves;
};

class BallOnGround : public ModelTest, public ::testing::WithParamInterface<GroundCase>
{
};

TEST_P(BallOnGround, FollowsTheTiltOnlyInPuttMode)
{
    const GroundCase& c = GetParam();
    SwingModel m;
    m.setPuttEnabled(c.putt);
    const Vector3 start(-14.0, 152.0, m.groundHeight(-14.0, 152.0));
    m.setBallPos(start);
    m.setValue(c.key, 4.0);
    RecordingListener heard;

    EXPECT_EQ(m.keepBallOnGround(c.key), c.moves);
    const Vector3 p = m.ballPos();
    EXPECT_EQ(p.x, start.x);
    EXPECT_EQ(p.y, start.y);
    EXPECT_EQ(p.z, c.moves ? m.groundHeight(start.x, start.y) : start.z);
    EXPECT_EQ(heard.flags, c.moves ? Flags{BallChanged} : Flags{});
}

INSTANTIATE_TEST_SUITE_P(Keys, BallOnGround,
                         ::testing::Values(GroundCase{true, "GreenXRot", true},
                                           GroundCase{true, "GreenYRot", true},
                                           GroundCase{true, "GreenRho", false},
                                           GroundCase{false, "GreenXRot", false},
                                           GroundCase{false, "GreenYRot", false}));

TEST(Units, FeetAndInchesChangeAtOneFoot)
{
    EXPECT_EQ(quillmoor::feetAndInchesText(0.0), "0.00 inches");
    EXPECT_EQ(quillmoor::feetAndInchesText(0.3), "10.80 inches");
    EXPECT_EQ(quillmoor::feetAndInchesText(1.0 / 3.0), "1.00 feet");
    EXPECT_EQ(quillmoor::feetAndInchesText(4.0), "12.00 feet");
}

TEST(Units, AnglesWrapIntoTheHalfOpenCircle)
{
    for (const auto& [in, out] : {std::pair{-180.0, 180.0},
                                  {180.0, 180.0},
                                  {540.0, 180.0},
                                  {190.0, -170.0},
                                  {-190.0, 170.0},
                                  {-179.5, -179.5}})
        EXPECT_EQ(quillmoor::wrappedDegrees(in), out) << in;
}
