#include "Dispersion.h"

#include "CarriedValue.h"
#include "SwingModel.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>

namespace quillmoor::lab {

namespace {

// Choices rather than quantities, or not the player's to spread.
const char* const kFixedKeys[] = {"HoleId", "PuttEnabled", "GreenType", "GreenSize",
                                  "TimeStepSize"};

std::string dispersionKeyList()
{
    std::string list;
    for (const std::string& k : sweepKeys())
        if (isDispersionKey(k))
            list += " " + k;
    return list;
}

// A decimal number with an optional sign; "nan" and "inf" are numbers here,
// so that the message can say what is wrong with them.
bool parseDecimal(std::string text, double& value)
{
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    const char* first = text.c_str();
    const char* last = first + text.size();
    const auto res = std::from_chars(first, last, value);
    return !text.empty() && res.ec == std::errc() && res.ptr == last;
}

std::string trimmed(const std::string& text)
{
    const std::size_t from = text.find_first_not_of(' ');
    if (from == std::string::npos)
        return {};
    return text.substr(from, text.find_last_not_of(' ') + 1 - from);
}

// A spread as people read it: at most three decimals, no trailing zeros (a
// spread too small for three decimals in full).
std::string shortText(double v)
{
    const std::string text = plainText(v, 3);
    return text == "0" && v != 0.0 ? exactText(v) : text;
}

// What a key is called in a sentence about the spread.
std::string keyWord(const std::string& key)
{
    static const std::pair<const char*, const char*> words[] = {
        {"TeeBallSpeed", "ball speed"},
        {"TeeClubSpeed", "ball speed"},
        {"TeeLaunchAngle", "launch angle"},
        {"TeeTargetAngle", "aim"},
        {"TeeBackSpin", "back spin"},
        {"TeeSideSpin", "side spin"},
        {"TeeZSpin", "side spin"},
        {"PuttBallSpeed", "speed"},
        {"PuttClubSpeed", "speed"},
        {"PuttTargetAngle", "aim"},
        {"WindSpeed", "wind speed"},
        {"WindDir", "wind direction"},
        {"GreenXRot", "green tilt along the hole"},
        {"GreenYRot", "green tilt across the hole"},
        {"GreenRho", "green friction"},
        {"Temperature", "temperature"},
        {"Altitude", "altitude"},
        {"Humidity", "humidity"},
    };
    for (const auto& [name, word] : words)
        if (key == name)
            return word;
    return key;
}

constexpr double kPi = 3.14159265358979323846;

constexpr std::uint64_t kGamma = 0x9e3779b97f4a7c15ULL;

// SplitMix64's output function: a bijection of 64-bit words that spreads
// every input bit over the whole word.
std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// The top 53 bits of a word as a number in [0, 1).
double unitInterval(std::uint64_t w)
{
    return static_cast<double>(w >> 11) * 0x1.0p-53;
}

} // namespace

bool isDispersionKey(const std::string& key)
{
    if (!isSweepKey(key))
        return false;
    for (const char* fixed : kFixedKeys)
        if (key == fixed)
            return false;
    return true;
}

bool parseSpreadOption(const std::string& text, SpreadOption& option, std::string& error)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        error = "\"" + text + "\" is not KEY=SD";
        return false;
    }
    SpreadOption result;
    result.key = text.substr(0, equals);
    if (!isSweepKey(result.key)) {
        error = "unknown key \"" + result.key + "\": --sd takes one of" + dispersionKeyList();
        return false;
    }
    if (!isDispersionKey(result.key)) {
        error = result.key + " is not a quantity a player's shots spread in: --sd takes one of" +
                dispersionKeyList();
        return false;
    }
    std::string number = trimmed(text.substr(equals + 1));
    if (!number.empty() && number.back() == '%') {
        result.percent = true;
        number = trimmed(number.substr(0, number.size() - 1));
    }
    if (!parseDecimal(number, result.sd)) {
        error = "\"" + text + "\" is not KEY=SD: SD is a number, or a percentage of the " +
                "model's value such as 3%";
        return false;
    }
    if (!std::isfinite(result.sd)) {
        error = result.key + ": the SD must be a finite number, not " + number;
        return false;
    }
    if (result.sd < 0.0) {
        error = result.key + ": the SD must be 0 or more, not " + number;
        return false;
    }
    option = result;
    return true;
}

