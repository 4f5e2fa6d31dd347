// One contact of the bounce: restitution, sliding or rolling, spin.

#include "Simulation.h"

#include <cmath>
#include <gtest/gtest.h>

using quillmoor::bounceImpact;
using quillmoor::ContactState;

namespace {

struct ContactCase
{
    const char* name;
    double vt, vn, omega;
    ContactState expected;
};

class Contact : public ::testing::TestWithParam<ContactCase>
{
};

} // namespace

TEST_P(Contact, GivesTheExpectedVelocities)
{
    const ContactCase& c = GetParam();
    ContactState out;
    ASSERT_TRUE(bounceImpact(c.vt, 0.4, c.vn, c.omega, 0.07, out));
    EXPECT_NEAR(out.vt, c.expected.vt, 1e-9);
    EXPECT_NEAR(out.vn, c.expected.vn, 1e-9);
    EXPECT_NEAR(out.omega, c.expected.omega, 1e-9);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Bounce, Contact,
    ::testing::Values(
        // Straight down: e = 0.51, rolling, rebounds straight up.
        ContactCase{"Vertical", 0, -30, 0, {0, 15.3, 0}},
        // Fast tangential contact: e = 0.12, slides.
        ContactCase{"FastSlide", 70, -10, 0, {65.52, 1.2, -160.0}},
        // At exactly 20 m/s the speed-dependent restitution still applies.
        ContactCase{"TwentyMetresPerSecond", 65.6167979, -10, 0, {61.131997899831745, 1.2120000004206244, -160.17142857743744}},
        ContactCase{"SlowSlide", 10, -5, 0, {7.191821710679534, 2.0204457233011652, -100.2920817614452}},
        // Rolling, spin small against the new surface speed: spin decays.
        ContactCase{"RollSpinDecays", 1, -20, 1, {0.6942857142857143, 9.973077829244772, 0.85}},
        // Rolling, strong back spin: spin matches the rolling speed.
        ContactCase{"RollSpinMatches", 1, -20, -100, {2.7142857142857144, 9.973077829244772, -38.775510204081634}},
        // Fast back toward the tee: restitution above 1, the bounces grow.
        ContactCase{"FastReverse", -200, -20, 0, {-142.85714285714286, 31.59315596147041, 0}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(Bounce, SlidingWithoutTangentialSpeedLeavesTheResultAlone)
{
    ContactState out{1.5, 2.5, 3.5};
    EXPECT_FALSE(bounceImpact(0, 0.4, -2, 400, 0.07, out));
    EXPECT_EQ(out.vt, 1.5);
    EXPECT_EQ(out.vn, 2.5);
    EXPECT_EQ(out.omega, 3.5);
}
