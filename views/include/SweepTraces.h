#pragma once
// Traces of a sweep overlaid on the views of the hole, coloured by grid order.
#include "Vector3.h"
#include <QColor>
#include <QString>
#include <vector>
class SwingScene; class Trajectory;
// The colour of the i-th of n traces along the sweep gradient (same in --plot and the window).
QColor sweepColour(std::size_t i, std::size_t n);
// The points of a shot thinned to what a picture needs (keeps first, last, and turns; a few hundred points at most).
std::vector<Vector3> thinTrace(const Trajectory& shot);
// Adds one path item per trace to the scene, coloured by sweepColour, kept in scene.traces so SwingScene::clearTraces() removes them. label: text for a small legend, e.g. "TeeLaunchAngle 6 … 30 deg" (empty: no legend).
void addSweepTraces(SwingScene& scene, const std::vector<std::vector<Vector3>>& traces, const QString& legend);

// Most points thinTrace keeps.
constexpr std::size_t kMaxTracePoints = 400;
// The z value of the first trace: above every picture, line and the green of
// both views, so that no scenery hides a trace. Later traces lie a little
// higher, so the last of the grid is drawn on top.
constexpr double kSweepTraceZ = 3000;
