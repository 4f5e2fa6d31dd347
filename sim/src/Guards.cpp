#include "Guards.h"

#include <cmath>

namespace quillmoor::detail {

SimResult requireFinite(std::initializer_list<NamedValue> inputs)
{
    for (const auto& [name, value] : inputs) {
        if (!std::isfinite(value))
            return SimResult::refused(std::string(name) + " is not a finite number");
    }
    return {};
}

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

SimResult requireMode(const SwingModel& model, bool putt, const char* routine)
{
    if (model.PuttEnabled == putt)
        return {};
    return SimResult::refused(std::string(routine) + " needs PuttEnabled " + (putt ? "1" : "0"));
}

SimResult tooManyPoints(SwingModel& model, const char* what)
{
    model.clearCurrentShot();
    return SimResult::refused(std::string(what) + " would need more than " +
                              std::to_string(kMaxPoints) + " points");
}

} // namespace quillmoor::detail
