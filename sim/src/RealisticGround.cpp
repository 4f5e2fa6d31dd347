// The realistic ground: from the first contact to rest. Each contact is an
// impact on turf; a ball that no longer hops skids until it rolls, and rolls
// until friction and slope hold it.

#include "Realistic.h"

#include <algorithm>
#include <cmath>

namespace quillmoor::realistic {

namespace {

// Turf impact after Penner, "The run of a golf ball", Can. J. Phys. 80 (2002)
// 931, and "The physics of golf", Rep. Prog. Phys. 66 (2003) 131, from
// Haake's measured bounces: the ball digs a crater whose front wall tilts the
// surface it bounces off by 15.4 deg x (speed / 18.6 m/s) x (angle / 44.4 deg)
// (the complex bounce uses the same figures); restitution of the normal speed
// v (m/s) 0.510 - 0.0375 v + 0.000903 v^2 up to 20 m/s and 0.12 beyond, and
// sliding friction 0.4.
constexpr double kCraterTilt = 15.4 * kPi / 180; // rad
constexpr double kCraterSpeed = 18.6;            // m/s
constexpr double kCraterAngle = 44.4 * kPi / 180; // rad
constexpr double kSlidingFriction = 0.4;

double restitution(double normalSpeed)
{
    if (normalSpeed > 20.0)
        return 0.12;
    return 0.510 - 0.0375 * normalSpeed + 0.000903 * normalSpeed * normalSpeed;
}

// A ball that leaves the turf slower than this along the normal rises under
// 2 mm: it is rolling (and skidding), not bouncing.
constexpr double kHopSpeed = 0.2; // m/s

// Rolling resistance off the green, as GreenRho is on it: the deceleration
// of a rolling ball is 5/7 g times it. No measurement at hand: golf models
// take 0.15 to 0.25 for fairways; 0.22 (a Stimpmeter reading of 3.6 ft, the
// ball released at 1.83 m/s; greens read 8 to 12 ft) lets a tour drive that
// lands at 40 degrees run out about 25 yd, what tour drives' totals add to
// their carries.
constexpr double kFairwayFriction = 0.22;

// Rolling on a slope: a solid sphere rolling without slipping is pulled and
// braked at 5/7 of what a sliding mass would be (I = 2/5 m r^2).
constexpr double kRolling = 5.0 / 7.0;

// Steps of the skid and the roll. The braking is constant over a step and the
// stop is solved within the step, so the resting point hardly depends on it.
constexpr double kRollStep = 0.01; // s

// The largest number of contacts of one shot; every one loses speed, so a
// real shot needs a few dozen at most.
constexpr int kMaxContacts = 1000;

Vector3 alongSurface(const Vector3& v, const Vector3& n)
{
    return v - n * dot(v, n);
}

// One contact: the ball arrives with ball.v and ball.w on ground with upward
// normal n and leaves with new ones.
void impact(Ball& ball, const Vector3& n)
{
    const Vector3 vIn = ball.v;
    const double vn0 = dot(vIn, n); // negative: arriving
    const Vector3 vt0 = alongSurface(vIn, n);
    const double tangential = vt0.length();

    // The crater's front wall: the surface tilts toward the arriving ball.
    Vector3 wall = n;
    if (tangential > 1e-9) {
        const double incidence = std::atan2(-vn0, tangential);
        double tilt = kCraterTilt * (vIn.length() / kCraterSpeed) * (incidence / kCraterAngle);
        // No steeper than square to the arriving ball.
        tilt = std::min(tilt, 0.5 * kPi - incidence);
        const Vector3 forward = vt0 * (1.0 / tangential);
        wall = n * std::cos(tilt) - forward * std::sin(tilt);
    }

    const double vn = dot(vIn, wall);
    if (vn >= 0)
        return; // not arriving at the wall: nothing to bounce off
    const Vector3 vt = alongSurface(vIn, wall);
    const double e = restitution(-vn);
    // Velocity of the contact point, below the centre.
    const Vector3 slip = vt + ball.w.cross(wall * -kBallRadius);
    const double slipSpeed = slip.length();
    // Tangential impulse per unit mass: enough to stop the slip (then the
    // ball leaves rolling on the wall), unless friction cannot give so much.
    Vector3 impulse = slip * (-2.0 / 7.0);
    const double most = kSlidingFriction * (1 + e) * -vn;
    if (2.0 / 7.0 * slipSpeed > most)
        impulse = slip * (-most / slipSpeed);
    ball.v = vt + impulse + wall * (-e * vn);
    ball.w = ball.w - wall.cross(impulse) * (2.5 / kBallRadius);

    // The wall is only the crater's: the ball cannot leave into the ground.
    const double out = dot(ball.v, n);
    if (out < 0)
        ball.v = ball.v - n * out;
}

// Stores the points of the times up to `until` while the ball moves from p
// with velocity v and constant acceleration a from time t, on the ground.
bool recordOnGround(const Course& course, Recorder& recorder, const Vector3& p, const Vector3& v,
                    const Vector3& a, double t, double until)
{
    while (recorder.nextTime() <= until) {
        const double s = recorder.nextTime() - t;
        Vector3 q = p + v * s + a * (0.5 * s * s);
        q.z = course.height(q.x, q.y);
        if (!recorder.store(q))
            return false;
    }
    return true;
}

// The horizontal pull of the slope on a rolling ball (m/s^2).
Vector3 slopePull(const Vector3& n)
{
    // n = (-gx, -gy, 1)/|...|: the downhill direction is (n.x, n.y).
    return Vector3(n.x, n.y, 0.0) * (kRolling * kGravity / n.z);
}

} // namespace

Outcome settle(const Course& course, Ball ball, double t, Recorder& recorder)
{
    // Bounces while the ball leaves the turf fast enough to hop.
    for (int contact = 0;; ++contact) {
        const Vector3 n = course.normal(ball.p.x, ball.p.y);
        impact(ball, n);
        if (dot(ball.v, n) < kHopSpeed || contact == kMaxContacts) {
            ball.v = alongSurface(ball.v, n);
            break;
        }
        const Outcome o = fly(course, ball, t, recorder);
        if (o != Outcome::Landed)
            return o;
    }

    // The skid: sliding friction turns the slip of the contact point into
    // rolling, taking 2/7 of the slip off the velocity (its end result is
    // the same as the gripping impact's).
    {
        Vector3 n = course.normal(ball.p.x, ball.p.y);
        ball.v.z = 0.0;
        Vector3 slip = ball.v + ball.w.cross(n * -kBallRadius);
        slip.z = 0.0;
        const double slipSpeed = slip.length();
        if (slipSpeed > 1e-6) {
            const double decel = kSlidingFriction * kGravity;
            const double duration = slipSpeed / (3.5 * decel);
            const Vector3 a = slip * (-decel / slipSpeed);
            if (t + duration > kMaxShotSeconds)
                return Outcome::TooLong;
            if (!recordOnGround(course, recorder, ball.p, ball.v, a, t, t + duration))
                return Outcome::TooManyPoints;
            ball.p = ball.p + ball.v * duration + a * (0.5 * duration * duration);
            ball.p.z = course.height(ball.p.x, ball.p.y);
            ball.v = ball.v + a * duration;
            t += duration;
        }
    }

    // The roll, on the horizontal plane with the ground's height under it:
    // braked by the rolling resistance of the surface, pulled down the slope.
    for (;;) {
        if (t > kMaxShotSeconds)
            return Outcome::TooLong;
        const Vector3 n = course.normal(ball.p.x, ball.p.y);
        const double friction = course.onGreen(ball.p) ? course.model.hole.GreenRho
                                                       : kFairwayFriction;
        const double brake = kRolling * kGravity * std::max(friction, 0.0);
        const Vector3 pull = slopePull(n);
        const double speed = ball.v.length();
        double h = kRollStep;
        Vector3 a;
        if (speed == 0.0) {
            // At rest: the slope must beat the resistance to move it.
            const double p = pull.length();
            if (p <= brake)
                break;
            a = pull * ((p - brake) / p);
        } else {
            a = pull - ball.v * (brake / speed);
            // Stop within the step when the braking along the path would
            // reverse it.
            const double along = dot(a, ball.v) / speed;
            if (along < 0 && speed / -along <= h) {
                h = speed / -along;
                a = ball.v * (along / speed);
            }
        }
        if (!recordOnGround(course, recorder, ball.p, ball.v, a, t, t + h))
            return Outcome::TooManyPoints;
        ball.p = ball.p + ball.v * h + a * (0.5 * h * h);
        ball.p.z = course.height(ball.p.x, ball.p.y);
        ball.v = h < kRollStep ? Vector3() : ball.v + a * h;
        t += h;
    }
    // The resting point closes the path, at the first step from its time on.
    return recorder.store(ball.p) ? Outcome::Landed : Outcome::TooManyPoints;
}

} // namespace quillmoor::realistic
