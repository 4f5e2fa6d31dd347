// Ground profile, putt aim and shot measures. The formulas are kept in the
// order they are documented so that every program built from them rounds the
// same way; 0.0174532925 is the degree factor everywhere on purpose.

#include "SwingModel.h"
#include "Units.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
using quillmoor::kDegToRad;

struct ProfilePoint
{
    double y, z;
};

// cos and sin of the green's tilt along the hole. A flight asks for the ground
// under the ball at every step while the tilt stays the same, so each thread
// keeps the last pair: the same bits as computing them again, without the
// sincos that took a quarter of a sweep's time.
struct TiltAlong
{
    double xRot, cos, sin;
};

const TiltAlong& tiltAlong(double xRot)
{
    thread_local TiltAlong last{std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0};
    if (std::memcmp(&last.xRot, &xRot, sizeof xRot) != 0)
        last = {xRot, std::cos(xRot), std::sin(xRot)};
    return last;
}
} // namespace

double SwingModel::groundHeight(double x, double y) const
{
    const Vector3& h = hole.HolePos;
    const double R = hole.GreenSize * 0.5 + 1.0;
    const double xRot = hole.GreenXRot * kDegToRad;

    const ProfilePoint p0{0.0, -3.0};
    const ProfilePoint p1 = hole.TreeType.empty() ? p0 : ProfilePoint{hole.TreePos.y, hole.TreePos.z};
    const TiltAlong& tilt = tiltAlong(xRot);
    const ProfilePoint p2{h.y - R * tilt.cos, h.z - R * tilt.sin};
    const ProfilePoint p3{h.y + R * tilt.cos, h.z + R * tilt.sin};
    const ProfilePoint pts[4] = {p0, p1, p2, p3};

    int k = 0;
    while (k < 3 && !(pts[k].y < y && y <= pts[k + 1].y))
        ++k;
    if (k == 3)
        return p3.z;
    if (k < 2) {
        const ProfilePoint& a = pts[k];
        const ProfilePoint& b = pts[k + 1];
        return (b.z - a.z) * (y - a.y) / (b.y - a.y) + a.z;
    }

    // On the green: clamp to its rim at the same y, then the tilted plane.
    double xs = x;
    const double dx = x - h.x;
    const double dy = y - h.y;
    if (std::sqrt(dx * dx + dy * dy) > R) {
        const double half = std::sqrt(R * R - (y - h.y) * (y - h.y));
        xs = x > h.x ? h.x + half : h.x - half;
    }
    const Vector3 n =
        Vector3(-std::sin(hole.GreenYRot * kDegToRad), tilt.sin, 1.0).normalized();
    return h.z - ((h.y - y) * n.y + (h.x - xs) * n.x) / n.z;
}

double SwingModel::puttAimAngle() const
{
    Vector3 d(hole.HolePos.x - BallPos.x, hole.HolePos.y - BallPos.y, 0.0);
    d = d.normalized();
    double a = std::acos(d.y) / kDegToRad;
    if (d.x > 0)
        a = -a;
    return a + PuttTargetAngle;
}

Vector3 SwingModel::greenSlope() const
{
    static const double sinTenDegrees = std::sin(0.174532925);
    const double s = std::sin(hole.GreenYRot * kDegToRad);
    const double t = std::sin(hole.GreenXRot * kDegToRad);
    const Vector3 n = Vector3(-s, t, 1.0).normalized();
    if (n.z >= 0.9999999)
        return Vector3();
    const Vector3 w = n.cross(Vector3(0.0, 0.0, -1.0));
    const Vector3 d = n.cross(w).normalized();
    const double k = std::max(std::fabs(s), std::fabs(t)) / sinTenDegrees;
    return d * k;
}

double SwingModel::distanceToHole() const
{
    const Trajectory& shot = currentShot();
    return distanceToHole(shot.empty() ? BallPos : shot.back().second);
}

double SwingModel::distanceToHole(const Vector3& p) const
{
    return (p - hole.HolePos).length();
}

bool SwingModel::isOnGreen() const
{
    return distanceToHole() < hole.GreenSize * 0.5;
}

Vector3 SwingModel::maxPosition(int axis, int* step) const
{
    Vector3 best;
    if (step)
        *step = -1;
    if (axis < 0 || axis > 2)
        return best;
    for (const auto& [i, p] : teeShot) {
        bool take = false;
        if (axis == 0)
            take = std::fabs(p.x) > std::fabs(best.x);
        else if (axis == 1)
            take = std::fabs(p.y) > std::fabs(best.y);
        else
            take = p.z > best.z;
        if (take) {
            best = p;
            if (step)
                *step = i;
        }
    }
    return best;
}

bool SwingModel::treeProximity(Vector3& point, Vector3& offset, double& distance, int* step) const
{
    if (step)
        *step = -1;
    if (teeShot.empty() || hole.TreeType.empty())
        return false;
    const Vector3 top(hole.TreePos.x, hole.TreePos.y, hole.TreePos.z + hole.TreeSize.z);
    distance = -1.0;
    for (const auto& [i, p] : teeShot) {
        const Vector3 v = top - p;
        const double e = v.length();
        if (e < distance || distance < 0) {
            point = p;
            offset = v;
            distance = e;
            if (step)
                *step = i;
        }
    }
    return true;
}
