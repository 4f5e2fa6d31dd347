#include "DispersionOutput.h"

#include "JsonNumber.h"
#include "PhysicsNames.h"
#include "ShotOutput.h"

#include <cctype>
#include <cstring>
#include <nlohmann/json.hpp>

namespace quillmoor::lab {

namespace {

using Json = nlohmann::ordered_json;

const char* kindWord(ShotKind kind, std::size_t n)
{
    if (kind == ShotKind::Putt)
        return n == 1 ? "putt" : "putts";
    return n == 1 ? "tee shot" : "tee shots";
}

std::string shareText(const Share& s)
{
    return percentText(s.value, 1) + " %";
}

std::string intervalText(const Share& s)
{
    return percentText(s.low, 1) + "\u2013" + percentText(s.high, 1) + " %";
}

struct PointSet
{
    const char* name;
    const PointMoments* points;
};

std::vector<PointSet> pointSets(const DispersionStats& stats)
{
    if (stats.kind == ShotKind::Tee)
        return {{"Landing", &stats.landing}, {"Final", &stats.finish}};
    return {{"Final", &stats.finish}};
}

// Without a shot run there is no share to give.
Json shareJson(const Share& s)
{
    Json j;
    j["count"] = s.hits;
    j["share"] = s.count ? jsonNumber(s.value, 8) : Json(nullptr);
    j["low"] = s.count ? jsonNumber(s.low, 8) : Json(nullptr);
    j["high"] = s.count ? jsonNumber(s.high, 8) : Json(nullptr);
    return j;
}

Json pointsJson(const PointMoments& points)
{
    Json j;
    j["count"] = points.count();
    j["ellipses"] = Json::array();
    for (double p : kEllipseProbabilities) {
        const std::optional<Ellipse> e = probabilityEllipse(points, p);
        if (!e)
            continue;
        Json o;
        o["probability"] = jsonNumber(e->probability, 8);
        o["x_yd"] = jsonNumber(e->x, 8);
        o["y_yd"] = jsonNumber(e->y, 8);
        o["semi_major_yd"] = jsonNumber(e->semiMajor, 8);
        o["semi_minor_yd"] = jsonNumber(e->semiMinor, 8);
        o["orientation_deg"] = jsonNumber(e->orientation, 8);
        j["ellipses"].push_back(std::move(o));
    }
    return j;
}

} // namespace

void writeDispersionTable(std::ostream& out, const DispersionSetup& setup,
                          const DispersionStats& stats)
{
    const std::string done = stats.shots == setup.shots ? std::to_string(stats.shots)
                                                        : std::to_string(stats.shots) + " of " +
                                                              std::to_string(setup.shots);
    out << "Dispersion of " << done << ' ' << kindWord(stats.kind, setup.shots) << " of "
        << setup.model << '\n';
    out << "Physics " << physicsName(setup.mode) << ", seed " << setup.seed << "; " << stats.ran
        << " run, " << stats.shots - stats.ran << " refused\n";
    out << "Hole " << stats.holeId << ": the cup at x " << fixedText(stats.hole.x, 2) << ", y "
        << fixedText(stats.hole.y, 2) << " yd, the green " << fixedText(2 * stats.greenRadius, 2)
        << " yd across\n\n";

    std::vector<std::vector<std::string>> rows = {{"Spread", "Value", "SD"}};
    for (const KeySpread& s : setup.spreads) {
        const std::string unit = keyUnit(s.key);
        const std::string withUnit = unit.empty() ? "" : " " + unit;
        // The model's values have at most eight decimals; so has a spread
        // worth reading.
        std::string sd = plainText(s.sd, 8) + withUnit;
        if (s.percent)
            sd += " (" + plainText(*s.percent, 8) + " %)";
        rows.push_back({s.key, plainText(s.centre, 8) + withUnit, sd});
    }
    writeAlignedRows(out, rows, {false, true, false});

    out << '\n';
    rows = {{"Number", "Shots", "Mean", "SD"}};
    for (const DispersionStats::Number& n : stats.numbers) {
        const ShotField& f = *n.field;
        const bool any = n.moments.count() > 0;
        rows.push_back({std::string(f.label) + " (" + f.unit + ")",
                        std::to_string(n.moments.count()),
                        any ? fixedText(n.moments.mean(), f.decimals) : kAbsentCell,
                        any ? fixedText(n.moments.sd(), f.decimals) : kAbsentCell});
    }
    writeAlignedRows(out, rows, {false, true, true, true});

    out << '\n';
    rows = {{"Points", "Ellipse", "Shots", "Centre x", "Centre y", "Semi-major", "Semi-minor",
             "Orientation"},
            {"", "", "", "(yd)", "(yd)", "(yd)", "(yd)", "(deg)"}};
    for (const PointSet& set : pointSets(stats)) {
        for (double p : kEllipseProbabilities) {
            std::vector<std::string> row = {set.name, fixedText(p * 100, 0) + " %",
                                            std::to_string(set.points->count())};
            if (const std::optional<Ellipse> e = probabilityEllipse(*set.points, p)) {
                for (double v : {e->x, e->y, e->semiMajor, e->semiMinor})
                    row.push_back(fixedText(v, 2));
                row.push_back(fixedText(e->orientation, 1));
            } else {
                row.insert(row.end(), 5, kAbsentCell);
            }
            rows.push_back(std::move(row));
        }
    }
    writeAlignedRows(out, rows, {false, true, true, true, true, true, true, true});

    out << '\n';
    rows = {{"Ends", "Shots", "Share", "95 % interval"}};
    const std::pair<const char*, std::size_t> shares[] = {
        {"On the green", stats.onGreen},
        {"Within 10 ft", stats.nearHole},
        {"Holed", stats.holed},
    };
    for (const auto& [name, hits] : shares) {
        const Share s = wilsonShare(hits, stats.ran);
        rows.push_back({name, std::to_string(hits), stats.ran ? shareText(s) : kAbsentCell,
                        stats.ran ? intervalText(s) : kAbsentCell});
    }
    writeAlignedRows(out, rows, {false, true, true, true});

    const std::string verdict = dispersionVerdict(setup, stats);
    if (!verdict.empty()) {
        std::string sentence = verdict;
        sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
        out << '\n' << sentence << ".\n";
    }
}

std::string dispersionSummaryJson(const DispersionSetup& setup, const DispersionStats& stats)
{
    Json j;
    j["model"] = setup.model;
    j["shot"] = shotKindName(stats.kind);
    j["physics"] = physicsName(setup.mode);
    j["seed"] = setup.seed;
    j["shots"] = setup.shots;
    j["done"] = stats.shots;
    j["run"] = stats.ran;
    j["refused"] = stats.shots - stats.ran;

    Json hole;
    hole["id"] = stats.holeId;
    hole["x_yd"] = jsonNumber(stats.hole.x, 8);
    hole["y_yd"] = jsonNumber(stats.hole.y, 8);
    hole["green_radius_yd"] = jsonNumber(stats.greenRadius, 8);
    j["hole"] = std::move(hole);

    j["spread"] = Json::array();
    for (const KeySpread& s : setup.spreads) {
        Json o;
        o["key"] = s.key;
        o["value"] = jsonNumber(s.centre, 8);
        o["sd"] = jsonNumber(s.sd, 8);
        o["percent"] = s.percent ? jsonNumber(*s.percent, 8) : Json(nullptr);
        j["spread"].push_back(std::move(o));
    }

    Json numbers = Json::object();
    for (const DispersionStats::Number& n : stats.numbers) {
        Json o;
        o["count"] = n.moments.count();
        o["mean"] = n.moments.count() ? jsonNumber(n.moments.mean(), 8) : Json(nullptr);
        o["sd"] = n.moments.count() ? jsonNumber(n.moments.sd(), 8) : Json(nullptr);
        numbers[n.field->key] = std::move(o);
    }
    j["numbers"] = std::move(numbers);

    j["landing"] = stats.kind == ShotKind::Tee ? pointsJson(stats.landing) : Json(nullptr);
    j["final"] = pointsJson(stats.finish);
    j["on_green"] = shareJson(wilsonShare(stats.onGreen, stats.ran));
    j["within_10_ft"] = shareJson(wilsonShare(stats.nearHole, stats.ran));
    j["holed"] = shareJson(wilsonShare(stats.holed, stats.ran));
    j["verdict"] = dispersionVerdict(setup, stats);
    return j.dump(2, ' ', false, Json::error_handler_t::replace);
}

DispersionJsonWriter::DispersionJsonWriter(std::ostream& out, const SweepGrid& grid,
                                           std::vector<SweepColumn> columns)
    : out_(out), nesting_(out), nested_(&nesting_), rows_(nested_, grid, std::move(columns))
{
}

void DispersionJsonWriter::begin()
{
    out_ << "{\n  \"shots\": ";
    rows_.begin();
}

void DispersionJsonWriter::row(const SweepRow& row)
{
    rows_.row(row);
}

void DispersionJsonWriter::end(const DispersionSetup& setup, const DispersionStats& stats)
{
    rows_.end();
    nested_.flush();
    out_ << ",\n  \"summary\": ";
    nested_ << dispersionSummaryJson(setup, stats);
    nested_.flush();
    out_ << "\n}\n";
}

DispersionJsonWriter::Nesting::int_type DispersionJsonWriter::Nesting::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    xsputn(&ch, 1);
    return c;
}

std::streamsize DispersionJsonWriter::Nesting::xsputn(const char* s, std::streamsize n)
{
    std::streamsize i = 0;
    while (i < n) {
        if (s[i] == '\n') {
            if (lineEnd_)
                out_.put('\n'); // an empty line takes no indent
            lineEnd_ = true;
            ++i;
            continue;
        }
        if (lineEnd_) {
            out_.write("\n  ", 3);
            lineEnd_ = false;
        }
        const void* next = std::memchr(s + i, '\n', static_cast<std::size_t>(n - i));
        const std::streamsize j = next ? static_cast<const char*>(next) - s : n;
        out_.write(s + i, j - i);
        i = j;
    }
    return n;
}

} // namespace quillmoor::lab
