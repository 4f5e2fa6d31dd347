#include "Range.h"

#include "FileInput.h"
#include "RealisticFlight.h"
#include "SwingModel.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmoor::lab {

namespace {

constexpr double kYardsPerSecondToMph = 0.9144 / 0.44704;

// The i-th stored point in step order.
const Vector3& pointAt(const Trajectory& shot, int i)
{
    return (shot.begin() + i)->second;
}

} // namespace

SwingModel rangeModel(const RangeLaunch& launch, const RangeConditions& c)
{
    SwingModel m(false);
    HoleInfo h;
    h.HoleId = 0;
    // The ground profile starts at the tree's foot: a tree of no size at the
    // tee makes the ground level with the tee from there to the green, and
    // the green lies 100 miles away, as flat as the rest.
    h.TreeType = "range";
    h.TreePos = Vector3(0, 0, 0);
    h.TreeSize = Vector3(0, 0, 0);
    h.HolePos = h.GreenPos = Vector3(0, 176000, 0);
    h.GreenSize = 10;
    h.GreenType = 1;
    h.GreenXRot = h.GreenYRot = 0;
    h.WindDir = c.windDirDeg;
    h.WindSpeed = c.windMph;
    m.hole = h;
    m.TeeBallSpeed = launch.speedMph;
    m.TeeLaunchAngle = launch.launchDeg;
    m.TeeTargetAngle = launch.directionDeg;
    m.TeeBackSpin = launch.spinRpm;
    m.TeeSideSpin = launch.sideSpinRpm;
    m.Temperature = c.temperatureF;
    m.Altitude = c.altitudeFt;
    m.Humidity = c.humidityPct;
    return m;
}

RangeResult runRangeShot(const RangeLaunch& launch, const RangeConditions& conditions,
                         ShotMode physics)
{
    SwingModel m = rangeModel(launch, conditions);
    RangeResult result;
    RealisticReport report;
    result.run = physics == ShotMode::Realistic ? realisticSwing(m, &report)
                                                : runShot(m, physics, false);
    if (!result.run)
        return result;
    // The direction is where the ball starts; its side is measured from the
    // target line, down the range.
    m.TeeTargetAngle = 0.0;
    const std::optional<TeeShotNumbers> tee = summarizeTeeShot(m);
    if (!tee)
        return result;
    RangeNumbers n;
    n.tee = *tee;
    const int k = tee->landingIndex;
    if (k >= 1) {
        // The speed over the last step wholly in the air, the step the landing
        // angle is taken over.
        const int from = k >= 2 ? k - 2 : 0;
        const Vector3& a = pointAt(m.teeShot, from);
        const Vector3& b = pointAt(m.teeShot, from + 1);
        if (m.TimeStepSize > 0)
            n.landingSpeedMph = (b - a).length() / m.TimeStepSize * kYardsPerSecondToMph;
        if (physics == ShotMode::Realistic)
            n.landingSpinRpm = report.landingSpinRpm;
        else if (physics == ShotMode::Complex)
            n.landingSpinRpm = std::hypot(launch.spinRpm, launch.sideSpinRpm);
    }
    result.numbers = n;
    return result;
}

const std::vector<RangeField>& rangeFields()
{
    using N = const RangeNumbers&;
    using O = std::optional<double>;
    static const std::vector<RangeField> fields = {
        {"carry_yd", "Carry", "yd", 2, [](N n) { return n.tee.carry; }},
        {"total_yd", "Total", "yd", 2, [](N n) { return O(n.tee.total); }},
        {"roll_yd", "Roll", "yd", 2, [](N n) { return n.tee.roll; }},
        {"apex_yd", "Apex", "yd", 2, [](N n) { return O(n.tee.apex); }},
        {"hang_time_s", "Hang time", "s", 3, [](N n) { return n.tee.hangTime; }},
        {"landing_angle_deg", "Landing angle", "deg", 1, [](N n) { return n.tee.landingAngle; }},
        {"side_yd", "Side", "yd", 2, [](N n) { return O(n.tee.side); }},
        {"side_at_landing_yd", "Side at landing", "yd", 2, [](N n) { return n.tee.sideAtLanding; }},
        {"landing_speed_mph", "Landing speed", "mph", 1, [](N n) { return n.landingSpeedMph; }},
        {"landing_spin_rpm", "Landing spin", "rpm", 0, [](N n) { return n.landingSpinRpm; }},
    };
    return fields;
}

const std::vector<MeasuredColumn>& measuredColumns()
{
    static const std::vector<MeasuredColumn> columns = {
        {"carry_yd", "carry_yd", &RangeRow::carry},
        {"max_height_yd", "apex_yd", &RangeRow::maxHeight},
        {"land_angle_deg", "landing_angle_deg", &RangeRow::landAngle},
        {"total_yd", "total_yd", &RangeRow::total},
    };
    return columns;
}

std::vector<std::string> splitCsv(const std::string& line)
{
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cells.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells.emplace_back();
        } else if (c != '\r' && c != '\n') {
            cells.back() += c;
        }
    }
    return cells;
}

