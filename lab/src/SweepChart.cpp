#include "SweepChart.h"

#include <cmath>
#include <limits>

namespace quillmoor::lab {

namespace {

std::string withUnit(const std::string& name, const std::string& unit)
{
    return unit.empty() ? name : name + " (" + unit + ")";
}

} // namespace

SweepChartBuilder::SweepChartBuilder(const SweepGrid& grid, const SweepColumn& column,
                                     const std::string& title)
    : column_(column)
{
    const auto& axes = grid.axes();
    const ShotField& field = column.field();
    chart_.title = title;
    chart_.xTitle = withUnit(axes.at(0).key, keyUnit(axes[0].key));
    chart_.yTitle = withUnit(field.label, field.unit);
    chart_.x = axes[0].values;
    for (std::size_t a = 1; a < axes.size(); ++a)
        lineCount_ *= axes[a].values.size();

    // Names from the keys that do take several values; the others are the
    // same on every line.
    std::vector<double> values;
    for (std::size_t line = 0; line < lineCount_; ++line) {
        grid.valuesAt(line, values);
        std::string name;
        for (std::size_t a = 1; a < axes.size(); ++a) {
            if (axes[a].values.size() < 2)
                continue;
            if (!name.empty())
                name += ", ";
            name += axes[a].key + " " + exactText(values[a]);
            if (*keyUnit(axes[a].key))
                name += std::string(" ") + keyUnit(axes[a].key);
        }
        chart_.lines.push_back(
            {name.empty() ? field.label : name,
             std::vector<double>(chart_.x.size(), std::numeric_limits<double>::quiet_NaN())});
    }
}

void SweepChartBuilder::add(const SweepRow& row)
{
    if (!row.shot)
        return;
    const std::optional<double> v = column_.of(*row.shot);
    if (!v || !std::isfinite(*v))
        return;
    chart_.lines[row.gridIndex % lineCount_].y[row.gridIndex / lineCount_] = *v;
}

} // namespace quillmoor::lab
