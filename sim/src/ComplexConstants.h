#pragma once
// The constants of the complex routines (feet and seconds inside, yards in
// the model), declared once for the routines and for the reader that searches
// the complex putt's putts. Written to ten digits on purpose: results are
// compared digit by digit with other builds of the same model.

#include "Units.h"

namespace quillmoor::complexshot {

constexpr double kGravity = 32.1740486; // ft/s^2
constexpr double kMphToFtps = 1.4666666667;
constexpr double kFtToYd = 0.3333333333;

// The putt: the cup holds a ball that comes within kCaptureDistance of it
// slower than kCaptureSpeed; faster balls lip out.
constexpr double kCaptureDistance = 0.2; // yd
constexpr double kCaptureSpeed = 4.297;  // ft/s
constexpr double kStopSpeed = 0.01;      // ft/s
// A putt still rolling ends at step kStepLimit + 1.
constexpr int kStepLimit = 4000;

} // namespace quillmoor::complexshot