bool playsIntoShot(const std::string& key, bool putt)
{
    const bool puttKey = key.rfind("Putt", 0) == 0;
    if (!putt)
        return !puttKey;
    return puttKey || key.rfind("Green", 0) == 0;
}

bool resolveSpreads(const std::vector<SpreadOption>& options, const SwingModel& model,
                    std::vector<KeySpread>& spreads, std::string& error)
{
    std::vector<KeySpread> result;
    std::vector<SweepAxis> axes;
    for (const SpreadOption& o : options) {
        for (const KeySpread& s : result) {
            if (s.key == o.key) {
                error = "--sd " + o.key + " is given twice";
                return false;
            }
        }
        bool known = false;
        KeySpread s;
        s.key = o.key;
        s.centre = model.getValue(o.key, &known);
        if (!known) {
            error = o.key + ": the model has no value for it";
            return false;
        }
        if (!playsIntoShot(o.key, model.PuttEnabled)) {
            error = o.key + " plays no part in a " + (model.PuttEnabled ? "putt" : "tee shot") +
                    ": spread a key of " +
                    (model.PuttEnabled ? "the putt (Putt...) or the green (Green...)"
                                       : "the tee shot, the air or the green");
            return false;
        }
        s.sd = o.sd;
        if (o.percent) {
            if (s.centre == 0.0) {
                const char* unit = keyUnit(o.key);
                error = o.key + ": the model's value is 0, and " + shortText(o.sd) +
                        "% of it is no spread; give the SD" +
                        (*unit ? std::string(" in ") + unit : std::string()) + " instead";
                return false;
            }
            s.percent = o.sd;
            s.sd = std::fabs(s.centre) * o.sd / 100.0;
        }
        if (!std::isfinite(s.sd) || !std::isfinite(s.centre)) {
            error =
                o.key + ": the model's value (" + exactText(s.centre) + ") gives no finite spread";
            return false;
        }
        if (!fitsDataFile(std::fabs(s.centre) + kDrawReachSds * s.sd)) {
            error = o.key + ": an SD of " + exactText(s.sd) +
                    " draws values the data file cannot carry (it carries values below " +
                    exactText(kMaxFileValue) + " in size)";
            return false;
        }
        SweepAxis axis;
        axis.key = s.key;
        axis.from = axis.to = s.centre;
        axis.values = {s.centre};
        axes.push_back(axis);
        result.push_back(s);
    }
    // Two names of one quantity (TeeClubSpeed and TeeBallSpeed): the grid knows.
    SweepGrid grid;
    if (!grid.setAxes(std::move(axes), error))
        return false;
    spreads = std::move(result);
    return true;
}

double standardNormal(std::uint64_t seed, std::uint64_t shot, std::uint64_t stream)
{
    // Each step is a bijection of the word, so for one seed every shot has
    // its own word, and for one shot every stream.
    std::uint64_t state = mix(seed + kGamma);
    state = mix(state ^ shot);
    state = mix(state ^ stream);
    // Two outputs of a SplitMix64 generator started at that word.
    const double u1 = 1.0 - unitInterval(mix(state += kGamma)); // (0, 1]: its log is finite
    const double u2 = unitInterval(mix(state += kGamma));
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
}

std::uint64_t keyStream(const std::string& key)
{
    // FNV-1a.
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (unsigned char c : key) {
        h ^= c;
        h *= 0x100000001b3ULL;
    }
    return h;
}

bool makeDispersionPlan(const std::vector<KeySpread>& spreads, std::size_t shots,
                        std::uint64_t seed, SweepPlan& plan, std::string& error)
{
    if (shots == 0 || shots > kMaxDispersionShots) {
        error = "--shots must be 1 to " + std::to_string(kMaxDispersionShots) + ", not " +
                std::to_string(shots);
        return false;
    }
    std::vector<SweepAxis> axes;
    struct Draw
    {
        std::string key;
        double centre, sd;
        std::uint64_t stream;
    };
    std::vector<Draw> draws;
    for (const KeySpread& s : spreads) {
        SweepAxis axis;
        axis.key = s.key;
        axis.from = axis.to = s.centre;
        axis.values = {s.centre};
        axes.push_back(axis);
        draws.push_back({s.key, s.centre, s.sd, keyStream(s.key)});
    }
    SweepGrid grid;
    if (!grid.setAxes(std::move(axes), error))
        return false;
    plan.grid = std::move(grid);
    plan.points = shots;
    plan.pointValues = [draws, seed](std::size_t i, std::vector<double>& values) {
        for (std::size_t k = 0; k < draws.size(); ++k) {
            const Draw& d = draws[k];
            values[k] =
                d.sd == 0.0
                    ? d.centre
                    : carriedValue(d.key, d.centre + d.sd * standardNormal(seed, i, d.stream));
        }
    };
    return true;
}

