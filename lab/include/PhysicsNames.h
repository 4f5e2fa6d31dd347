#pragma once
// The names the command line gives the physics of a run. A new physics is one
// more line in kPhysicsNames; the options that take a physics list them from
// here.

#include "ShotRun.h"

#include <string>

namespace quillmoor::lab {

struct PhysicsName
{
    const char* name;
    ShotMode mode;
};

inline constexpr PhysicsName kPhysicsNames[] = {
    {"simple", ShotMode::Simple},
    {"complex", ShotMode::Complex},
};

// The mode of a name; false for a name not in the list.
inline bool parsePhysics(const std::string& text, ShotMode& mode)
{
    for (const PhysicsName& p : kPhysicsNames) {
        if (text == p.name) {
            mode = p.mode;
            return true;
        }
    }
    return false;
}

inline const char* physicsName(ShotMode mode)
{
    for (const PhysicsName& p : kPhysicsNames)
        if (p.mode == mode)
            return p.name;
    return "";
}

// "simple|complex", for usage lines.
inline std::string physicsChoices()
{
    std::string text;
    for (const PhysicsName& p : kPhysicsNames)
        text += (text.empty() ? "" : "|") + std::string(p.name);
    return text;
}

} // namespace quillmoor::lab
