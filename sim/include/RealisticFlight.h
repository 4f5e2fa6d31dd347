#pragma once
// The realistic physics: a golf ball's flight from published aerodynamics, and
// its bounces and roll on turf.
//
// Flight: gravity, drag and Magnus lift quadratic in the speed relative to
// the air, the lift along w x v; drag and lift coefficients from the spin
// ratio S = r|w|/|v| and the Reynolds number Re = rho|v|D/mu, so a slow ball
// below Re 1e5 meets the drag rise and lift loss of the drag crisis; spin that
// decays with speed; air density from temperature, altitude and humidity;
// the hole's wind, growing with height above the ground. SI units inside
// (metres, seconds, radians), converted at the edges; the hole's axes.
//
// Ground: each contact is a rigid impact on the turf, tilted by the crater
// the ball digs (steeper the faster and steeper it lands), with restitution
// falling with the impact speed and friction that either grips or slides;
// then a skid until the ball rolls, and a roll braked by the green's GreenRho
// on the green and by fairway friction elsewhere, pulled by the slope.
//
// Every constant names its source in RealisticFlight.cpp or
// RealisticGround.cpp. The integration runs on its own fixed step and the
// stored points are sampled from it one per TimeStepSize, so the shot does not
// depend on the step a user chose for the replay.

#include "Simulation.h"

class SwingModel;

namespace quillmoor {

// The air of the flight: density (kg/m^3) and dynamic viscosity (Pa s).
struct Air
{
    double density = 0.0;
    double viscosity = 0.0;
};

// Air at a temperature (deg F), an altitude (ft above sea level, the
// standard atmosphere's pressure there) and a relative humidity (%, 0 to 100
// taken as given beyond).
Air airAt(double temperatureF, double altitudeFt, double humidityPct);

// The air the realistic swing plays in: -100 to 200 F, -2000 to 36000 ft
// (the standard atmosphere's lowest layer), 0 to 100 %. A refusal names the
// value that is outside.
SimResult checkAir(double temperatureF, double altitudeFt, double humidityPct);

// Coefficients of a ball at spin ratio S (>= 0) and Reynolds number Re.
double dragCoefficient(double spinRatio, double reynolds);
double liftCoefficient(double spinRatio, double reynolds);

// The golf ball of the Rules: largest mass, smallest diameter.
constexpr double kBallMass = 0.04593;     // kg
constexpr double kBallDiameter = 0.04267; // m

// What the stored points do not tell about a realistic shot.
struct RealisticReport
{
    bool landed = false;        // false when the shot was refused
    double landingSpeedMph = 0; // at the first contact
    double landingSpinRpm = 0;  // spin rate at the first contact
    double landingAngleDeg = 0; // of the velocity at the first contact, positive down
};

// The integration step of the flight (s). Halving it moves a drive's landing
// by far less than 0.1 yd.
constexpr double kRealisticFlightStep = 0.01;

// realisticSwing (Simulation.h) that also fills report, on a given step.
SimResult realisticSwing(SwingModel& model, RealisticReport* report,
                         double flightStep = kRealisticFlightStep);

} // namespace quillmoor
