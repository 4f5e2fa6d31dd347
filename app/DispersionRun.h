#pragma once
// One dispersion run in the window: what was asked (the spreads on the
// window's model as it was at the start) and what the shots did, gathered
// row by row as `Shotlab dispersion` gathers them: the statistics of every
// shot and the points of the first shots, for the plan view. The dialog
// fills it on the sweep's thread and hands it over once the run has ended.

#include "Dispersion.h"
#include "DispersionPlot.h"
#include "Sweep.h"
#include "Vector3.h"

#include <string>
#include <vector>

class SwingModel;

struct DispersionRun
{
    DispersionRun(const SwingModel& model, quillmoor::lab::DispersionSetup setup);

    // Each row as it comes, in grid order.
    void add(const quillmoor::lab::SweepRow& row);

    // The 68 % and 95 % ellipses of the points, when they have two or more.
    std::vector<quillmoor::lab::Ellipse> landingEllipses() const;
    std::vector<quillmoor::lab::Ellipse> finishEllipses() const;
    // "Holes 62 % (58–66 %) of putts with 3 % speed and 1° aim spread", or
    // "" when no shot ran.
    std::string verdict() const;

    quillmoor::lab::DispersionSetup setup;
    quillmoor::lab::DispersionStats stats;
    // Of the first kMaxDispersionPlotShots shots: more would only fill the
    // ellipses in. Landing points of the tee shots that landed.
    std::vector<Vector3> landing, finish;
    std::string firstRefusal;             // why the first refused shot was refused
    quillmoor::lab::SweepOutcome outcome; // set at the end
};
