#pragma once
// Checks shared by the routines: inputs that are not numbers, the point bound.

#include "Simulation.h"
#include "SwingModel.h"

#include <cstddef>
#include <initializer_list>
#include <utility>

namespace quillmoor::detail {

using NamedValue = std::pair<const char*, double>;

// The refusal for the first input that is NaN or infinite, else ok.
SimResult requireFinite(std::initializer_list<NamedValue> inputs);

// A step the simple routines and the putt would use as given must be finite.
SimResult requireUsableStep(double timeStepSize);

// What both swings read: tee-shot mode, a finite launch, and finite ground
// (hole, green, tree). The step and the speed are each routine's own concern.
SimResult checkSwing(const SwingModel& model, const char* routine);

// What both putts read: putt mode, a finite start, speed and aim, a usable
// step, and finite ground.
SimResult checkPutt(const SwingModel& model, const char* routine);

// Points reserved for a path before it is computed, so that it is not copied
// over and over as it grows: 16 s at the default step, where a drive with its
// roll takes about 12.5 s. 512 KB, below the size that Trajectory gives a
// mapping of its own, so that callers who keep many results do not hold a
// huge page for each; Trajex reserves more for its one shot.
constexpr std::size_t kPathReserve = std::size_t(1) << 14;

// Clears the partial path of the active shot and refuses: `what` did not end
// within kMaxPoints points.
SimResult tooManyPoints(SwingModel& model, const char* what);

} // namespace quillmoor::detail
