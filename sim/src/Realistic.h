#pragma once
// What the realistic flight and the realistic ground share: the ball's state,
// the hole's ground and air in SI units, and the recorder that stores the path
// one point per TimeStepSize while the physics runs on its own steps.

#include "RealisticFlight.h"
#include "SwingModel.h"

namespace quillmoor::realistic {

constexpr double kGravity = 9.80665;   // m/s^2, standard gravity
constexpr double kYard = 0.9144;       // m
constexpr double kMph = 0.44704;       // m/s
constexpr double kRpm = 0.10471975511965977; // rad/s (2 pi / 60)
constexpr double kPi = 3.14159265358979323846;
constexpr double kBallRadius = kBallDiameter / 2;

inline double dot(const Vector3& a, const Vector3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Position (m), velocity (m/s) and spin vector (rad/s, right-handed about its
// axis) in the hole's axes: x across, y down the hole, z up.
struct Ball
{
    Vector3 p, v, w;
};

// The hole as the realistic physics sees it: ground and air in metres.
class Course
{
public:
    Course(const SwingModel& model, double flightStep);

    double height(double x, double y) const;
    // Upward unit normal of the ground; slopes steeper than 45 degrees (only
    // at the step where the green's far rim meets the ground beyond) are taken
    // as 45 degrees.
    Vector3 normal(double x, double y) const;
    bool onGreen(const Vector3& p) const;
    // No point of the ground lies higher than this (m).
    double top() const { return top_; }
    // The wind at p (m/s), growing with the height above the ground.
    Vector3 wind(const Vector3& p) const;

    const SwingModel& model;
    Air air;
    double flightStep; // s

private:
    Vector3 wind10_; // at 10 m above the ground
    double top_ = 0.0;
};

// Stores the path into the model: step k holds where the ball is at time
// k * TimeStepSize; step 0 is the tee.
class Recorder
{
public:
    Recorder(SwingModel& model, double dt) : model_(model), dt_(dt) {}

    double nextTime() const { return next_ * dt_; }
    int nextIndex() const { return next_; }
    // Stores p (m) under the next step; false when that would pass kMaxPoints.
    bool store(const Vector3& p);

private:
    SwingModel& model_;
    double dt_;
    int next_ = 0;
};

enum class Outcome { Landed, TooManyPoints, TooLong };

// Flies `ball` from time t until it meets the ground, storing the points on
// the way; then ball is the contact (p on the ground, v and w as it lands)
// and t its time.
Outcome fly(const Course& course, Ball& ball, double& t, Recorder& recorder);

// From the first contact to rest: bounces, skid and roll; stores the rest of
// the path, the resting point last.
Outcome settle(const Course& course, Ball ball, double t, Recorder& recorder);

} // namespace quillmoor::realistic
