#include "Sweep.h"

#include "CarriedValue.h"
#include "SwingModel.h"
#include "VectorState.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace quillmoor::lab {

namespace {

struct KeyInfo
{
    const char* key;
    const char* quantity; // the key it is another name of, or itself
    const char* unit;
};

// The keys setValue takes, in its order.
const KeyInfo kKeys[] = {
    {"HoleId", "HoleId", ""},
    {"WindDir", "WindDir", "deg"},
    {"WindSpeed", "WindSpeed", "mph"},
    {"GreenXRot", "GreenXRot", "deg"},
    {"GreenYRot", "GreenYRot", "deg"},
    {"GreenRho", "GreenRho", ""},
    {"TeeClubSpeed", "TeeBallSpeed", "mph"},
    {"TeeBallSpeed", "TeeBallSpeed", "mph"},
    {"TeeLaunchAngle", "TeeLaunchAngle", "deg"},
    {"TeeTargetAngle", "TeeTargetAngle", "deg"},
    {"TeeBackSpin", "TeeBackSpin", "rpm"},
    {"TeeZSpin", "TeeSideSpin", "rpm"},
    {"TeeSideSpin", "TeeSideSpin", "rpm"},
    {"PuttEnabled", "PuttEnabled", ""},
    {"PuttClubSpeed", "PuttBallSpeed", "mph"},
    {"PuttBallSpeed", "PuttBallSpeed", "mph"},
    {"PuttTargetAngle", "PuttTargetAngle", "deg"},
    {"TimeStepSize", "TimeStepSize", "s"},
    {"Temperature", "Temperature", "F"},
    {"Altitude", "Altitude", "ft"},
    {"Humidity", "Humidity", "%"},
    {"GreenSize", "GreenSize", "yd"},
    {"GreenType", "GreenType", ""},
};

const KeyInfo* findKey(const std::string& key)
{
    for (const KeyInfo& k : kKeys)
        if (key == k.key)
            return &k;
    return nullptr;
}

// A whole decimal number with an optional sign, nothing before or after it.
bool parseNumber(const std::string& text, double& value)
{
    const char* first = text.c_str();
    const char* last = first + text.size();
    const bool negative = first != last && *first == '-';
    if (first != last && (*first == '+' || *first == '-'))
        ++first;
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return false;
    const auto res = std::from_chars(first, last, value);
    if (res.ec != std::errc() || res.ptr != last)
        return false;
    value = negative ? -value : value;
    return true;
}

bool parseCount(const std::string& text, std::size_t& value)
{
    const char* first = text.c_str();
    const char* last = first + text.size();
    const auto res = std::from_chars(first, last, value);
    return !text.empty() && res.ec == std::errc() && res.ptr == last;
}

std::string numberText(double v)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

} // namespace

bool fitsDataFile(double value)
{
    return std::fabs(value) < kMaxFileValue;
}

bool isSweepKey(const std::string& key)
{
    return findKey(key) != nullptr;
}

const std::vector<std::string>& sweepKeys()
{
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> list;
        for (const KeyInfo& k : kKeys)
            list.push_back(k.key);
        return list;
    }();
    return keys;
}

const char* keyUnit(const std::string& key)
{
    const KeyInfo* k = findKey(key);
    return k ? k->unit : "";
}

const char* keyQuantity(const std::string& key)
{
    const KeyInfo* k = findKey(key);
    return k ? k->quantity : "";
}

