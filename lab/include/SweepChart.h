#pragma once
// A line chart of one summary number against the first varied key, one line
// per combination of the other varied keys' values. The numbers are gathered
// here without Qt; the pictures library (Qt) draws them.

#include "SweepOutput.h"

#include <string>
#include <vector>

namespace quillmoor::lab {

struct ChartLine
{
    std::string name;      // the other keys' values, e.g. "TeeBackSpin 2500 rpm"
    std::vector<double> y; // one per x; NaN where the number is absent
};

struct SweepChart
{
    std::string title;
    std::string xTitle; // "TeeLaunchAngle (deg)"
    std::string yTitle; // "Carry (yd)"
    std::vector<double> x;
    std::vector<ChartLine> lines;
};

class SweepChartBuilder
{
public:
    // The grid must have at least one axis.
    SweepChartBuilder(const SweepGrid& grid, const SweepColumn& column, const std::string& title);
    void add(const SweepRow& row);
    const SweepChart& chart() const { return chart_; }

private:
    SweepColumn column_;
    std::size_t lineCount_ = 1; // points per value of the first key
    SweepChart chart_;
};

// Draws the chart as PNG data, which the command writes to its file. False
// with a message when it cannot be drawn.
using ChartRenderer = bool (*)(const SweepChart& chart, std::string& png, std::string& error);

// The size of the pictures, in pixels.
constexpr int kChartWidth = 1200;
constexpr int kChartHeight = 750;

} // namespace quillmoor::lab
