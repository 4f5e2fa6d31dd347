// Simple mode: a vacuum parabola for the tee shot, a straight putt whose speed
// decays geometrically. Yards and seconds throughout.

#include "Guards.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <cmath>

namespace quillmoor {

namespace {

// Gravity in yd/s², as the product evaluates in double precision.
constexpr double kGravityYd = 32.1740486 * 0.3333333333;
// Depth a holed putt drops to: the double just below 0.225.
constexpr double kHoleDrop = 0.22499999999999998;

// The simple routines replace a step of 0 or below by 0.1 s.
double simpleStep(double timeStepSize)
{
    return timeStepSize > 0 ? timeStepSize : 0.1;
}

} // namespace

SimResult simpleSwing(SwingModel& model)
{
    if (SimResult r = detail::checkSwing(model, "simpleSwing"); !r)
        return r;
    if (SimResult r = detail::requireUsableStep(model.TimeStepSize); !r)
        return r;

    const double V = model.TeeBallSpeed * 1.4666666667 * 0.3333333333;
    const double el = model.TeeLaunchAngle * 0.0174532925;
    const double t = model.TeeTargetAngle * 0.0174532925;
    const double vh = std::cos(el) * V;
    const double vz = std::sin(el) * V;

    const double dt = simpleStep(model.TimeStepSize);
    model.clearCurrentShot();
    model.teeShot.reserve(detail::kPathReserve);

    // Past the far side of the green by 10 yards the shot is over.
    const double yLimit = model.hole.HolePos.y + model.hole.GreenSize * 0.5 + 10.0;
    double zprev = 0.0;
    for (int i = 0;; ++i) {
        if (i >= kMaxPoints)
            return detail::tooManyPoints(model, "The simple swing");
        const double T = i * dt;
        const double h = T * vh;
        const double x = h * std::sin(-t);
        const double y = h * std::cos(t);
        double z = T * vz - T * kGravityYd * T * 0.5;
        const double G = model.groundHeight(x, y);
        if (zprev > z && G >= z)
            z = G;
        model.setPoint(i, {x, y, z});
        if (zprev > z && G >= z)
            break;
        if (i != 0 && y > yLimit)
            break;
        if (y < 0)
            break;
        zprev = z;
    }
    return {};
}

SimResult simplePutt(SwingModel& model)
{
    if (SimResult r = detail::checkPutt(model, "simplePutt"); !r)
        return r;

    const double a = model.puttAimAngle() * 0.0174532925;
    double V = model.PuttBallSpeed * 1.4666666667 * 0.3333333333;
    Vector3 P = model.BallPos; // the aim and the start both need it before the clear

    model.clearCurrentShot();
    model.puttShot.reserve(detail::kPathReserve);
    const double dt = simpleStep(model.TimeStepSize);

    model.setPoint(0, P);
    const double k = 1.0 - dt * 2.0;
    for (int i = 1;; ++i) {
        if (i >= kMaxPoints)
            return detail::tooManyPoints(model, "The putt");
        const double x = std::sin(-a) * (dt * V) + P.x;
        const double y = std::cos(a) * (dt * V) + P.y;
        const double z = model.groundHeight(x, y);
        P = {x, y, z};
        model.setPoint(i, P);

        V = V * k;
        if (0.6 >= V)
            break;
        if (model.distanceToHole() < 0.2) {
            model.setPoint(i, {x, y, z - kHoleDrop});
            break;
        }
    }
    return {};
}

} // namespace quillmoor