bool countSweepAxis(const std::string& key, double from, double to, double step, std::size_t& count,
                    std::string& error)
{
    if (!isSweepKey(key)) {
        error = "unknown key \"" + key + "\": a sweep varies one of";
        for (const std::string& k : sweepKeys())
            error += " " + k;
        return false;
    }
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step)) {
        error = key + ": FROM, TO and STEP must be finite numbers";
        return false;
    }
    if (!(step > 0.0)) {
        error = key + ": STEP must be above 0, not " + numberText(step);
        return false;
    }
    if (from > to) {
        error = key + ": FROM (" + numberText(from) + ") is above TO (" + numberText(to) + ")";
        return false;
    }
    const std::string tooMany = key + ": more than " + std::to_string(kMaxSweepPoints) +
                                " values (" + numberText(from) + " to " + numberText(to) + " by " +
                                numberText(step) + ")";
    const double span = (to - from) / step;
    if (!(span < static_cast<double>(kMaxSweepPoints))) {
        error = tooMany;
        return false;
    }
    // Steps lost in the values' precision would give the same value again and
    // again (and never reach TO).
    const double far = std::fabs(from) > std::fabs(to) ? from : to;
    if (from + step == from || far + step == far) {
        error = key + ": STEP " + numberText(step) + " vanishes next to " +
                (far == from ? "FROM " : "TO ") + numberText(far) +
                ": adding it changes nothing, so the values would not differ";
        return false;
    }
    // The values FROM + i × STEP up to TO + 1e-9 × STEP, as computed: the
    // estimate is off by at most one either way, and the values decide.
    const double limit = to + 1e-9 * step;
    auto within = [&](std::size_t i) { return from + static_cast<double>(i) * step <= limit; };
    std::size_t n = static_cast<std::size_t>(span) + 1;
    for (int i = 0; i < 2 && within(n); ++i)
        ++n;
    for (int i = 0; i < 2 && n > 1 && !within(n - 1); ++i)
        --n;
    if (within(n) || (n > 1 && !within(n - 1))) {
        error = key + ": the values of " + numberText(from) + " to " + numberText(to) + " by " +
                numberText(step) + " cannot be counted in the precision of a number";
        return false;
    }
    if (n > kMaxSweepPoints) {
        error = tooMany;
        return false;
    }
    // The values rise from FROM to the last, so those two bound them all.
    for (const double v : {from, from + static_cast<double>(n - 1) * step}) {
        if (!fitsDataFile(v)) {
            error = key + ": " + numberText(v) +
                    " does not fit a data-file line, which carries values below " +
                    numberText(kMaxFileValue) + " in size";
            return false;
        }
    }
    count = n;
    return true;
}

bool makeSweepAxis(const std::string& key, double from, double to, double step, SweepAxis& axis,
                   std::string& error)
{
    std::size_t n = 0;
    if (!countSweepAxis(key, from, to, step, n, error))
        return false;
    SweepAxis result;
    result.key = key;
    result.from = from;
    result.to = to;
    result.step = step;
    result.values.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double raw = from + static_cast<double>(i) * step;
        result.values.push_back(carriedValue(key, raw));
        // Rising values: two that the file carries alike are neighbours.
        if (i > 0 && !(result.values[i] > result.values[i - 1])) {
            error = key + ": " + numberText(from + static_cast<double>(i - 1) * step) + " and " +
                    numberText(raw) + " are one value in the data file (" +
                    numberText(result.values[i]) + "); a larger STEP";
            return false;
        }
    }
    axis = std::move(result);
    return true;
}

bool parseSweepAxis(const std::string& text, SweepAxis& axis, std::string& error)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        error = "\"" + text + "\" is not KEY=FROM:TO:STEP";
        return false;
    }
    const std::string key = text.substr(0, equals);
    std::vector<std::string> parts;
    std::size_t start = equals + 1;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    double numbers[3];
    if (parts.size() != 3 || !parseNumber(parts[0], numbers[0]) ||
        !parseNumber(parts[1], numbers[1]) || !parseNumber(parts[2], numbers[2])) {
        if (!isSweepKey(key))
            return makeSweepAxis(key, 0, 0, 1, axis, error);
        error = "\"" + text + "\" is not KEY=FROM:TO:STEP with three numbers";
        return false;
    }
    return makeSweepAxis(key, numbers[0], numbers[1], numbers[2], axis, error);
}

bool SweepGrid::setAxes(std::vector<SweepAxis> axes, std::string& error)
{
    std::size_t size = 1;
    for (std::size_t a = 0; a < axes.size(); ++a) {
        const KeyInfo* k = findKey(axes[a].key);
        if (!k || axes[a].values.empty()) {
            error = "\"" + axes[a].key + "\" is not a key with values to sweep";
            return false;
        }
        for (std::size_t b = 0; b < a; ++b) {
            if (std::strcmp(findKey(axes[b].key)->quantity, k->quantity) == 0) {
                error = axes[b].key == axes[a].key
                            ? axes[a].key + " is varied twice"
                            : axes[b].key + " and " + axes[a].key + " are the same quantity";
                return false;
            }
        }
        // Each factor is at most kMaxSweepPoints, so the product cannot overflow first.
        size *= axes[a].values.size();
        if (size > kMaxSweepPoints) {
            error = "the grid has more than " + std::to_string(kMaxSweepPoints) + " points";
            return false;
        }
    }
    axes_ = std::move(axes);
    size_ = size;
    return true;
}

