// Complex putt: the ball rolls over the tilted green under the downhill pull
// and a friction whose size is fixed by the initial aim. Feet and seconds
// inside, yards in the model.

#include "ComplexConstants.h"
#include "Guards.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <cmath>

namespace quillmoor {

namespace {

using namespace complexshot;

double sign(double v)
{
    return v > 0 ? 1.0 : -1.0;
}

} // namespace

SimResult complexPutt(SwingModel& m)
{
    if (SimResult r = detail::checkPutt(m, "complexPutt"); !r)
        return r;
    if (SimResult r = detail::requireFinite({{"GreenRho", m.hole.GreenRho}}); !r)
        return r;

    const double v = m.PuttBallSpeed * kMphToFtps;
    double Px = m.BallPos.x * 3.0;
    double Py = m.BallPos.y * 3.0;
    double Pz = m.BallPos.z * 3.0;

    // Aim, pull and friction are fixed for the whole putt.
    const double A0 = m.puttAimAngle() * -kDegToRad;
    const double by = m.hole.GreenYRot * kDegToRad;
    const double bx = m.hole.GreenXRot * -kDegToRad;
    const double rho = m.hole.GreenRho;
    const double gx = std::sin(by) * kGravity;
    const double gy = std::cos(by) * kGravity * std::sin(bx);
    const double Q =
        std::cos(bx) * std::cos(by) * rho * std::cos(A0) - std::cos(by) * 0.4 * std::sin(bx);
    const double N = std::cos(bx) * std::cos(by) * rho * std::sin(A0) - std::sin(by) * 0.4;
    const double phi = std::atan(N / Q);
    const double A = Q * kGravity / (std::cos(phi) * 1.4);
    if (!std::isfinite(phi) || !std::isfinite(A))
        return SimResult::refused(
            "The putt's friction is undefined for this GreenRho and green tilt");

    m.clearCurrentShot();
    m.puttShot.reserve(kStepLimit + 2); // indices 0 to kStepLimit + 1
    m.setPoint(0, {Px * kFtToYd, Py * kFtToYd, Pz * kFtToYd});
    const double dt = m.TimeStepSize > 0 ? m.TimeStepSize : 0.001;
    const double dt2 = dt * dt;

    double vx = std::sin(A0) * v;
    double vy = std::cos(A0) * v;
    const double frictionX = A * std::sin(phi);
    const double frictionY = A * std::cos(phi);

    for (int i = 1;; ++i) {
        // Each axis is braked by a fixed amount against its own velocity.
        const double fx = vx == 0 ? frictionX : std::fabs(frictionX) * sign(vx);
        const double fy = vy == 0 ? frictionY : std::fabs(frictionY) * sign(vy);
        const double ax = gx - fx;
        const double ay = gy - fy;
        vx = vx + ax * dt;
        vy = vy + ay * dt;
        const double w = std::sqrt(vy * vy + vx * vx);
        Px = Px + ax * 0.5 * dt2 + vx * dt;
        Py = Py + ay * 0.5 * dt2 + vy * dt;
        Pz = 3.0 * m.groundHeight(Px * kFtToYd, Py * kFtToYd);
        m.setPoint(i, {Px * kFtToYd, Py * kFtToYd, Pz * kFtToYd});

        if (m.distanceToHole() < kCaptureDistance && w < kCaptureSpeed) {
            m.setPoint(i, m.hole.HolePos);
            break;
        }
        if (w < kStopSpeed || i > kStepLimit)
            break;
    }
    return {};
}

} // namespace quillmoor
