#pragma once
// Small helpers on the model's units that Trajex, Shotlab and Parview share,
// so that each is written once.

#include <string>

namespace quillmoor {

// Degrees to radians. Ten digits on purpose: every routine uses this factor,
// and results are compared digit by digit with other builds of the model.
constexpr double kDegToRad = 0.0174532925;
constexpr double kYdToFt = 3.0;

// An angle (deg) in (-180, 180]; a read's window may run past 180.
double wrappedDegrees(double a);

// A distance on the green (yd) for people: "8.25 inches" under a foot,
// else "12.34 feet".
std::string feetAndInchesText(double yards);

} // namespace quillmoor