bool SweepGrid::varies(const std::string& key) const
{
    const KeyInfo* k = findKey(key);
    if (!k)
        return false;
    for (const SweepAxis& a : axes_)
        if (std::strcmp(findKey(a.key)->quantity, k->quantity) == 0)
            return true;
    return false;
}

void SweepGrid::valuesAt(std::size_t i, std::vector<double>& values) const
{
    values.resize(axes_.size());
    for (std::size_t a = axes_.size(); a-- > 0;) {
        const std::size_t n = axes_[a].values.size();
        values[a] = axes_[a].values[i % n];
        i /= n;
    }
}

std::size_t SweepShard::size(std::size_t gridSize) const
{
    return index - 1 < gridSize ? (gridSize - index) / count + 1 : 0;
}

bool parseSweepShard(const std::string& text, SweepShard& shard, std::string& error)
{
    const std::size_t slash = text.find('/');
    SweepShard s;
    if (slash == std::string::npos || !parseCount(text.substr(0, slash), s.index) ||
        !parseCount(text.substr(slash + 1), s.count) || s.index < 1 || s.index > s.count) {
        error = "--shard takes K/N with 1 <= K <= N, not \"" + text + "\"";
        return false;
    }
    shard = s;
    return true;
}

SweepKinds sweepKinds(const SwingModel& model, const SweepGrid& grid)
{
    SweepKinds kinds;
    if (grid.varies("PuttEnabled")) {
        for (const SweepAxis& a : grid.axes()) {
            if (a.key != "PuttEnabled")
                continue;
            for (double v : a.values)
                (v != 0.0 ? kinds.putt : kinds.tee) = true;
        }
    } else {
        (model.PuttEnabled ? kinds.putt : kinds.tee) = true;
    }
    return kinds;
}

SweepSetter::SweepSetter(const std::map<int, HoleInfo>& catalogue) : holes_(catalogue)
{
    for (auto& entry : holes_)
        carryHole(entry.second);
}

bool SweepSetter::set(SwingModel& m, const std::string& key, double value) const
{
    if (key == "HoleId") {
        // selectHole, with the copy of the catalogue.
        const int id = truncToInt(value);
        if (id == m.hole.HoleId)
            return true;
        const auto it = holes_.find(id);
        if (it == holes_.end())
            return true;
        m.hole = it->second;
        m.clearShots(); // notifies nothing: the model's notifyEnabled is off
        return true;
    }
    // The write-through setters, without the write-through: the hole keeps
    // what it holds when the value compares equal (a NaN never does).
    static const std::pair<const char*, double HoleInfo::*> holeFields[] = {
        {"WindDir", &HoleInfo::WindDir},     {"WindSpeed", &HoleInfo::WindSpeed},
        {"GreenXRot", &HoleInfo::GreenXRot}, {"GreenYRot", &HoleInfo::GreenYRot},
        {"GreenRho", &HoleInfo::GreenRho},
    };
    for (const auto& [name, field] : holeFields) {
        if (key == name) {
            if (!(value == m.hole.*field))
                m.hole.*field = value;
            return true;
        }
    }
    // The rest only store into the model itself.
    return m.setValue(key, value);
}

namespace {

// The state the caller's thread and the workers share.
class SweepRun
{
public:
    SweepRun(const SwingModel& model, const SweepPlan& plan, const SweepHooks& hooks)
        : plan_(plan), hooks_(hooks), setter_(plan.holes ? *plan.holes : holeCatalogue()),
          base_(model), total_(plan.shard.size(plan.pointValues ? plan.points : plan.grid.size()))
    {
        base_.notifyEnabled = false;
        carryModel(base_);
        // Every routine starts its own shot afresh and none reads the other
        // shot, so a point needs neither: a worker's model then keeps its
        // buffers from one point to the next instead of copying paths.
        base_.teeShot = Trajectory();
        base_.puttShot = Trajectory();
    }

    SweepOutcome run()
    {
        unsigned jobs = plan_.jobs;
        if (jobs == 0)
            jobs = std::max(1u, std::thread::hardware_concurrency());
        jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(total_, 1)));

