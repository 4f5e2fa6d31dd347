#pragma once
// The shot routines of Trajex and the contact model of the complex bounce.
//
// Each routine reads its inputs from a SwingModel (yards, mph, degrees, rpm,
// seconds), clears the active shot and fills it point by point, one point per
// time step from step 0. The complex routines compute in feet and seconds and
// convert with the constants written in the code; the formulas are evaluated
// literally (same constants, same order) because results are compared digit
// by digit with other builds of the same model.
//
// Refusals. A run that can never give a usable result is refused: the routine
// returns ok == false with a one-line reason, and Trajex prints that line and
// writes no output. Refused are
//   - any NaN or infinite input the routine reads; a TimeStepSize of 0, below
//     0 or NaN is not refused by the simple routines and the complex putt,
//     which replace it by their default step, but an infinite one is;
//   - in the complex and the realistic swing, a TimeStepSize that is not a
//     finite number above 0 (no default there: a flight on a made-up step is
//     not the shot the user asked for), and in the complex swing a
//     TeeBallSpeed of 0 (drag and lift divide by it; the realistic swing
//     simply drops such a ball);
//     a negative speed is finite and simply runs, the point bound catches
//     what never ends;
//   - a complex putt whose friction is undefined (GreenRho 0 on a level green
//     gives 0/0);
//   - a roll that can never stop (GreenRho 0 or negative and the first roll
//     step does not already stop the ball);
//   - a calling model in the wrong mode (a swing routine in putt mode or the
//     other way round), since the points go to the active shot;
//   - any trajectory that would pass kMaxPoints points, checked inside every
//     loop (flight, bounce arcs, roll, both simple routines; the complex putt
//     stops at 4001 steps by itself). At the default step that is over 16
//     minutes of simulated time; a real shot lasts under 20 seconds. This is
//     what ends bounces that grow instead of dying down.
// A refusal found before the first point leaves the model untouched; one
// found later clears the active shot again, so no partial path is left.
//
// bounceImpact's sliding contact with a tangential speed of exactly 0 has no
// defined result: it returns false and leaves `out` alone. The bounce keeps
// one ContactState per direction for the whole shot, so such a contact keeps
// the previous contact's tangential and normal results (and the spin, which
// then stays as passed); on the very first contact the state holds that
// contact's own inputs, so vt' = 0, vn' = vn and the spin is unchanged.

#include <string>
#include <utility>

class SwingModel;

namespace quillmoor {

// No trajectory holds more points than this.
constexpr int kMaxPoints = 1000000;

struct SimResult
{
    bool ok = true;
    std::string reason; // one line, no line end; empty when ok

    explicit operator bool() const { return ok; }
    static SimResult refused(std::string why) { return {false, std::move(why)}; }
};

// Vacuum parabola from the tee until it comes down on the ground, passes
// 10 yards beyond the green or turns back behind the tee. Tee-shot mode.
SimResult simpleSwing(SwingModel& model);

// Straight putt from BallPos toward the aim, speed decaying by 2 % per
// 0.01 s; drops into the hole when it passes within 0.2 yd. Putt mode.
SimResult simplePutt(SwingModel& model);

// Flight with drag, spin lift and wind until the ground; then, on the green
// or where GreenType is not 0, bounces and a roll. Tee-shot mode.
SimResult complexSwing(SwingModel& model);

// Flight from measured golf-ball aerodynamics (RealisticFlight.h) with the
// model's air and wind, then bounces and a roll that depend on where and how
// the ball lands; on ground whose GreenType is 0 a ball off the green stops
// where it lands, as in the complex swing. Tee-shot mode. Refused besides: a
// shot that would last more than kMaxShotSeconds.
SimResult realisticSwing(SwingModel& model);

// No realistic shot is followed for longer than this (s of simulated time);
// a real one lasts under 20.
constexpr double kMaxShotSeconds = 600.0;

// Putt on the tilted green: downhill pull plus constant friction, until
// holed, stopped or 4001 steps. Putt mode.
SimResult complexPutt(SwingModel& model);

// Velocities after one contact, for one tangential direction (ft/s, rad/s).
struct ContactState
{
    double vt = 0.0;    // tangential velocity
    double vn = 0.0;    // normal speed (rebound)
    double omega = 0.0; // spin; positive when it adds to vt at the contact point
};

// One contact of a ball of radius r (ft) with friction mu. Returns false and
// leaves `out` untouched for a sliding contact with vt exactly 0.
bool bounceImpact(double vt, double mu, double vn, double omega, double r, ContactState& out);

} // namespace quillmoor
