#pragma once
// The picture of a dispersion, drawn with Qt without a display; Shotlab hands
// it to the command as it does the sweep's pictures.

#include "DispersionPlot.h"

#include <string>

namespace quillmoor::lab {

// A DispersionRenderer: the plan view of the plot's hole, kDispersionPlotWidth
// × kDispersionPlotHeight, with the landing points (orange rings), the final
// points (dark blue dots), their 68 % (solid) and 95 % (dashed) ellipses, the
// title and a key, as PNG data.
bool renderDispersionPlot(const DispersionPlot& plot, std::string& png, std::string& error);

} // namespace quillmoor::lab
