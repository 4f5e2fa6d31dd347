#pragma once
// The physics of a run as the command lines list them.

#include "ShotRun.h"

#include <string>
#include <vector>

namespace quillmoor::lab {

// "simple", "complex", "realistic".
inline std::vector<std::string> physicsNames()
{
    std::vector<std::string> names;
    for (ShotMode m : kShotModes)
        names.push_back(shotModeName(m));
    return names;
}

// "simple|complex|realistic", for usage lines.
inline std::string physicsChoices()
{
    std::string text;
    for (const std::string& name : physicsNames())
        text += (text.empty() ? "" : "|") + name;
    return text;
}

} // namespace quillmoor::lab
