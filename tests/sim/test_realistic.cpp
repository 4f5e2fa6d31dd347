// The realistic physics on its own: the air, the coefficients, independence
// from the steps, and shots on the holes.

#include "RealisticFlight.h"
#include "ShotRun.h"
#include "ShotSummary.h"
#include "SwingModel.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace quillmoor;

namespace {

// A fresh model on a hole, for a realistic tee shot.
SwingModel modelOnHole(int hole)
{
    holeCatalogue().clear();
    SwingModel m(false);
    m.selectHole(hole);
    return m;
}

double carryOf(const SwingModel& m)
{
    return summarizeTeeShot(m).value().carry.value();
}

} // namespace

// Reference values of the International Standard Atmosphere and of moist air.
TEST(Air, FollowsTheStandardAtmosphereAndMoistAir)
{
    const double rows[][4] = {{59.0, 0.0, 0.0, 1.225}, // sea level, 15 C, dry
                              {70.0, 0.0, 50.0, 1.194},
                              {47.3, 3280.84, 0.0, 1.1116}}; // 1000 m
    for (const auto& [temperatureF, altitudeFt, humidity, density] : rows)
        EXPECT_NEAR(airAt(temperatureF, altitudeFt, humidity).density, density, 0.002)
            << temperatureF << " F " << altitudeFt << " ft " << humidity << " %";
    // The viscosity depends on the heat alone.
    EXPECT_NEAR(airAt(70, 0, 50).viscosity, 1.84e-5, 0.02e-5);
    EXPECT_DOUBLE_EQ(airAt(95, 5000, 50).viscosity, airAt(95, 0, 50).viscosity);
}

TEST(Coefficients, DragRisesAndLiftFadesBelowTheCrisis)
{
    for (double s : {0.1, 0.2, 0.4}) {
        EXPECT_GT(dragCoefficient(s, 0.6e5), dragCoefficient(s, 1.5e5) + 0.1) << "S " << s;
        EXPECT_LT(liftCoefficient(s, 0.7e5), 0.7 * liftCoefficient(s, 1.5e5)) << "S " << s;
        EXPECT_DOUBLE_EQ(liftCoefficient(s, 1.5e5), liftCoefficient(s, 2.2e5)) << "S " << s;
    }
    // More spin, more lift and more drag, within the measured range.
    EXPECT_GT(liftCoefficient(0.3, 1.5e5), liftCoefficient(0.1, 1.5e5));
    EXPECT_GT(dragCoefficient(0.3, 1.5e5), dragCoefficient(0.1, 1.5e5));
    EXPECT_EQ(liftCoefficient(0.0, 1.5e5), 0.0);
    EXPECT_GT(dragCoefficient(0.0, 1.5e5), 0.15); // no spin is no drag-free ball
}

TEST(RealisticSwing, DoesNotDependOnTheStepsItIsStoredOrIntegratedOn)
{
    SwingModel m = modelOnHole(4);
    m.TeeBallSpeed = 167;
    m.TeeLaunchAngle = 10.9;
    m.TeeBackSpin = 2686;
    m.hole.GreenType = 0; // ends at the landing
    ASSERT_TRUE(realisticSwing(m, nullptr));
    EXPECT_EQ(m.FirstImpact, m.currentStepCount() - 1); // stays where it lands, off the green
    const double carry = carryOf(m);
    EXPECT_GT(carry, 250);

    SwingModel half = m;
    ASSERT_TRUE(realisticSwing(half, nullptr, kRealisticFlightStep / 2));
    EXPECT_NEAR(carryOf(half), carry, 0.1);

    for (double dt : {0.0005, 0.01, 0.1}) {
        SwingModel other = m;
        other.TimeStepSize = dt;
        ASSERT_TRUE(realisticSwing(other));
        EXPECT_NEAR(carryOf(other), carry, 0.01) << "TimeStepSize " << dt;
        // One point per step: the hang time is the landing's step.
        EXPECT_NEAR(summarizeTeeShot(other)->hangTime.value(),
                    summarizeTeeShot(m)->hangTime.value(), dt + 0.001);
    }
}

TEST(RealisticSwing, StoresOnePointPerStepAboveTheGroundUntilTheLandingOrTheRest)
{
    SwingModel m = modelOnHole(1);
    ASSERT_TRUE(runShot(m, ShotMode::Realistic));
    const int k = m.FirstImpact;
    ASSERT_GT(k, 1);
    ASSERT_GT(m.teeShot.size(), k);
    int expected = 0;
    for (const auto& [step, p] : m.teeShot) {
        ASSERT_EQ(step, expected++);
        if (step > 0 && step < k) {
            EXPECT_GT(p.z, m.groundHeight(p.x, p.y)) << "step " << step;
        }
    }
    const Vector3 landing = m.teePoint(k);
    EXPECT_NEAR(landing.z, m.groundHeight(landing.x, landing.y), 1e-9);
    // Hole 1's wind blows toward 22 degrees: the ball drifts left (-x).
    EXPECT_LT(landing.x, 0.0);
    // The last point is where the ball rests, and Trajex's BallPos.
    EXPECT_EQ(m.BallPos, m.teeShot.back().second);
}

TEST(RealisticSwing, AWedgeOntoTheGreenStopsWithinAFewYards)
{
    // Hole 4's green lies 100 yd out, flat.
    SwingModel m = modelOnHole(4);
    m.hole.WindSpeed = 0;
    m.TeeBallSpeed = 84;
    m.TeeLaunchAngle = 30;
    m.TeeBackSpin = 9500;
    ASSERT_TRUE(realisticSwing(m));
    const TeeShotNumbers n = summarizeTeeShot(m).value();
    ASSERT_TRUE(m.isOnGreen()) << "carry " << *n.carry;
    EXPECT_LT(*n.roll, 4.0);
    EXPECT_GT(n.landingAngle.value(), 45.0);

    // On a green slower than the fairway it stops shorter than off it.
    m.hole.GreenRho = 0.4;
    double roll[2];
    for (double size : {m.hole.GreenSize, 0.1}) {
        m.hole.GreenSize = size;
        ASSERT_TRUE(realisticSwing(m));
        roll[size < 1] = *summarizeTeeShot(m)->roll;
    }
    EXPECT_LT(roll[0], roll[1] - 0.5) << roll[0] << " yd on, " << roll[1] << " yd off the green";
}

TEST(RealisticSwing, TheAirMatters)
{
    SwingModel m = modelOnHole(4);
    m.hole.WindSpeed = 0;
    m.hole.GreenType = 0;
    m.TeeBallSpeed = 150;
    m.TeeLaunchAngle = 12;
    m.TeeBackSpin = 3000;
    ASSERT_TRUE(realisticSwing(m));
    const double standard = carryOf(m);
    auto carryIn = [&](double t, double a, double h) {
        SwingModel other = m;
        other.Temperature = t;
        other.Altitude = a;
        other.Humidity = h;
        EXPECT_TRUE(realisticSwing(other));
        return carryOf(other);
    };
    EXPECT_LT(carryIn(40, 0, 50), standard - 1);
    EXPECT_GT(carryIn(70, 5000, 50), standard + 8);
    EXPECT_GT(carryIn(70, 0, 100), standard); // moist air is thinner
    // The complex physics knows no air.
    SwingModel complex = m;
    complex.Altitude = 5000;
    SwingModel plain = m;
    ASSERT_TRUE(complexSwing(complex) && complexSwing(plain));
    EXPECT_EQ(complex.teeShot.back().second, plain.teeShot.back().second);
}
