// Complex tee shot: flight through the air with drag, spin lift and wind; then
// on the green (or any ground whose GreenType is not 0) bounces and a roll.
// Feet and seconds inside, yards in the model.

#include "ComplexConstants.h"
#include "Guards.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <algorithm>
#include <cmath>

namespace quillmoor {

namespace {

using complexshot::kFtToYd;
using complexshot::kGravity;
using complexshot::kMphToFtps;
constexpr double kRpmToRps = 0.0166666667;
constexpr double kHalfGravity = 16.0870243;

constexpr double kContactFriction = 0.4;
constexpr double kBallRadius = 0.07;           // ft
constexpr double kArcThreshold = 0.0164041995; // ft: lower arcs end the bouncing

struct State
{
    double px = 0, py = 0, pz = 0;
    double vx = 0, vy = 0, vz = 0;
};

Vector3 toYards(const State& s)
{
    return {s.px * kFtToYd, s.py * kFtToYd, s.pz * kFtToYd};
}

double groundFt(const SwingModel& m, double px, double py)
{
    return kYdToFt * m.groundHeight(px * kFtToYd, py * kFtToYd);
}

double sign(double v)
{
    return std::fabs(v) / v;
}

// Bounces until an arc stays below kArcThreshold, then rolls until the y
// velocity stops. `s` arrives on the ground at the first impact; points go
// on from step i.
SimResult bounceAndRoll(SwingModel& m, State s, int i, double dt)
{
    const double dt2 = dt * dt;
    const double GreenXRot = m.hole.GreenXRot;
    const double GreenYRot = m.hole.GreenYRot;

    // Spin per tangential direction, rad/s; the contact state carries it from
    // bounce to bounce.
    ContactState cx, cy;
    cx.omega = std::sin(m.TeeTargetAngle * kDegToRad) * (m.TeeBackSpin * 2.0 * 3.142) * kRpmToRps;
    cy.omega = m.TeeBackSpin * 2.0 * 3.142 * kRpmToRps;
    bool firstContact = true;

    const double k1 = 15.4 * kDegToRad;
    const double k2 = 44.4 * kDegToRad;
    double U = 20.0; // height of the previous arc above the ground, ft

    for (;;) {
        const double speed = std::sqrt(s.vx * s.vx + s.vy * s.vy + s.vz * s.vz);
        double alphaX = 1.571;
        double alphaY = 1.571;
        if (s.vz != 0) {
            alphaX = std::atan(-s.vx / s.vz);
            alphaY = std::atan(std::fabs(s.vy / s.vz));
        }
        // The surface seems steeper the faster and flatter the ball comes in.
        const double f = speed / 61.023622 * k1;
        const double thetaX = alphaX / k2 * f + GreenYRot * kDegToRad;
        const double thetaY = alphaY / k2 * f + GreenXRot * kDegToRad;

        const double vtx = s.vx * std::cos(thetaX) + std::fabs(s.vz) * std::sin(thetaX);
        const double vn = s.vy * std::sin(thetaY) + s.vz * std::cos(thetaY);
        const double vty = s.vy * std::cos(thetaY) - std::fabs(s.vz) * std::sin(thetaY);

        if (U <= kArcThreshold)
            break;

        if (firstContact) {
            cx.vt = vtx;
            cx.vn = vn;
            cy.vt = vty;
            cy.vn = vn;
            firstContact = false;
        }
        bounceImpact(vtx, kContactFriction, vn, cx.omega, kBallRadius, cx);
        bounceImpact(vty, kContactFriction, vn, cy.omega, kBallRadius, cy);
        const double n = std::fabs(cy.vn);

        s.vx = std::cos(-thetaX) * cx.vt + std::sin(-thetaX) * n * std::cos(-thetaY);
        s.vy = std::cos(-thetaY) * cy.vt - std::sin(-thetaY) * n;
        s.vz = std::cos(-thetaY) * n + std::sin(-thetaY) * cy.vt;

        U = 0;
        double G;
        do {
            if (i >= kMaxPoints)
                return detail::tooManyPoints(m, "The bounces");
            s.px = s.px + s.vx * dt;
            s.py = s.py + s.vy * dt;
            s.pz = s.pz + s.vz * dt - kHalfGravity * dt2;
            G = groundFt(m, s.px, s.py);
            U = std::max(U, s.pz - G);
            s.vz = s.vz - kGravity * dt;
            m.setPoint(i, toYards(s));
            ++i;
        } while (s.pz > G);
        s.pz = G;
    }

    if (s.vy == 0)
        return {};

    // Rolling friction, 5/7 of GreenRho * g, brakes each axis on its own.
    const double F = m.hole.GreenRho * 0.7142857142857143 * kGravity;
    if (!(F > 0) && !(std::fabs(F * dt) >= std::fabs(s.vy))) {
        m.clearCurrentShot();
        return SimResult::refused("The ball would never stop rolling: GreenRho must be above 0");
    }
    do {
        if (i >= kMaxPoints)
            return detail::tooManyPoints(m, "The roll");
        const double ax = s.vx == 0 ? 0.0 : -sign(s.vx) * F;
        const double ay = s.vy == 0 ? 0.0 : -sign(s.vy) * F;
        s.px = s.px + ax * 0.5 * dt2 + s.vx * dt;
        s.py = s.py + ay * 0.5 * dt2 + s.vy * dt;
        s.vx = std::fabs(ax * dt) >= std::fabs(s.vx) ? 0.0 : s.vx + ax * dt;
        s.vy = std::fabs(ay * dt) >= std::fabs(s.vy) ? 0.0 : s.vy + ay * dt;
        s.pz = groundFt(m, s.px, s.py);
        m.setPoint(i, toYards(s));
        ++i;
    } while (s.vy != 0);
    return {};
}

} // namespace

bool bounceImpact(double vt, double mu, double vn, double omega, double r, ContactState& out)
{
    // Restitution falls with the tangential speed up to 20 m/s.
    double e = 0.12;
    if (vt <= 65.6167979) {
        const double q = vt / 3.2808399;
        e = 0.51 - std::fabs(q) * 0.0375 + q * 0.000903 * q;
    }
    const double k = (omega * r + vt) * 2.0 / ((e + 1.0) * 7.0 * std::fabs(vn));
    if (k > mu) {
        // Slides through the whole contact.
        if (vt == 0)
            return false;
        out.vt = vt - sign(vt) * mu * std::fabs(vn) * (e + 1);
        out.vn = std::fabs(vn) * e;
        out.omega = omega - (mu * 5.0 / (r * 2.0)) * std::fabs(vn) * (e + 1);
        return true;
    }
    // Ends the contact rolling: 5/7 and 2/7 of the tangential momentum.
    const double vtOut = vt * 0.7142857142857143 - r * 0.2857142857142857 * omega;
    out.vt = vtOut;
    out.vn = std::fabs(vn) * e;
    out.omega = std::fabs(vtOut) / r > std::fabs(omega) ? omega * 0.85 : -vtOut / r;
    return true;
}

SimResult complexSwing(SwingModel& m)
{
    if (SimResult r = detail::checkSwing(m, "complexSwing"); !r)
        return r;
    if (SimResult r = detail::requireFinite({{"TeeBackSpin", m.TeeBackSpin},
                                             {"TeeSideSpin", m.TeeSideSpin},
                                             {"WindDir", m.hole.WindDir},
                                             {"WindSpeed", m.hole.WindSpeed},
                                             {"GreenRho", m.hole.GreenRho}});
        !r)
        return r;
    if (!(m.TimeStepSize > 0) || std::isinf(m.TimeStepSize))
        return SimResult::refused("TimeStepSize must be a finite number above 0 for the complex swing");
    // Drag and lift are divided by the launch speed.
    if (m.TeeBallSpeed == 0)
        return SimResult::refused("TeeBallSpeed is 0: drag and lift would be infinite");

    m.clearCurrentShot();
    m.teeShot.reserve(detail::kPathReserve);
    m.setPoint(0, {0, 0, 0});
    const double dt = m.TimeStepSize;
    const double dt2 = dt * dt;

    // Drag and lift factors fall with the launch speed (1/s).
    const double V = m.TeeBallSpeed * kMphToFtps;
    const double L = 33.4 / V;
    const double D = 46.0 / V;

    const double t = m.TeeTargetAngle * kDegToRad;
    const double el = m.TeeLaunchAngle * kDegToRad;
    State s;
    s.vx = std::sin(-t) * std::cos(el) * V;
    s.vy = std::cos(-t) * std::cos(el) * V;
    s.vz = std::sin(el) * V;

    const double d = m.hole.WindDir * kDegToRad;
    const double ws = m.hole.WindSpeed * kMphToFtps;
    const double wx = std::sin(6.284 - d) * ws;
    const double wy = std::cos(d) * ws;

    // Only the direction of the spin axis enters the flight.
    const double back = m.TeeBackSpin * kRpmToRps;
    const double side = m.TeeSideSpin * kRpmToRps;
    const Vector3 raw(std::cos(t) * back, std::sin(t) * back, side);
    double mag = raw.length();
    if (mag == 0)
        mag = 1;
    const double Ox = raw.x / mag;
    const double Oy = raw.y / mag;
    const double Oz = raw.z / mag;

    int i = 0;
    double G;
    for (;;) {
        ++i;
        if (i >= kMaxPoints)
            return detail::tooManyPoints(m, "The flight");
        const double ux = s.vx - wx;
        const double uy = s.vy - wy;
        const double uz = s.vz;
        const double ax = L * (Oy * uz - Oz * uy) - D * ux;
        const double ay = L * (Oz * ux - Ox * uz) - D * uy;
        const double az = L * (Ox * uy - Oy * ux) - D * uz - kGravity;
        s.px = s.px + s.vx * dt + 0.5 * ax * dt2;
        s.py = s.py + s.vy * dt + 0.5 * ay * dt2;
        s.pz = s.pz + s.vz * dt + 0.5 * az * dt2;
        s.vx = s.vx + ax * dt;
        s.vy = s.vy + ay * dt;
        s.vz = s.vz + az * dt;
        G = groundFt(m, s.px, s.py);
        if (G >= s.pz)
            break;
        m.setPoint(i, toYards(s));
    }

    // The contact point lies on the ground under the step that went below it.
    s.pz = G;
    m.setPoint(i, toYards(s));
    m.setFirstImpact(i);
    if (!m.isOnGreen() && m.hole.GreenType == 0)
        return {};
    return bounceAndRoll(m, s, i + 1, dt);
}

} // namespace quillmoor