        std::vector<std::thread> threads;
        std::exception_ptr failure;
        try {
            for (unsigned j = 0; j < jobs; ++j) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    ++running_; // before the thread can end and count itself off
                }
                try {
                    threads.emplace_back([this] { work(); });
                } catch (...) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    --running_;
                    throw;
                }
            }
            deliver();
        } catch (...) {
            failure = std::current_exception();
        }
        stop_ = true;
        for (std::thread& t : threads)
            t.join();
        if (!failure)
            failure = workerFailure_;
        if (failure)
            std::rethrow_exception(failure);

        SweepOutcome outcome;
        outcome.done = done_;
        outcome.total = total_;
        outcome.cancelled = done_ < total_;
        if (hooks_.progress)
            hooks_.progress(done_, total_);
        return outcome;
    }

private:
    bool stopping() const { return stop_.load() || (hooks_.cancel && hooks_.cancel->load()); }

    void work()
    {
        cleanVectorState();
        try {
            SwingModel model = base_;
            std::vector<double> values;
            while (!stopping()) {
                const std::size_t i = next_.fetch_add(1);
                if (i >= total_)
                    break;
                SweepRow row = runPoint(plan_.shard.gridIndex(i), model, values);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    const std::size_t slot = i - delivered_;
                    if (window_.size() <= slot)
                        window_.resize(slot + 1);
                    window_[slot] = std::move(row);
                }
                changed_.notify_one();
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!workerFailure_)
                workerFailure_ = std::current_exception();
            stop_ = true;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --running_;
        }
        changed_.notify_one();
    }

    SweepRow runPoint(std::size_t gridIndex, SwingModel& model, std::vector<double>& values) const
    {
        model = base_;
        if (plan_.pointValues) {
            values.resize(plan_.grid.axes().size());
            plan_.pointValues(gridIndex, values);
        } else {
            plan_.grid.valuesAt(gridIndex, values);
        }
        const auto& axes = plan_.grid.axes();
        for (std::size_t a = 0; a < axes.size(); ++a)
            setter_.set(model, axes[a].key, values[a]);

        SweepRow row;
        row.gridIndex = gridIndex;
        row.values = values;
        row.kind = model.PuttEnabled ? ShotKind::Putt : ShotKind::Tee;
        const SimResult result = runShot(model, plan_.mode);
        if (result) {
            row.status = "ok";
            row.shot = summarizeActiveShot(model, &carriedPoint);
        } else {
            row.status = result.reason;
        }
        if (hooks_.afterRun)
            hooks_.afterRun(gridIndex, model, result.ok);
        return row;
    }

    // On the caller's thread: hands on the rows in grid order as the workers
    // finish them, and the progress now and then, until the workers are done.
    void deliver()
    {
        using Clock = std::chrono::steady_clock;
        const auto interval = std::chrono::milliseconds(100);
        auto nextProgress = Clock::now() + interval;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            while (!window_.empty() && window_.front()) {
                SweepRow row = std::move(*window_.front());
                window_.pop_front();
                ++delivered_;
                lock.unlock();
                ++done_;
                if (hooks_.row)
                    hooks_.row(row);
                lock.lock();
            }
            if (running_ == 0)
                break;
            if (Clock::now() >= nextProgress) {
                lock.unlock();
                if (hooks_.progress)
                    hooks_.progress(done_, total_);
                nextProgress = Clock::now() + interval;
                lock.lock();
                continue;
            }
            changed_.wait_until(lock, nextProgress);
        }
        // Every worker has ended, and a worker only stops between points, so
        // what was started has been handed on, in order.
    }

    const SweepPlan& plan_;
    const SweepHooks& hooks_;
    const SweepSetter setter_;
    SwingModel base_;
    const std::size_t total_;

    std::atomic<std::size_t> next_{0};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::optional<SweepRow>> window_; // rows delivered_, delivered_ + 1, ...
    std::size_t delivered_ = 0;
    unsigned running_ = 0;
    std::exception_ptr workerFailure_;
    std::size_t done_ = 0;
};

} // namespace

SweepOutcome runSweep(const SwingModel& model, const SweepPlan& plan, const SweepHooks& hooks)
{
    SweepRun run(model, plan, hooks);
    return run.run();
}

} // namespace quillmoor::lab
