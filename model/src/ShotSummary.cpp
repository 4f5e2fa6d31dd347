// Shot numbers from the stored points; the definitions are in ShotSummary.h.

#include "ShotSummary.h"

#include "SwingModel.h"
#include "Units.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quillmoor {

namespace {

double horizontal(const Vector3& a, const Vector3& b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

// The i-th stored point in step order.
const Vector3& pointAt(const Trajectory& shot, std::size_t i)
{
    return (shot.begin() + static_cast<std::ptrdiff_t>(i))->second;
}

// Elapsed time of n steps; none when the step is not a usable time.
std::optional<double> stepsToTime(std::size_t n, double dt)
{
    if (!(dt > 0.0) || !std::isfinite(dt))
        return std::nullopt;
    return static_cast<double>(n) * dt;
}

Vector3 seen(const Vector3& p, PointView view)
{
    return view ? view(p) : p;
}

// Largest horizontal distance of the points from the line through the first
// and the last.
double largestOffset(const Trajectory& q, PointView view)
{
    const Vector3 a = seen(q.begin()->second, view);
    const Vector3 b = seen(q.back().second, view);
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len = std::hypot(dx, dy);
    if (len == 0.0)
        return 0.0;
    double best = 0.0;
    for (const auto& entry : q) {
        const Vector3 p = seen(entry.second, view);
        best = std::max(best, std::fabs(dx * (p.y - a.y) - dy * (p.x - a.x)) / len);
    }
    return best;
}

} // namespace

std::optional<TeeShotNumbers> summarizeTeeShot(const SwingModel& model, PointView view)
{
    if (model.teeShot.empty())
        return std::nullopt;
    const Trajectory& p = model.teeShot;
    const std::size_t n = static_cast<std::size_t>(p.size()) - 1;
    const Vector3 first = seen(p.begin()->second, view);
    const Vector3 last = seen(p.back().second, view);

    TeeShotNumbers r;
    if (model.FirstImpact > 0 && static_cast<std::size_t>(model.FirstImpact) <= n)
        r.landingIndex = model.FirstImpact;
    else if (n >= 1 && last.z <= model.groundHeight(last.x, last.y) + 1e-6)
        r.landingIndex = static_cast<int>(n);

    const double a = model.TeeTargetAngle * kDegToRad;
    const double rightX = std::cos(a);
    const double rightY = std::sin(a);
    auto sideOf = [&](const Vector3& q) {
        return (q.x - first.x) * rightX + (q.y - first.y) * rightY;
    };

    // The first of the highest points; a view that keeps the order of heights
    // (the file's rounding) sees it as the highest too.
    const Vector3* highest = &p.begin()->second;
    for (const auto& entry : p)
        if (highest->z < entry.second.z)
            highest = &entry.second;
    const double top = std::max(first.z, seen(*highest, view).z);

    r.total = horizontal(first, last);
    r.apex = top - first.z;
    r.side = sideOf(last);
    r.distanceToHole = (last - model.hole.HolePos).length();

    if (r.landingIndex > 0) {
        const std::size_t k = static_cast<std::size_t>(r.landingIndex);
        const Vector3 land = seen(pointAt(p, k), view);
        const Vector3 before = seen(pointAt(p, k - 1), view);
        r.carry = horizontal(first, land);
        r.roll = horizontal(land, last);
        r.hangTime = stepsToTime(k, model.TimeStepSize);
        // The contact point is set onto the ground, cutting the step that ends
        // there short by any amount; the step before it is whole.
        const Vector3 from = k >= 2 ? seen(pointAt(p, k - 2), view) : before;
        const Vector3 to = k >= 2 ? before : land;
        r.landingAngle = std::atan2(from.z - to.z, horizontal(from, to)) / kDegToRad;
        r.sideAtLanding = sideOf(land);
    }
    r.finalPoint = last;
    if (r.landingIndex > 0)
        r.landingPoint = seen(pointAt(p, static_cast<std::size_t>(r.landingIndex)), view);
    return r;
}

std::optional<PuttNumbers> summarizePutt(const SwingModel& model, PointView view)
{
    if (model.puttShot.empty())
        return std::nullopt;
    const Trajectory& q = model.puttShot;
    const Vector3 last = seen(q.back().second, view);
    const Vector3& hole = model.hole.HolePos;

    PuttNumbers r;
    r.holed = isInTheCup(model, last);
    r.rollDistance = horizontal(seen(q.begin()->second, view), last);
    r.breakDistance = largestOffset(q, view);
    r.rollTime = stepsToTime(static_cast<std::size_t>(q.size()) - 1, model.TimeStepSize);
    r.distanceToHole = r.holed ? 0.0 : (last - hole).length();
    r.finalPoint = last;
    return r;
}

std::vector<ShotRecord> summarizeShots(const SwingModel& model)
{
    std::vector<ShotRecord> records;
    if (auto tee = summarizeTeeShot(model)) {
        records.emplace_back();
        records.back().kind = ShotKind::Tee;
        records.back().tee = *tee;
    }
    if (auto putt = summarizePutt(model)) {
        records.emplace_back();
        records.back().kind = ShotKind::Putt;
        records.back().putt = *putt;
    }
    for (ShotRecord& r : records)
        r.timeDecimals = decimalsOf(model.TimeStepSize);
    return records;
}

std::optional<ShotRecord> summarizeActiveShot(const SwingModel& model, PointView view)
{
    ShotRecord record;
    record.timeDecimals = decimalsOf(model.TimeStepSize);
    if (model.PuttEnabled) {
        auto putt = summarizePutt(model, view);
        if (!putt)
            return std::nullopt;
        record.kind = ShotKind::Putt;
        record.putt = *putt;
    } else {
        auto tee = summarizeTeeShot(model, view);
        if (!tee)
            return std::nullopt;
        record.kind = ShotKind::Tee;
        record.tee = *tee;
    }
    return record;
}

const char* shotKindName(ShotKind kind)
{
    return kind == ShotKind::Tee ? "tee" : "putt";
}

const std::vector<ShotField>& shotFields()
{
    using R = const ShotRecord&;
    using O = std::optional<double>;
    static const std::vector<ShotField> fields = {
        {"carry_yd", "Carry", "yd", 2, ShotKind::Tee, false, [](R r) { return r.tee.carry; }},
        {"total_yd", "Total", "yd", 2, ShotKind::Tee, false, [](R r) { return O(r.tee.total); }},
        {"roll_yd", "Roll", "yd", 2, ShotKind::Tee, false, [](R r) { return r.tee.roll; }},
        {"apex_yd", "Apex", "yd", 2, ShotKind::Tee, false, [](R r) { return O(r.tee.apex); }},
        {"hang_time_s", "Hang time", "s", 3, ShotKind::Tee, false,
         [](R r) { return r.tee.hangTime; }},
        {"landing_angle_deg", "Landing angle", "deg", 1, ShotKind::Tee, false,
         [](R r) { return r.tee.landingAngle; }},
        {"side_yd", "Side", "yd", 2, ShotKind::Tee, false, [](R r) { return O(r.tee.side); }},
        {"side_at_landing_yd", "Side at landing", "yd", 2, ShotKind::Tee, false,
         [](R r) { return r.tee.sideAtLanding; }},
        {"distance_to_hole_yd", "Distance to hole", "yd", 2, ShotKind::Tee, false,
         [](R r) { return O(r.tee.distanceToHole); }},
        {"holed", "Holed", "", 0, ShotKind::Putt, true,
         [](R r) { return O(r.putt.holed ? 1.0 : 0.0); }},
        {"roll_distance_yd", "Roll distance", "yd", 2, ShotKind::Putt, false,
         [](R r) { return O(r.putt.rollDistance); }},
        {"break_yd", "Break", "yd", 2, ShotKind::Putt, false,
         [](R r) { return O(r.putt.breakDistance); }},
        {"roll_time_s", "Roll time", "s", 3, ShotKind::Putt, false,
         [](R r) { return r.putt.rollTime; }},
        {"distance_to_hole_yd", "Distance to hole", "yd", 2, ShotKind::Putt, false,
         [](R r) { return O(r.putt.distanceToHole); }},
    };
    return fields;
}

std::optional<double> ShotColumn::of(const ShotRecord& record) const
{
    const ShotField* f = record.kind == ShotKind::Tee ? tee : putt;
    return f ? f->value(record) : std::nullopt;
}

std::string ShotColumn::text(const ShotRecord& record) const
{
    const ShotField* f = record.kind == ShotKind::Tee ? tee : putt;
    return f ? plainText(*f, record) : std::string();
}

const std::vector<ShotColumn>& shotColumns()
{
    static const std::vector<ShotColumn> columns = [] {
        std::vector<ShotColumn> list;
        for (const ShotField& f : shotFields()) {
            auto same = std::find_if(list.begin(), list.end(), [&](const ShotColumn& c) {
                return std::string(c.field().key) == f.key;
            });
            if (same == list.end())
                same = list.insert(list.end(), ShotColumn{});
            (f.kind == ShotKind::Tee ? same->tee : same->putt) = &f;
        }
        return list;
    }();
    return columns;
}

std::string tableCell(const ShotField& field, std::optional<double> value)
{
    if (!value || !std::isfinite(*value))
        return kAbsentCell;
    if (field.isFlag)
        return *value != 0.0 ? "yes" : "no";
    return fixedText(*value, field.decimals);
}

std::string tableCell(const ShotField& field, const ShotRecord& record)
{
    return tableCell(field, field.of(record));
}

std::string fixedText(double value, int decimals)
{
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (res.ec != std::errc())
        return exactText(value);
    std::string text(buf, res.ptr);
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string exactText(double value)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

namespace {

constexpr int kFileDecimals = 8; // of the data file's points and angles
constexpr int kMaxDigits = 15;   // significant digits a double holds without noise

std::size_t significantDigits(const std::string& text)
{
    const std::size_t first = text.find_first_of("123456789");
    if (first == std::string::npos)
        return 0;
    std::size_t n = 0;
    for (std::size_t i = first; i < text.size(); ++i)
        n += text[i] >= '0' && text[i] <= '9';
    return n;
}

void dropTrailingZeros(std::string& text)
{
    if (text.find('.') == std::string::npos)
        return;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
}

} // namespace

std::string plainText(double value, int decimals)
{
    if (!std::isfinite(value))
        return exactText(value);
    std::string text = fixedText(value, decimals);
    dropTrailingZeros(text);
    if (text == "-0")
        text = "0";
    if (significantDigits(text) <= kMaxDigits)
        return text;
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, kMaxDigits);
    text.assign(buf, res.ptr);
    return text;
}

int decimalsOf(double step)
{
    for (int d = 0; d <= kMaxDigits && std::isfinite(step); ++d) {
        const std::string text = fixedText(step, d);
        double back = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        if (back == step)
            return d;
    }
    return kFileDecimals;
}

std::string plainText(const ShotField& field, const ShotRecord& record)
{
    const std::optional<double> v = field.of(record);
    if (!v || !std::isfinite(*v))
        return {};
    if (field.isFlag)
        return *v != 0.0 ? "true" : "false";
    const bool time = std::string(field.unit) == "s";
    return plainText(*v, time ? record.timeDecimals : kFileDecimals);
}

bool isInTheCup(const SwingModel& model, const Vector3& p)
{
    const Vector3& hole = model.hole.HolePos;
    const bool atHole = std::fabs(p.x - hole.x) <= 1e-6 && std::fabs(p.y - hole.y) <= 1e-6 &&
                        std::fabs(p.z - hole.z) <= 1e-6;
    return atHole || model.groundHeight(p.x, p.y) - p.z >= 0.2;
}

double ballDistanceToHole(const SwingModel& model)
{
    const Vector3 ball = model.ballPos();
    return model.PuttEnabled && isInTheCup(model, ball) ? 0.0 : model.distanceToHole(ball);
}

std::string shotVerdict(const SwingModel& model)
{
    const std::optional<ShotRecord> shot = summarizeActiveShot(model);
    if (!shot)
        return {};
    const double greenRadius = model.hole.GreenSize * 0.5;
    auto onTheGreen = [](double yd) { return "On the green, " + fixedText(yd * 3.0, 1) + " feet"; };

    if (shot->kind == ShotKind::Putt) {
        const PuttNumbers& p = shot->putt;
        if (p.holed)
            return "Holed!";
        if (p.distanceToHole < greenRadius)
            return onTheGreen(p.distanceToHole);
        return "Off the green, " + fixedText(p.distanceToHole, 1) + " yd away";
    }

    // Short enough for one line under the controls; the numbers of the
    // shot data tell the rest.
    const TeeShotNumbers& t = shot->tee;
    if (!t.carry)
        return "Still in the air, " + fixedText(t.total, 1) + " yd out";
    if (t.distanceToHole < greenRadius)
        return onTheGreen(t.distanceToHole);
    return "Carry " + fixedText(*t.carry, 1) + " yd, total " + fixedText(t.total, 1) + " yd";
}

} // namespace quillmoor
