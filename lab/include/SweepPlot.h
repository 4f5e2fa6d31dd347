#pragma once
// The overlaid paths of a sweep: the views of the hole with every point's
// path drawn on them. The paths are gathered here without Qt, thinned as
// they are run; the pictures library (Qt) draws them.

#include "Sweep.h"
#include "Trajectory.h"
#include "Vector3.h"

#include <string>
#include <vector>

class SwingModel;

namespace quillmoor::lab {

// A picture of more paths than this would show no more than one of fewer;
// keeping them would only cost memory (a few kilobytes each).
constexpr std::size_t kMaxPlotPaths = 10'000;

struct SweepPlot
{
    const SwingModel* model = nullptr; // the model as read: the hole the paths are drawn on
    // One per point of the sweep (of its shard), in grid order; empty where
    // the run was refused or not run (Ctrl+C).
    std::vector<std::vector<Vector3>> paths;
    std::string legend; // what the colours run over, e.g. "TeeLaunchAngle 6 … 30 deg"
};

// The points of a path that a picture needs (thinTrace of the views).
using PathThinner = std::vector<Vector3> (*)(const Trajectory& shot);

// Draws the plan view above the elevation view with the paths overlaid, as
// PNG data. False with a message when it cannot be drawn.
using PlotRenderer = bool (*)(const SweepPlot& plot, std::string& png, std::string& error);

// The size of the picture, in pixels: each view is half its height.
constexpr int kPlotWidth = 1200;
constexpr int kPlotHeight = 900;

// "TeeLaunchAngle 6 … 30 deg", with " × ..." for every further axis, in the
// order the grid runs through them.
std::string sweepLegend(const SweepGrid& grid);

} // namespace quillmoor::lab
