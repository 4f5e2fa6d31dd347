#include "CarriedValue.h"

#include "NumberText.h"
#include "SwingModel.h"

#include <cstring>
#include <utility>

namespace quillmoor {

namespace {

// The reader takes a line in pieces of at most this many characters.
constexpr std::size_t kPieceLength = 199;

// The value text the reader gets from the first piece of the line
// "key: text" (the text never holds a line end).
std::string valueText(const char* key, const std::string& text)
{
    std::string line = key;
    line += ": ";
    line += text;
    if (line.size() + 1 > kPieceLength) // + 1: the line end
        line.resize(kPieceLength);
    return line.substr(std::strlen(key) + 1);
}

// A "%8.*f" line read back through setValue.
double carriedFixed(const char* key, double v, int decimals)
{
    std::string text;
    numtext::appendFixed(text, v, decimals, 8);
    return numtext::parseDouble(valueText(key, text).c_str());
}

// A "%8.*f, %8.*f, %8.*f" line read back as a triple: components the reader
// does not find are 0.
Vector3 carriedTriple(const char* key, const Vector3& v, int decimals)
{
    std::string text;
    numtext::appendFixed(text, v.x, decimals, 8);
    text += ", ";
    numtext::appendFixed(text, v.y, decimals, 8);
    text += ", ";
    numtext::appendFixed(text, v.z, decimals, 8);
    double c[3] = {0.0, 0.0, 0.0};
    numtext::parseTriple(valueText(key, text).c_str(), c);
    return {c[0], c[1], c[2]};
}

double carriedCoordinate(double v)
{
    std::string text;
    numtext::appendFixed(text, v, 8, 8);
    double c[1] = {0.0};
    numtext::parseTriple(text.c_str(), c);
    return c[0];
}

// "TreeType: %s" read back. A type the reader ignores (it holds a comma)
// leaves the reading model's own, and a fresh model stands on hole 1, which
// has no tree.
std::string carriedTreeType(const std::string& type)
{
    std::string value = valueText("TreeType", type.c_str()); // as "%s": up to a NUL
    const std::size_t lineEnd = value.find('\n');
    if (lineEnd != std::string::npos)
        value.resize(lineEnd + 1);
    if (value.find(',') != std::string::npos)
        return {};
    std::size_t start = 0;
    while (start < value.size() && value[start] == ' ')
        ++start;
    value.erase(0, start);
    while (!value.empty() && value.find_first_of("\r\n") != std::string::npos)
        value.pop_back();
    return value;
}

// The name the writer puts on the line of a setValue key.
const char* writtenKey(const std::string& key)
{
    if (key == "TeeClubSpeed")
        return "TeeBallSpeed";
    if (key == "TeeZSpin")
        return "TeeSideSpin";
    if (key == "PuttClubSpeed")
        return "PuttBallSpeed";
    return key.c_str();
}

// The keys a freshly made model holds 0 for.
bool startsAtZero(const std::string& key)
{
    return key == "TeeTargetAngle" || key == "TeeSideSpin" || key == "TeeZSpin" ||
           key == "PuttTargetAngle";
}

} // namespace

double carriedValue(const std::string& key, double value)
{
    if (key == "HoleId" || key == "GreenType")
        return truncToInt(value); // "%d"
    if (key == "PuttEnabled")
        return value != 0.0 ? 1.0 : 0.0;
    if (key == "GreenSize")
        return carriedFixed("GreenSize", value, 4);
    if (key == "TimeStepSize") {
        std::string text;
        numtext::appendGeneral(text, value);
        return numtext::parseDouble(valueText("TimeStepSize", text).c_str());
    }
    // The air is written only when it differs from the standard air; a reader
    // keeps its own value for a line that is not there, and a fresh reader
    // holds the standard air. (-0 altitude compares equal to 0: not written.)
    static const std::pair<const char*, double> airDefaults[] = {
        {"Temperature", SwingModel::kDefaultTemperature},
        {"Altitude", SwingModel::kDefaultAltitude},
        {"Humidity", SwingModel::kDefaultHumidity},
    };
    for (const auto& [airKey, standard] : airDefaults) {
        if (key != airKey)
            continue;
        const double v = value == standard ? standard : carriedFixed(airKey, value, 8);
        // A "-0.00000000" line does not replace the reader's 0 either.
        return v == 0.0 && standard == 0.0 ? 0.0 : v;
    }
    static const char* const eightDecimals[] = {
        "WindDir",      "WindSpeed",    "GreenXRot",      "GreenYRot",      "GreenRho",
        "TeeClubSpeed", "TeeBallSpeed", "TeeLaunchAngle", "TeeTargetAngle", "TeeBackSpin",
        "TeeZSpin",     "TeeSideSpin",  "PuttClubSpeed",  "PuttBallSpeed",  "PuttTargetAngle",
    };
    for (const char* k : eightDecimals) {
        if (key != k)
            continue;
        const double v = carriedFixed(writtenKey(key), value, 8);
        // The reader stores these through setters that keep the value they
        // hold when the new one compares equal: a -0 does not replace the 0 a
        // fresh model starts with.
        if (v == 0.0 && startsAtZero(key))
            return 0.0;
        return v;
    }
    return value;
}

Vector3 carriedPoint(const Vector3& p)
{
    return {carriedCoordinate(p.x), carriedCoordinate(p.y), carriedCoordinate(p.z)};
}

void carryHole(HoleInfo& h)
{
    h.HolePos = carriedTriple("HolePos", h.HolePos, 4);
    h.GreenPos = carriedTriple("GreenPos", h.GreenPos, 4);
    h.GreenSize = carriedValue("GreenSize", h.GreenSize);
    h.TreePos = carriedTriple("TreePos", h.TreePos, 4);
    h.TreeSize = carriedTriple("TreeSize", h.TreeSize, 4);
    h.TreeType = carriedTreeType(h.TreeType);
    h.WindDir = carriedValue("WindDir", h.WindDir);
    h.WindSpeed = carriedValue("WindSpeed", h.WindSpeed);
    h.GreenXRot = carriedValue("GreenXRot", h.GreenXRot);
    h.GreenYRot = carriedValue("GreenYRot", h.GreenYRot);
    h.GreenRho = carriedValue("GreenRho", h.GreenRho);
}

void carryModel(SwingModel& m)
{
    carryHole(m.hole);
    m.TeeBallSpeed = carriedValue("TeeBallSpeed", m.TeeBallSpeed);
    m.TeeLaunchAngle = carriedValue("TeeLaunchAngle", m.TeeLaunchAngle);
    m.TeeTargetAngle = carriedValue("TeeTargetAngle", m.TeeTargetAngle);
    m.TeeBackSpin = carriedValue("TeeBackSpin", m.TeeBackSpin);
    m.TeeSideSpin = carriedValue("TeeSideSpin", m.TeeSideSpin);
    m.PuttBallSpeed = carriedValue("PuttBallSpeed", m.PuttBallSpeed);
    m.PuttTargetAngle = carriedValue("PuttTargetAngle", m.PuttTargetAngle);
    m.BallPos = carriedTriple("BallPos", m.BallPos, 8);
    m.TimeStepSize = carriedValue("TimeStepSize", m.TimeStepSize);
    m.Temperature = carriedValue("Temperature", m.Temperature);
    m.Altitude = carriedValue("Altitude", m.Altitude);
    m.Humidity = carriedValue("Humidity", m.Humidity);
    for (Trajectory* shot : {&m.teeShot, &m.puttShot}) {
        std::vector<Trajectory::value_type> points;
        points.reserve(static_cast<std::size_t>(shot->size()));
        for (const auto& [step, p] : *shot)
            points.emplace_back(step, carriedPoint(p));
        shot->assign(std::move(points));
    }
}

} // namespace quillmoor
