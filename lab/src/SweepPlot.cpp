#include "SweepPlot.h"

#include "SweepOutput.h"

namespace quillmoor::lab {

std::string sweepLegend(const SweepGrid& grid)
{
    std::string legend;
    for (const SweepAxis& axis : grid.axes()) {
        // A key that keeps one value does not move the colours.
        if (axis.values.size() < 2 && grid.size() > 1)
            continue;
        if (!legend.empty())
            legend += " \u00d7 ";
        legend += axis.key + " " + exactText(axis.values.front());
        if (axis.values.size() > 1)
            legend += " \u2026 " + exactText(axis.values.back());
        if (*keyUnit(axis.key))
            legend += std::string(" ") + keyUnit(axis.key);
    }
    return legend;
}

} // namespace quillmoor::lab
