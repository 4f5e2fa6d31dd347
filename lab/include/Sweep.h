#pragma once
// Parameter sweeps: the shot of a model run once for every point of a grid of
// data-file values, in process, on several threads.
//
// Every point gets exactly the numbers Trajex followed by `Shotlab summary`
// would give: the model as a data file carries it (CarriedValue.h), the values
// of the point as the file would carry them, the routine Trajex runs
// (runShot), and the summary of the points as the output file would hold
// them. Each point starts from the model given to runSweep, as if it were a
// fresh process reading that model: nothing of one point reaches another, and
// nothing reaches the process-wide hole catalogue or the listeners.
//
// No Qt and no global state, so the window can run a sweep from a worker
// thread: runSweep blocks its caller, reports rows and progress on the
// caller's thread, and stops early when the caller's cancel flag is set.

#include "ShotRun.h"
#include "ShotSummary.h"
#include "SwingModel.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillmoor::lab {

// No grid holds more points than this.
constexpr std::size_t kMaxSweepPoints = 10'000'000;

// Values a data file carries whole are below this in size. A reader takes 199
// characters of a line; a value's line is its key (at most 15 characters),
// ": ", the number with 8 decimals and the line end. Below 1e100 the number
// takes at most 110 characters (sign, 100 digits, point, 8 decimals), so the
// line stays under 130; from some 1e180 on it would be cut.
constexpr double kMaxFileValue = 1e100;
// True when the data file carries value whole.
bool fitsDataFile(double value);

// True for the keys a sweep can vary: those setValue takes.
bool isSweepKey(const std::string& key);
// Those keys, for messages and choosers.
const std::vector<std::string>& sweepKeys();
// The unit of a key's values: "mph", "deg", "rpm", "yd", "s", "F", "ft", "%";
// empty for none.
const char* keyUnit(const std::string& key);
// The key a key is another name of (TeeClubSpeed: TeeBallSpeed), or the key
// itself; empty for a key a sweep does not take.
const char* keyQuantity(const std::string& key);

// One varied key: FROM + i × STEP for i = 0, 1, ... while the value is at most
// TO (with a tolerance of 1e-9 × STEP, so 5:54.95:0.05 gives 1000 values),
// each as the data file carries it (5.15, not 5.1499999999999995).
struct SweepAxis
{
    std::string key; // as given; TeeClubSpeed is TeeBallSpeed under another name
    double from = 0.0;
    double to = 0.0;
    double step = 1.0;
    std::vector<double> values;
};

// The number of values of key over from:to:step, counted in closed form (a
// window can check every keystroke). False with a message for a key setValue
// does not take, a number that is not finite, a step of 0 or below, from above
// to, a step that vanishes next to the values (FROM + STEP == FROM), values the
// data file cannot carry (fitsDataFile), or more than kMaxSweepPoints values.
bool countSweepAxis(const std::string& key, double from, double to, double step, std::size_t& count,
                    std::string& error);
// The axis of key over from:to:step. False with the messages of
// countSweepAxis, and for values that are not all distinct as the data file
// carries them (HoleId 1 and 1.5 are both 1).
bool makeSweepAxis(const std::string& key, double from, double to, double step, SweepAxis& axis,
                   std::string& error);
// The same from the text "KEY=FROM:TO:STEP".
bool parseSweepAxis(const std::string& text, SweepAxis& axis, std::string& error);

// Every combination of the axes' values, the first axis varying slowest.
class SweepGrid
{
public:
    // False with a message when two axes vary the same quantity or the grid
    // would pass kMaxSweepPoints; the grid is then unchanged.
    bool setAxes(std::vector<SweepAxis> axes, std::string& error);

    const std::vector<SweepAxis>& axes() const { return axes_; }
    bool varies(const std::string& key) const;
    // The number of points: the product of the axes' sizes (1 without axes).
    std::size_t size() const { return size_; }
    // The values of point i (0 <= i < size()), one per axis.
    void valuesAt(std::size_t i, std::vector<double>& values) const;

private:
    std::vector<SweepAxis> axes_;
    std::size_t size_ = 1;
};

// Every count-th grid point starting at the index-th (1 <= index <= count),
// so that count independent jobs run one grid between them.
struct SweepShard
{
    std::size_t index = 1;
    std::size_t count = 1;

    // How many of gridSize points this shard runs.
    std::size_t size(std::size_t gridSize) const;
    // The grid index of this shard's i-th point.
    std::size_t gridIndex(std::size_t i) const { return index - 1 + i * count; }
};
// "K/N"; false with a message unless 1 <= K <= N.
bool parseSweepShard(const std::string& text, SweepShard& shard, std::string& error);

struct SweepPlan
{
    SweepGrid grid;
    SweepShard shard;
    ShotMode mode = ShotMode::Complex;
    unsigned jobs = 0; // threads; 0: one per processor
    // Points given one by one instead of the grid's combinations: when set,
    // the plan has `points` points and point i takes the values this gives
    // (one per axis of the grid, whose keys name them; values comes sized).
    // Called on the worker threads, several at once.
    std::function<void(std::size_t i, std::vector<double>& values)> pointValues;
    std::size_t points = 0;
    // The holes HoleId selects from. Without them runSweep copies the
    // process-wide catalogue, which only the thread that owns it may do.
    std::optional<std::map<int, HoleInfo>> holes;
};

struct SweepRow
{
    std::size_t gridIndex = 0;
    std::vector<double> values;     // one per axis, as set
    ShotKind kind = ShotKind::Tee;  // the shot that was run
    std::optional<ShotRecord> shot; // its numbers; empty when the run was refused
    std::string status;             // "ok", or why the run was refused
};

struct SweepHooks
{
    // Each finished point, in grid order, on the caller's thread.
    std::function<void(const SweepRow&)> row;
    // The points finished and the points of the sweep, on the caller's thread:
    // about ten times a second and once at the end.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Set from any thread (or a signal handler) to stop: no new point is
    // started, the running ones finish and are reported, so the rows
    // reported are always the first ones in grid order.
    const std::atomic<bool>* cancel = nullptr;
    // For pictures that need the paths: each point's model right after its
    // run (the path as computed, not rounded; only the shot just run), on the
    // worker thread that ran it, possibly on several threads at once. The
    // model is reused for the next point: copy or thin what is needed here.
    std::function<void(std::size_t gridIndex, const SwingModel& model, bool ok)> afterRun;
};

struct SweepOutcome
{
    std::size_t done = 0;  // rows reported
    std::size_t total = 0; // points of the plan (of its shard)
    bool cancelled = false;
};

// Runs the plan on the model (read from a data file, or the window's). Call it
// on one thread; exceptions of the hooks stop the sweep and are passed on.
SweepOutcome runSweep(const SwingModel& model, const SweepPlan& plan, const SweepHooks& hooks);

// The kind of shot the plan runs on model: tee or putt, or both when
// PuttEnabled is varied.
struct SweepKinds
{
    bool tee = false;
    bool putt = false;
};
SweepKinds sweepKinds(const SwingModel& model, const SweepGrid& grid);

// Sets values by key on a copy of a model without touching the hole
// catalogue: a write-through key sets the current hole only, and HoleId
// takes its hole from a copy of the catalogue made when the setter was made
// (on the thread that owns the catalogue), with what selectHole does besides.
class SweepSetter
{
public:
    explicit SweepSetter(const std::map<int, HoleInfo>& catalogue);
    // The model's notifyEnabled must be off. False for a key setValue does not take.
    bool set(SwingModel& model, const std::string& key, double value) const;

private:
    std::map<int, HoleInfo> holes_; // as the data file carries them
};

} // namespace quillmoor::lab
