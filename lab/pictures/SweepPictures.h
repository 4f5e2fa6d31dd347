#pragma once
// The pictures of sweeps, drawn with Qt without a display. Shotlab links this
// library only when it is built with Qt (QUILLMOOR_GUI) and hands these
// functions to the commands; the lab library itself stays free of Qt.

#include "SweepChart.h"
#include "SweepPlot.h"

#include <string>

namespace quillmoor::lab {

// A ChartRenderer: the chart as a kChartWidth × kChartHeight PNG. Without a
// QApplication one is made for the drawing, on the offscreen platform unless
// QT_QPA_PLATFORM names another.
bool renderSweepChart(const SweepChart& chart, std::string& png, std::string& error);

// A PlotRenderer: the plan view above the elevation view of the plot's hole,
// kPlotWidth × kPlotHeight, with every path overlaid in the colours of the
// window's sweep traces, as PNG data.
bool renderSweepPlot(const SweepPlot& plot, std::string& png, std::string& error);

} // namespace quillmoor::lab