void RunningMoments::add(double x)
{
    ++n_;
    const double d = x - mean_;
    mean_ += d / static_cast<double>(n_);
    m2_ += d * (x - mean_);
}

double RunningMoments::sd() const
{
    return n_ < 2 ? 0.0 : std::sqrt(std::max(0.0, m2_ / static_cast<double>(n_ - 1)));
}

void PointMoments::add(double x, double y)
{
    ++n_;
    const double dx = x - mx_;
    const double dy = y - my_;
    mx_ += dx / static_cast<double>(n_);
    my_ += dy / static_cast<double>(n_);
    sxx_ += dx * (x - mx_);
    syy_ += dy * (y - my_);
    sxy_ += dx * (y - my_);
}

double PointMoments::covXX() const
{
    return n_ < 2 ? 0.0 : sxx_ / static_cast<double>(n_ - 1);
}

double PointMoments::covXY() const
{
    return n_ < 2 ? 0.0 : sxy_ / static_cast<double>(n_ - 1);
}

double PointMoments::covYY() const
{
    return n_ < 2 ? 0.0 : syy_ / static_cast<double>(n_ - 1);
}

Ellipse probabilityEllipse(double x, double y, double cxx, double cxy, double cyy, double p)
{
    Ellipse e;
    e.probability = p;
    e.x = x;
    e.y = y;
    // The eigenvalues of [[cxx, cxy], [cxy, cyy]] and the angle of the
    // larger one's eigenvector from +x.
    const double mid = 0.5 * (cxx + cyy);
    const double radius = std::hypot(0.5 * (cxx - cyy), cxy);
    const double q = -2.0 * std::log1p(-p);
    e.semiMajor = std::sqrt(std::max(0.0, mid + radius) * q);
    e.semiMinor = std::sqrt(std::max(0.0, mid - radius) * q);
    if (radius > 0.0) {
        const double fromX = 0.5 * std::atan2(2.0 * cxy, cxx - cyy) * 180.0 / kPi; // [-90, 90]
        // A direction angle a points along (-sin a, cos a): a = fromX - 90.
        e.orientation = fromX - 90.0;
        if (e.orientation <= -90.0)
            e.orientation += 180.0;
    }
    return e;
}

std::optional<Ellipse> probabilityEllipse(const PointMoments& points, double p)
{
    if (points.count() < 2)
        return std::nullopt;
    return probabilityEllipse(points.meanX(), points.meanY(), points.covXX(), points.covXY(),
                              points.covYY(), p);
}

Share wilsonShare(std::size_t hits, std::size_t count)
{
    Share s;
    s.hits = hits;
    s.count = count;
    if (count == 0)
        return s;
    constexpr double z = 1.959963984540054; // the normal's 97.5 % quantile
    const double n = static_cast<double>(count);
    const double p = static_cast<double>(hits) / n;
    const double z2n = z * z / n;
    const double centre = (p + z2n / 2.0) / (1.0 + z2n);
    const double half = z / (1.0 + z2n) * std::sqrt(p * (1.0 - p) / n + z2n / (4.0 * n));
    s.value = p;
    // At 0 and at all of them the bound is exact; rounding must not move it.
    s.low = hits == 0 ? 0.0 : std::clamp(centre - half, 0.0, p);
    s.high = hits == count ? 1.0 : std::clamp(centre + half, p, 1.0);
    return s;
}

