#include "ShotRun.h"

#include "SwingModel.h"

namespace quillmoor {

bool shotModeFromName(const std::string& name, ShotMode& mode)
{
    for (ShotMode m : kShotModes) {
        if (name == shotModeName(m)) {
            mode = m;
            return true;
        }
    }
    return false;
}

const char* shotModeName(ShotMode mode)
{
    switch (mode) {
    case ShotMode::Simple:
        return "simple";
    case ShotMode::Complex:
        return "complex";
    case ShotMode::Realistic:
        return "realistic";
    }
    return "";
}

SimResult runShot(SwingModel& model, ShotMode mode, bool setPosition)
{
    SimResult result;
    if (mode == ShotMode::Simple)
        result = model.PuttEnabled ? simplePutt(model) : simpleSwing(model);
    else if (mode == ShotMode::Complex)
        result = model.PuttEnabled ? complexPutt(model) : complexSwing(model);
    else
        result = model.PuttEnabled ? complexPutt(model) : realisticSwing(model);
    if (result && setPosition)
        model.setCurrentStep(model.currentStepCount() - 1);
    return result;
}

} // namespace quillmoor