namespace {

std::string trimmed(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos)
        return {};
    const std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

// A whole decimal number, nothing else in the cell.
bool parseCell(const std::string& text, double& value)
{
    const std::string t = trimmed(text);
    const char* first = t.c_str();
    const char* last = first + t.size();
    if (first != last && *first == '+')
        ++first;
    const auto res = std::from_chars(first, last, value);
    return first != last && res.ec == std::errc() && res.ptr == last;
}

} // namespace

bool readTableText(const std::string& path, std::string& text, std::string& error)
{
    text.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    struct stat st;
    const int statError = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    if (statError != 0) {
        error = std::string("cannot be read: ") + std::strerror(statError);
        ::close(fd);
        return false;
    }
    const std::string tooLong = "longer than " + std::to_string(kMaxTableBytes >> 20) +
                                " MB, far more than any table of shots holds";
    if (S_ISREG(st.st_mode) && static_cast<std::uintmax_t>(st.st_size) > kMaxTableBytes) {
        error = tooLong;
        ::close(fd);
        return false;
    }
    int readError = 0;
    const fileinput::ReadEnd end = fileinput::readBounded(fd, kMaxTableBytes, text, readError);
    ::close(fd);
    if (end == fileinput::ReadEnd::Whole)
        return true;
    error = end == fileinput::ReadEnd::Failed
                ? std::string("could not be read to its end: ") + std::strerror(readError)
                : tooLong;
    text.clear();
    return false;
}

TableError readRangeTable(const std::string& path, std::vector<RangeRow>& rows,
                          std::vector<const MeasuredColumn*>& measured, std::string& error)
{
    rows.clear();
    measured.clear();
    std::string text;
    if (!readTableText(path, text, error))
        return TableError::Unreadable;
    return parseRangeTable(text, rows, measured, error);
}

TableError parseRangeTable(const std::string& text, std::vector<RangeRow>& rows,
                           std::vector<const MeasuredColumn*>& measured, std::string& error)
{
    rows.clear();
    measured.clear();
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line)) {
        error = "is empty";
        return TableError::Unreadable;
    }
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) // a byte order mark
        line.erase(0, 3);
    std::map<std::string, std::size_t> column;
    const std::vector<std::string> header = splitCsv(line);
    for (std::size_t i = 0; i < header.size(); ++i)
        column.emplace(trimmed(header[i]), i);
    for (const char* required : {"ball_speed_mph", "launch_angle_deg", "spin_rate_rpm"}) {
        if (!column.count(required)) {
            error = std::string("has no column ") + required + " in its first line";
            return TableError::Unreadable;
        }
    }
    for (const MeasuredColumn& m : measuredColumns())
        if (column.count(m.key))
            measured.push_back(&m);

    int number = 1;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (trimmed(line).empty())
            continue;
        const std::vector<std::string> cells = splitCsv(line);
        auto cell = [&](const char* name) -> const std::string* {
            const auto it = column.find(name);
            return it != column.end() && it->second < cells.size() ? &cells[it->second] : nullptr;
        };
        // A number of the row; absent (nullopt) for an empty or missing cell.
        // The first bad cell of the row is the one named.
        bool bad = false;
        auto refuse = [&](const std::string& why) {
            if (!bad)
                error = "line " + std::to_string(number) + ": " + why;
            bad = true;
        };
        auto numberOf = [&](const char* name, bool required) -> std::optional<double> {
            const std::string* text = cell(name);
            if (!text || trimmed(*text).empty()) {
                if (required)
                    refuse(std::string(name) + " is empty");
                return std::nullopt;
            }
            double v = 0.0;
            if (!parseCell(*text, v) || !std::isfinite(v)) {
                refuse(std::string(name) + " is not a finite number: \"" + trimmed(*text) + "\"");
                return std::nullopt;
            }
            return v;
        };
        RangeRow row;
        row.line = number;
        if (const std::string* club = cell("club"))
            row.club = trimmed(*club);
        const auto speed = numberOf("ball_speed_mph", true);
        const auto launch = numberOf("launch_angle_deg", true);
        const auto spin = numberOf("spin_rate_rpm", true);
        const auto side = numberOf("side_spin_rpm", false);
        const auto direction = numberOf("direction_deg", false);
        for (const MeasuredColumn* m : measured)
            row.*(m->field) = numberOf(m->key, false);
        if (bad)
            return TableError::BadValue;
        if (!(*speed > 0)) {
            error = "line " + std::to_string(number) + ": ball_speed_mph must be above 0";
            return TableError::BadValue;
        }
        row.launch.speedMph = *speed;
        row.launch.launchDeg = *launch;
        row.launch.spinRpm = *spin;
        row.launch.sideSpinRpm = side.value_or(0.0);
        row.launch.directionDeg = direction.value_or(0.0);
        rows.push_back(std::move(row));
    }
    return TableError::None;
}

std::optional<double> rmse(const std::vector<std::pair<double, double>>& pairs)
{
    if (pairs.empty())
        return std::nullopt;
    double sum = 0.0;
    for (const auto& [predicted, measured] : pairs)
        sum += (predicted - measured) * (predicted - measured);
    return std::sqrt(sum / static_cast<double>(pairs.size()));
}

} // namespace quillmoor::lab
