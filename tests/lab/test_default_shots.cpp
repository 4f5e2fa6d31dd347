// The numbers of the default tee shot on hole 1 and of the hole-1 putt
// example, derived from the points the simulator is known to produce.

#include "ShotSummary.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quillmoor;

// First impact at step 7590, (-3.690, 108.284, -5.635); highest point 55.68 yd;
// last step 12462, (-5.296, 120.309, -5.928); the cup at (-15, 154, -7).
TEST(DefaultShots, TeeShot)
{
    holeCatalogue().clear();
    SwingModel m(false);
    ASSERT_TRUE(complexSwing(m));
    const auto t = summarizeTeeShot(m);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->landingIndex, 7590);
    EXPECT_NEAR(*t->carry, std::hypot(3.690, 108.284), 2e-3);
    EXPECT_NEAR(t->total, std::hypot(5.296, 120.309), 2e-3);
    EXPECT_NEAR(t->apex, 55.68, 5e-3);
    EXPECT_NEAR(*t->hangTime, 7.590, 1e-12);
    EXPECT_NEAR(*t->sideAtLanding, -3.690, 1e-3);
    EXPECT_NEAR(t->distanceToHole, std::sqrt(9.704 * 9.704 + 33.691 * 33.691 + 1.072 * 1.072),
                2e-3);
    // Steps 7588 (-3.68807, 108.25880, -5.60147) to 7589 (-3.68880, 108.27152,
    // -5.62403), the last whole step in the air, descend at 60.53 degrees,
    // steeper than the 45 the ball left at (drag). The cut step into the
    // ground would say 41.8.
    EXPECT_NEAR(*t->landingAngle, 60.532, 1e-3);
    EXPECT_EQ(shotVerdict(m), "Carry 108.3 yd, total 120.4 yd");
}
