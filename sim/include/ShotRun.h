#pragma once
// What Trajex does with the model it has read, as one function: Trajex and
// the in-process sweeps of Shotlab both call it, so they cannot drift apart.

#include "Simulation.h"

#include <string>

class SwingModel;

namespace quillmoor {

enum class ShotMode { Simple, Complex, Realistic };
inline constexpr ShotMode kShotModes[] = {ShotMode::Simple, ShotMode::Complex, ShotMode::Realistic};

// The physics by the name the command lines use: "simple", "complex",
// "realistic". False for any other name.
bool shotModeFromName(const std::string& name, ShotMode& mode);
const char* shotModeName(ShotMode mode);

// Runs the routine for mode and the model's PuttEnabled (simplePutt or
// complexPutt in putt mode, else simpleSwing, complexSwing or realisticSwing;
// the realistic physics putts as the complex one does). When it
// succeeds and setPosition is true, the last point of the new path becomes
// the current step and BallPos. A refusal is returned as the routine gave it;
// exitCode is left to the caller.
SimResult runShot(SwingModel& model, ShotMode mode, bool setPosition = true);

} // namespace quillmoor
