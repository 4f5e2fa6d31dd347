#pragma once
// Checks shared by the routines: inputs that are not numbers, the point bound.

#include "Simulation.h"
#include "SwingModel.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace quillmoor::detail {

using NamedValue = std::pair<const char*, double>;

// The refusal for the first input that is NaN or infinite, else ok.
SimResult requireFinite(std::initializer_list<NamedValue> inputs);

// The same for what groundHeight reads: the hole, the green's size and tilt,
// and the tree's base when the hole has a tree.
SimResult requireFiniteGround(const SwingModel& model);

// The refusal for a routine called in the wrong mode, else ok.
SimResult requireMode(const SwingModel& model, bool putt, const char* routine);

// Clears the partial path of the active shot and refuses: `what` did not end
// within kMaxPoints points.
SimResult tooManyPoints(SwingModel& model, const char* what);

} // namespace quillmoor::detail