DispersionStats::DispersionStats(const SwingModel& model)
    : kind(model.PuttEnabled ? ShotKind::Putt : ShotKind::Tee), holeId(model.hole.HoleId),
      greenRadius(model.hole.GreenSize * 0.5), hole(model.hole.HolePos)
{
    const std::vector<const char*> keys =
        kind == ShotKind::Tee
            ? std::vector<const char*>{"carry_yd", "total_yd", "side_yd", "distance_to_hole_yd"}
            : std::vector<const char*>{"roll_distance_yd", "distance_to_hole_yd"};
    for (const char* key : keys)
        for (const ShotField& f : shotFields())
            if (f.kind == kind && std::strcmp(f.key, key) == 0)
                numbers.push_back({&f, {}});
}

void DispersionStats::add(const SweepRow& row)
{
    ++shots;
    if (!row.shot || row.shot->kind != kind)
        return;
    ++ran;
    const ShotRecord& shot = *row.shot;
    for (Number& n : numbers) {
        const std::optional<double> v = n.field->of(shot);
        if (v && std::isfinite(*v))
            n.moments.add(*v);
    }
    auto addPoint = [](PointMoments& to, const Vector3& p) {
        if (std::isfinite(p.x) && std::isfinite(p.y))
            to.add(p.x, p.y);
    };
    double distance = 0.0;
    bool inCup = false;
    if (kind == ShotKind::Tee) {
        if (shot.tee.landingPoint)
            addPoint(landing, *shot.tee.landingPoint);
        addPoint(finish, shot.tee.finalPoint);
        distance = shot.tee.distanceToHole;
        const Vector3& p = shot.tee.finalPoint;
        inCup = std::fabs(p.x - hole.x) <= 1e-6 && std::fabs(p.y - hole.y) <= 1e-6 &&
                std::fabs(p.z - hole.z) <= 1e-6;
    } else {
        addPoint(finish, shot.putt.finalPoint);
        distance = shot.putt.distanceToHole;
        inCup = shot.putt.holed;
    }
    onGreen += distance < greenRadius;
    nearHole += distance <= kNearHoleYards;
    holed += inCup;
}

std::string spreadPhrase(const std::vector<KeySpread>& spreads)
{
    std::string phrase;
    for (std::size_t i = 0; i < spreads.size(); ++i) {
        const KeySpread& s = spreads[i];
        if (i > 0)
            phrase += i + 1 == spreads.size() ? " and " : ", ";
        if (s.percent) {
            phrase += shortText(*s.percent) + " %";
        } else {
            const std::string unit = keyUnit(s.key);
            phrase += shortText(s.sd);
            phrase += unit == "deg" ? "\u00b0" : unit.empty() ? "" : " " + unit;
        }
        phrase += " " + keyWord(s.key);
    }
    return phrase + " spread";
}

std::string percentText(double share, int decimals)
{
    const double percent = share * 100.0;
    for (;; ++decimals) {
        const std::string text = fixedText(percent, decimals);
        double shown = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), shown);
        const bool misleads = (share > 0.0 && shown == 0.0) || (share < 1.0 && shown == 100.0);
        if (!misleads || decimals >= 6)
            return text;
    }
}

namespace {

std::string oddsText(const Share& s)
{
    return percentText(s.value) + " % (" + percentText(s.low) + "\u2013" + percentText(s.high) +
           " %)";
}

} // namespace

std::string dispersionOdds(const DispersionStats& stats)
{
    if (stats.ran == 0)
        return {};
    const std::string green = "on the green " + oddsText(wilsonShare(stats.onGreen, stats.ran));
    const std::string near = "within 10 ft " + oddsText(wilsonShare(stats.nearHole, stats.ran));
    const std::string holed = "holed " + oddsText(wilsonShare(stats.holed, stats.ran));
    std::string text = stats.kind == ShotKind::Putt ? holed + ", " + near + ", " + green
                                                    : green + ", " + near + ", " + holed;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

std::string dispersionVerdict(const DispersionSetup& setup, const DispersionStats& stats)
{
    if (stats.ran == 0)
        return {};
    const bool putt = stats.kind == ShotKind::Putt;
    const std::string odds = oddsText(wilsonShare(putt ? stats.holed : stats.onGreen, stats.ran));
    return (putt ? "holes " + odds + " of putts"
                 : "finishes on the green in " + odds + " of tee shots") +
           " with " + spreadPhrase(setup.spreads);
}

} // namespace quillmoor::lab
