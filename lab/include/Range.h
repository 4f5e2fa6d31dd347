#pragma once
// A launch monitor's range: one shot, or a table of shots, on flat ground at
// launch height with no hole, in a given air and wind, with the numbers a
// launch monitor shows.
//
// The numbers are those of `Shotlab summary` (ShotSummary.h) with one change
// of definition: the landing angle is taken over the last step wholly in the
// air, P(k-2) -> P(k-1) for a landing at k >= 2 (P0 -> P1 for k = 1).
// Besides: the ball speed over that same step (landing_speed_mph) and the
// spin at landing (landing_spin_rpm: the realistic flight's decayed spin; the
// complex flight keeps the launch spin; the simple one has none).

#include "ShotRun.h"
#include "ShotSummary.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class SwingModel;

namespace quillmoor::lab {

// What the player gives the ball.
struct RangeLaunch
{
    double speedMph = 0.0;
    double launchDeg = 0.0;
    double spinRpm = 0.0;     // back spin
    double sideSpinRpm = 0.0; // positive curves left, as TeeSideSpin
    double directionDeg = 0.0; // as TeeTargetAngle: positive is left of the line
};

// The day: wind as the data file's WindDir/WindSpeed (the direction it blows
// toward, 0 down the line: a tailwind), and the air.
struct RangeConditions
{
    double windMph = 0.0;
    double windDirDeg = 0.0;
    double temperatureF = 70.0;
    double altitudeFt = 0.0;
    double humidityPct = 50.0;
};

// The model of one range shot: a hole whose ground is flat at the tee's
// height everywhere the ball can go, with no green in reach.
SwingModel rangeModel(const RangeLaunch& launch, const RangeConditions& conditions);

struct RangeNumbers
{
    TeeShotNumbers tee; // landingAngle by the definition above
    std::optional<double> landingSpeedMph;
    std::optional<double> landingSpinRpm;
};

struct RangeResult
{
    SimResult run;                    // a refusal says why
    std::optional<RangeNumbers> numbers; // empty when refused
};

RangeResult runRangeShot(const RangeLaunch& launch, const RangeConditions& conditions,
                         ShotMode physics);

// The output keys, in order, with units for people; their values.
struct RangeField
{
    const char* key;
    const char* label;
    const char* unit;
    int decimals;
    std::optional<double> (*value)(const RangeNumbers& numbers);
};
const std::vector<RangeField>& rangeFields();

// A table of shots from a launch monitor's CSV export.
struct RangeRow
{
    int line = 0; // in the file, from 1 for the header
    std::string club;
    RangeLaunch launch;
    // Measured, where the file has them: carry_yd, max_height_yd,
    // land_angle_deg, total_yd.
    std::optional<double> carry, maxHeight, landAngle, total;
};

// The measured columns, each with the predicted number it is held against.
struct MeasuredColumn
{
    const char* key;       // in the table
    const char* predicted; // range key
    std::optional<double> RangeRow::*field;
};
const std::vector<MeasuredColumn>& measuredColumns();

// Tables of shots and bags of clubs hold a few hundred rows at most; a file
// that goes on past this (/dev/zero, a pipe that never ends) is given up.
constexpr std::size_t kMaxTableBytes = std::size_t(16) << 20;

enum class TableError { None, Unreadable, BadValue };

// The whole text of a table file, read in pieces up to kMaxTableBytes; false
// with the reason (not naming the file) when it cannot be opened, is a
// directory, fails to read or goes on past the bound.
bool readTableText(const std::string& path, std::string& text, std::string& error);

// Reads the CSV at path. Columns by header name: ball_speed_mph,
// launch_angle_deg, spin_rate_rpm (required), side_spin_rpm, direction_deg,
// club and the measured columns (optional; empty cells are unknown); others
// are ignored. Quoted cells as in RFC 4180. On failure says why in error:
// Unreadable for a file that cannot be read (readTableText), is empty or
// lacks a required column, BadValue for a number that is not finite or a
// speed of 0 or below, naming the line.
TableError readRangeTable(const std::string& path, std::vector<RangeRow>& rows,
                          std::vector<const MeasuredColumn*>& measured, std::string& error);
// The same for a table's text; lines are counted from 1 for the header.
TableError parseRangeTable(const std::string& text, std::vector<RangeRow>& rows,
                           std::vector<const MeasuredColumn*>& measured, std::string& error);

// One CSV record's cells; quotes as in RFC 4180 (a record does not span
// lines: launch monitors write one shot per line). Cells are not trimmed.
std::vector<std::string> splitCsv(const std::string& line);

// Root mean square of predicted minus measured over the rows that have both.
std::optional<double> rmse(const std::vector<std::pair<double, double>>& pairs);

} // namespace quillmoor::lab
