#include "Guards.h"

#include <cmath>
#include <string>

namespace quillmoor::detail {

namespace {

// The points go to the active shot, so the mode must match the routine.
SimResult requireMode(const SwingModel& model, bool putt, const char* routine)
{
    if (model.PuttEnabled == putt)
        return {};
    return SimResult::refused(std::string(routine) + " needs PuttEnabled " + (putt ? "1" : "0"));
}

// What groundHeight reads: the hole, the green's size and tilt, and the
// tree's base when the hole has a tree.
SimResult requireFiniteGround(const SwingModel& model)
{
    const HoleInfo& h = model.hole;
    if (SimResult r = requireFinite({{"HolePos x", h.HolePos.x},
                                     {"HolePos y", h.HolePos.y},
                                     {"HolePos z", h.HolePos.z},
                                     {"GreenSize", h.GreenSize},
                                     {"GreenXRot", h.GreenXRot},
                                     {"GreenYRot", h.GreenYRot}});
        !r)
        return r;
    if (h.TreeType.empty())
        return {};
    return requireFinite({{"TreePos y", h.TreePos.y}, {"TreePos z", h.TreePos.z}});
}

} // namespace

SimResult requireFinite(std::initializer_list<NamedValue> inputs)
{
    for (const auto& [name, value] : inputs) {
        if (!std::isfinite(value))
            return SimResult::refused(std::string(name) + " is not a finite number");
    }
    return {};
}

SimResult requireUsableStep(double timeStepSize)
{
    // Only a positive step is used as given (0, negative and NaN are replaced
    // by the routine's default), so only an infinite one can spoil the run.
    if (timeStepSize > 0 && std::isinf(timeStepSize))
        return SimResult::refused("TimeStepSize is not a finite number");
    return {};
}

SimResult checkSwing(const SwingModel& m, const char* routine)
{
    if (SimResult r = requireMode(m, false, routine); !r)
        return r;
    if (SimResult r = requireFinite({{"TeeBallSpeed", m.TeeBallSpeed},
                                     {"TeeLaunchAngle", m.TeeLaunchAngle},
                                     {"TeeTargetAngle", m.TeeTargetAngle}});
        !r)
        return r;
    return requireFiniteGround(m);
}

SimResult checkPutt(const SwingModel& m, const char* routine)
{
    if (SimResult r = requireMode(m, true, routine); !r)
        return r;
    if (SimResult r = requireFinite({{"BallPos x", m.BallPos.x},
                                     {"BallPos y", m.BallPos.y},
                                     {"BallPos z", m.BallPos.z},
                                     {"PuttBallSpeed", m.PuttBallSpeed},
                                     {"PuttTargetAngle", m.PuttTargetAngle}});
        !r)
        return r;
    if (SimResult r = requireUsableStep(m.TimeStepSize); !r)
        return r;
    return requireFiniteGround(m);
}

SimResult tooManyPoints(SwingModel& model, const char* what)
{
    model.clearCurrentShot();
    return SimResult::refused(std::string(what) + " would need more than " +
                              std::to_string(kMaxPoints) + " points");
}

} // namespace quillmoor::detail
