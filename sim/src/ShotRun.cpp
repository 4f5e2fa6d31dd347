#include "ShotRun.h"

#include "SwingModel.h"

namespace quillmoor {

SimResult runShot(SwingModel& model, ShotMode mode, bool setPosition)
{
    SimResult result;
    if (mode == ShotMode::Simple)
        result = model.PuttEnabled ? simplePutt(model) : simpleSwing(model);
    else
        result = model.PuttEnabled ? complexPutt(model) : complexSwing(model);
    if (result && setPosition)
        model.setCurrentStep(model.currentStepCount() - 1);
    return result;
}

} // namespace quillmoor
