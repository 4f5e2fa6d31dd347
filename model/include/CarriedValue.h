#pragma once
// What a data file carries of a model. The writer rounds every number to the
// decimals of its line (parameters 8, hole geometry 4, TimeStepSize six
// significant digits, points 8) and the reader parses the text back, so a
// model that went through a file holds slightly different numbers:
// 5 + 3 × 0.05 = 5.1499999999999995 comes back as 5.15. These functions give
// the values a reader ends up with, without writing a file, so that a shot run
// in process sees exactly what Trajex would have read and a summary computed
// in process equals the one of Trajex's output file.
//
// They format with the writer's own number routines and parse with the
// reader's, line by line as the reader sees it (a line longer than the
// reader's 199 characters is cut there). Not carried here: the renumbering of
// a hole the reading process does not know (defineHole), and step lines of
// points so far out (beyond about 1e50 yd) that they pass 199 characters.

#include "Vector3.h"

#include <string>

class SwingModel;
struct HoleInfo;

namespace quillmoor {

// The value setValue(key, value) leaves in a model once the model has been
// written and read back: for example 5.15 for TeeLaunchAngle 5.1499999999999995,
// 2 for HoleId 2.5, 1 for PuttEnabled 0.5. Any other key gives value itself.
double carriedValue(const std::string& key, double value);

// A trajectory point as read back from its step line.
Vector3 carriedPoint(const Vector3& p);

// The hole's geometry, tree and environment as read back.
void carryHole(HoleInfo& hole);

// Every number and text of the model the file carries back: the hole, the
// environment and the air, the tee-shot and putt settings, BallPos,
// TimeStepSize and the points of both trajectories. Steps, FirstImpact and
// exitCode stay.
void carryModel(SwingModel& model);

} // namespace quillmoor
