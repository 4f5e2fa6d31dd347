#pragma once
// The picture of a dispersion: the plan view of the hole with the shots'
// landing and final points and their ellipses. The points are gathered here
// without Qt; the pictures library (Qt) draws them.

#include "Dispersion.h"
#include "Vector3.h"

#include <string>
#include <vector>

class SwingModel;

namespace quillmoor::lab {

// The picture shows the points of at most this many shots (the ellipses
// take all of them): more dots would only fill the ellipses in.
constexpr std::size_t kMaxDispersionPlotShots = 20'000;

struct DispersionPlot
{
    const SwingModel* model = nullptr; // the model as read: the hole drawn
    std::vector<Vector3> landing;      // of the tee shots that landed
    std::vector<Vector3> finish;       // where the shots ended
    std::vector<Ellipse> landingEllipses, finishEllipses;
    std::string title; // "1000 putts of hole2-putt.txt with 3 % speed and 1° aim spread"
};

// Draws the plan view with the points and ellipses, as PNG data. False with a
// message when it cannot be drawn.
using DispersionRenderer = bool (*)(const DispersionPlot& plot, std::string& png,
                                    std::string& error);

// The size of the picture, in pixels.
constexpr int kDispersionPlotWidth = 1200;
constexpr int kDispersionPlotHeight = 600;

} // namespace quillmoor::lab
