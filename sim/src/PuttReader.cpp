// Reading the green by running the complex putt over speeds and aims.
//
// What makes the search cheap: a putt that misses still says on which side of
// its path the hole lies, and that side changes continuously as the aim turns.
// A sign change between two aims of the grid is bisected; once the path runs
// within a few thousandths of a degree of the line through the hole, a holing
// aim turns up if that speed has one. Holed/missed neighbours are bisected to
// the window's edges. Along the speed, the line through the hole tells
// whether the ball stops short of the cup or gets there too fast; a row that
// stops short next to one that is too fast brackets a band of holing speeds
// the rows stepped over, and that is bisected too.
//
// Stages: the grid (rows of speed times a ring of aims); narrow bands between
// rows; three rounds of speeds closing in on the widest window, while the
// slowest and fastest holing speeds are bisected outward from the grid; a look
// inside the widest windows for aims that miss; the windows of the widest
// pace checked aim by aim (the next pace's too, while a check narrows the
// widest window below another's), their edges to 1e-5 degrees; the
// recommended window's middle checked.
//
// Every putt is an independent job on a private copy of the model; jobs are
// numbered before they run and their results land in numbered slots, so the
// answer does not depend on how many threads share them.

#include "PuttReader.h"

#include "ComplexConstants.h"
#include "ShotSummary.h"
#include "Simulation.h"
#include "SwingModel.h"
#include "VectorState.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace quillmoor {

namespace {

// The putt's own constants, for sizing the search (feet and seconds).
using complexshot::kCaptureSpeed;
using complexshot::kGravity;
using complexshot::kMphToFtps;
constexpr double kCaptureFt = complexshot::kCaptureDistance * kYdToFt;
constexpr int kMaxSteps = complexshot::kStepLimit + 1; // the last step a putt reaches

// The grid: rows of speed, each with a ring of aims round the full circle.
constexpr int kSlowRows = 8;                 // rows up to the capture speed, evenly spaced
constexpr int kFastRows = 28;                // rows above it, evenly spaced in the squared speed
constexpr int kRows = kSlowRows + kFastRows; // rows above the row at 0 mph
constexpr int kRing = 36;
constexpr double kRingStep = 360.0 / kRing;

constexpr double kEdgeTol = 0.01;     // deg: window edges while searching
constexpr double kFinalTol = 1e-5;    // deg: edges of the recommended window
constexpr double kFringeStep = 0.002; // deg: aims near a checked window's edges...
constexpr int kFringeAims = 25;       // ...this many on each side...
constexpr int kFringePasses = 6;      // ...until the edges hold, this many times at most
constexpr double kCrossTol = 0.002;   // deg: a line through the hole that never held
constexpr int kSpeedSteps = 9;        // bisections of the slowest and fastest speed
constexpr int kMaxGaps = 4;           // speed bands between rows searched at most
constexpr int kLookAims = 32;         // aims looked at inside a window
constexpr std::size_t kLooksPerRound = 4;
constexpr int kLookRounds = 6;
constexpr int kCheckedPaces = 4; // paces whose windows are checked aim by aim at most
constexpr int kMiddleSplits = 4; // windows split at a middle that misses at most

enum class Reach {
    Holed,
    Refused, // complexPutt refused this pair
    Away,    // the start is the path's closest point to the hole
    Passed,  // the path's closest point lies inside it
    Short,   // the path ends at its closest point: stopped or out of steps
};

// One putt, seen from the hole.
struct Sample
{
    Reach reach = Reach::Refused;
    double cross = 0.0;     // ft; > 0: the hole lies left of the path where it comes closest
    double along = 0.0;     // ft the hole lies ahead of that point
    double passSpeed = 0.0; // ft/s at that point
    double miss = 0.0;      // ft from the hole there, in plan
    bool timedOut = false;  // still rolling when its steps ran out...
    bool slowing = false;   // ...and slower than the cup holds, or slowing down
    bool holed() const { return reach == Reach::Holed; }
    // Came within the cup's reach, only too fast to be held.
    bool inReach() const { return !holed() && reach != Reach::Refused && miss <= kCaptureFt; }
    // Stopped or ran out of steps before the cup.
    bool shortOfReach() const { return reach == Reach::Short && miss > kCaptureFt && along > 0; }
};

// Runs putts on its own copy of the model; one per thread.
class Runner
{
public:
    explicit Runner(const SwingModel& base) : m_(base), start_(base.BallPos)
    {
        m_.puttShot.reserve(kMaxSteps + 1);
        dt_ = (m_.TimeStepSize > 0 ? m_.TimeStepSize : 0.001);
    }

    Sample run(double speedMph, double angleDeg)
    {
        ++runs;
        m_.BallPos = start_;
        m_.PuttBallSpeed = speedMph;
        m_.PuttTargetAngle = angleDeg;
        const double aim = m_.puttAimAngle() * kDegToRad;
        Sample s;
        if (!complexPutt(m_))
            return s;
        const Trajectory& path = m_.puttShot;
        const Vector3& hole = m_.hole.HolePos;
        if (path.back().second == hole) {
            s.reach = Reach::Holed;
            return s;
        }
        s.timedOut = path.back().first >= kMaxSteps;
        if (s.timedOut) {
            // Its speed over its last 100 steps, and over the 100 before.
            const auto p = path.begin();
            const int last = path.size() - 1, span = std::max(1, std::min(last / 2, 100));
            const auto moved = [&](int from, int to) {
                return std::hypot(p[to].second.x - p[from].second.x,
                                  p[to].second.y - p[from].second.y) *
                       kYdToFt / (span * dt_);
            };
            const double now = moved(last - span, last),
                         before = moved(last - 2 * span, last - span);
            s.slowing = now < kCaptureSpeed || now < before;
        }
        // The point closest to the hole in plan, and the path's heading there.
        const auto p = path.begin();
        const int last = path.size() - 1;
        int k = 0;
        double best = std::numeric_limits<double>::infinity();
        for (int i = 0; i <= last; ++i) {
            const double dx = p[i].second.x - hole.x, dy = p[i].second.y - hole.y;
            const double d = dx * dx + dy * dy;
            if (d < best) {
                best = d;
                k = i;
            }
        }
        double tx = -std::sin(aim), ty = std::cos(aim);
        if (k > 0 && k < last) {
            tx = p[k + 1].second.x - p[k - 1].second.x;
            ty = p[k + 1].second.y - p[k - 1].second.y;
            s.reach = Reach::Passed;
            s.passSpeed = std::hypot(tx, ty) * kYdToFt / (2.0 * dt_);
        } else {
            // At an end the last or first moves may be a stopped ball's
            // jitter: take the heading over the last or first 0.1 ft.
            s.reach = k == 0 ? Reach::Away : Reach::Short;
            const int dir = k == 0 ? 1 : -1;
            for (int j = k + dir; j >= 0 && j <= last; j += dir) {
                const double ex = (p[j].second.x - p[k].second.x) * dir;
                const double ey = (p[j].second.y - p[k].second.y) * dir;
                if (std::hypot(ex, ey) * kYdToFt >= 0.1) {
                    tx = ex;
                    ty = ey;
                    break;
                }
            }
        }
        const double len = std::hypot(tx, ty);
        if (len > 0) {
            tx /= len;
            ty /= len;
        }
        const double hx = (hole.x - p[k].second.x) * kYdToFt;
        const double hy = (hole.y - p[k].second.y) * kYdToFt;
        s.cross = tx * hy - ty * hx;
        s.along = tx * hx + ty * hy;
        s.miss = std::sqrt(best) * kYdToFt;
        return s;
    }

    int runs = 0;

private:
    SwingModel m_;
    Vector3 start_;
    double dt_;
};

// Fixed jobs on a few threads, each thread with its own Runner.
class Workers
{
public:
    Workers(const SwingModel& base, unsigned threads)
    {
        runners_.reserve(threads); // each keeps its reserved path: no copies
        for (unsigned i = 0; i < threads; ++i)
            runners_.emplace_back(base);
    }

    template <class Job> void forEach(std::size_t n, const Job& job)
    {
        cleanVectorState(); // for this thread, and the threads it starts
        const std::size_t want = std::min(runners_.size(), n);
        if (want <= 1) {
            for (std::size_t i = 0; i < n; ++i)
                job(runners_[0], i);
            return;
        }
        std::atomic<std::size_t> next{0};
        std::exception_ptr failure;
        std::mutex failureLock;
        const auto work = [&](Runner& r) {
            try {
                for (std::size_t i; (i = next++) < n;)
                    job(r, i);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failure)
                    failure = std::current_exception();
                next = n;
            }
        };
        std::vector<std::thread> pool;
        for (std::size_t t = 1; t < want; ++t) {
            try {
                pool.emplace_back(work, std::ref(runners_[t]));
            } catch (const std::system_error&) {
                break; // fewer threads, same jobs
            }
        }
        work(runners_[0]);
        for (auto& t : pool)
            t.join();
        if (failure)
            std::rethrow_exception(failure);
    }

    int runs() const
    {
        int n = 0;
        for (const auto& r : runners_)
            n += r.runs;
        return n;
    }

private:
    std::vector<Runner> runners_;
};

// A run of holing aims at one speed; lo and hi hole, loOut and hiOut (just
// outside) do not.
struct Interval
{
    double lo = 0.0, hi = 0.0;
    double loOut = 0.0, hiOut = 0.0;
    bool full = false;   // every aim holes
    bool looked = false; // aims inside were tried
    double width() const { return full ? 360.0 : hi - lo; }
    double middle() const { return full ? 0.0 : 0.5 * (lo + hi); }
};

// A line through the hole that did not hold, and what the ball did there.
// `reached`: it got to the cup, only too fast (it passed over it, or its
// steps ran out inside it); otherwise it stopped or ran out of steps short.
struct Crossing
{
    double angle = 0.0;
    Reach reach = Reach::Short;
    bool reached = false;
    bool late = false; // short when its steps ran out, and might have dropped later
};

// What is known at one speed.
struct Probe
{
    double speed = 0.0; // mph
    std::vector<Interval> intervals;
    std::vector<Crossing> crossings;
    bool holed() const { return !intervals.empty(); }
    const Interval* widest() const
    {
        const Interval* w = nullptr;
        for (const auto& iv : intervals)
            if (!w || iv.width() > w->width())
                w = &iv;
        return w;
    }
};

struct AimSample
{
    double angle;
    Sample s;
};

double wrapAngle(double a)
{
    while (a >= 180.0)
        a -= 360.0;
    while (a < -180.0)
        a += 360.0;
    return a;
}

double angleGap(double a, double b)
{
    return std::fabs(wrapAngle(a - b));
}

void normalise(Interval& iv)
{
    const double shift = wrapAngle(iv.lo) - iv.lo;
    iv.lo += shift;
    iv.hi += shift;
    iv.loOut += shift;
    iv.hiOut += shift;
}

// Moves `in` (holes) and `out` (misses) together until they are tol apart.
void narrow(Runner& r, double speed, double& in, double& out, double tol)
{
    while (std::fabs(out - in) > tol) {
        const double mid = 0.5 * (in + out);
        (r.run(speed, mid).holed() ? in : out) = mid;
    }
}

// From a holing aim, steps outward (dir -1 or +1) until an aim misses.
// Returns false when the steps went round the whole circle.
bool stepOut(Runner& r, double speed, double& in, double& out, int dir, double step)
{
    const double from = in;
    out = in + dir * step;
    while (r.run(speed, out).holed()) {
        in = out;
        step *= 2.0;
        if (std::fabs(in - from) >= 360.0)
            return false;
        out = in + dir * step;
    }
    return true;
}

// Brings the edges of a holing run to kEdgeTol and adds it to the probe. Its
// middle, the aim it would recommend, must hole too: a run with a gap there
// (a line through the cup that is too fast while lines off it are held) is
// split at the gap.
void addInterval(Runner& r, Probe& p, Interval iv, int depth = 0)
{
    narrow(r, p.speed, iv.lo, iv.loOut, kEdgeTol);
    narrow(r, p.speed, iv.hi, iv.hiOut, kEdgeTol);
    const double mid = iv.middle();
    if (iv.hi - iv.lo <= kEdgeTol || r.run(p.speed, mid).holed()) {
        normalise(iv);
        p.intervals.push_back(iv);
        return;
    }
    if (depth == 3) { // keep one aim that holes
        iv.hi = iv.lo;
        iv.hiOut = mid;
        normalise(iv);
        p.intervals.push_back(iv);
        return;
    }
    Interval left = iv, right = iv;
    left.hi = iv.lo;
    left.hiOut = mid;
    right.lo = iv.hi;
    right.loOut = mid;
    addInterval(r, p, left, depth + 1);
    addInterval(r, p, right, depth + 1);
}

// A line that should not be chased further: it runs through the hole but the
// ball stops well short, leaves the hole behind at once, or flies over it.
bool hopeless(const Sample& s)
{
    if (std::fabs(s.cross) > 0.3)
        return false;
    return s.reach == Reach::Away || (s.reach == Reach::Short && s.along > 1.5) ||
           (s.reach == Reach::Passed && s.passSpeed > 8.0);
}

// Bisects the aim between a and b (the hole on different sides of their
// paths). Adds the holing interval found there, or the crossing that missed.
void chaseCrossing(Runner& r, Probe& p, AimSample a, AimSample b)
{
    while (b.angle - a.angle > kCrossTol) {
        const double mid = 0.5 * (a.angle + b.angle);
        const Sample s = r.run(p.speed, mid);
        if (s.holed()) {
            addInterval(r, p, {mid, mid, a.angle, b.angle});
            return;
        }
        ((s.cross > 0) == (a.s.cross > 0) ? a : b) = {mid, s};
        if (hopeless(s))
            break;
    }
    const AimSample& near = std::fabs(a.s.cross) < std::fabs(b.s.cross) ? a : b;
    const bool reached = near.s.reach == Reach::Passed ||
                         (near.s.reach == Reach::Short && near.s.along <= kCaptureFt);
    p.crossings.push_back({wrapAngle(near.angle), near.s.reach, reached,
                           !reached && near.s.timedOut && near.s.slowing});
}

// Bisects the aim between a ball that ends short of the cup's reach and one
// that gets into it too fast: in between, a ball that just gets there as it
// stops or runs out of steps may be slow enough. Adds what holes there.
void chaseRim(Runner& r, Probe& p, AimSample a, AimSample b)
{
    while (b.angle - a.angle > kCrossTol) {
        const double mid = 0.5 * (a.angle + b.angle);
        const Sample s = r.run(p.speed, mid);
        if (s.holed()) {
            addInterval(r, p, {mid, mid, a.angle, b.angle});
            return;
        }
        if (s.inReach())
            (a.s.inReach() ? a : b) = {mid, s};
        else if (s.shortOfReach())
            (a.s.shortOfReach() ? a : b) = {mid, s};
        else
            return;
    }
}

bool worthChasing(const Sample& a, const Sample& b)
{
    if (a.reach == Reach::Refused || b.reach == Reach::Refused)
        return false;
    if (a.reach == Reach::Away && b.reach == Reach::Away)
        return false;
    return (a.cross > 0) != (b.cross > 0);
}

// The intervals and crossings along aims in rising order. A holing run that
// reaches an end of the line is followed outward; false when that went round
// the whole circle (the caller then reads the ring).
bool readLine(Runner& r, Probe& p, const std::vector<AimSample>& line, double step)
{
    const std::size_t n = line.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (!line[i].s.holed())
            continue;
        std::size_t j = i;
        while (j + 1 < n && line[j + 1].s.holed())
            ++j;
        Interval iv{line[i].angle, line[j].angle, 0.0, 0.0};
        if (i > 0)
            iv.loOut = line[i - 1].angle;
        else if (!stepOut(r, p.speed, iv.lo, iv.loOut, -1, step))
            return false;
        if (j + 1 < n)
            iv.hiOut = line[j + 1].angle;
        else if (!stepOut(r, p.speed, iv.hi, iv.hiOut, +1, step))
            return false;
        if (iv.hi - iv.lo >= 360.0)
            return false;
        addInterval(r, p, iv);
        i = j;
    }
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Sample &a = line[i].s, &b = line[i + 1].s;
        if (a.holed() || b.holed())
            continue;
        const std::size_t found = p.intervals.size();
        if (worthChasing(a, b))
            chaseCrossing(r, p, line[i], line[i + 1]);
        if (p.intervals.size() == found &&
            ((a.shortOfReach() && b.inReach()) || (a.inReach() && b.shortOfReach())))
            chaseRim(r, p, line[i], line[i + 1]);
    }
    return true;
}

// One row of the grid: the ring of aims already run at this speed.
Probe readRing(Runner& r, double speed, std::vector<Sample> ring)
{
    Probe p;
    p.speed = speed;
    double step = kRingStep;
    const auto allHoled = [&] {
        return std::all_of(ring.begin(), ring.end(), [](const Sample& s) { return s.holed(); });
    };
    if (allHoled()) {
        // Ten degrees apart cannot tell the full circle from one with narrow
        // gaps; look between them.
        std::vector<Sample> fine;
        for (int j = 0; j < kRing; ++j) {
            fine.push_back(ring[j]);
            fine.push_back(r.run(speed, -180.0 + (j + 0.5) * step));
        }
        ring = std::move(fine);
        step *= 0.5;
        if (allHoled()) {
            p.intervals.push_back({-180.0, 180.0, -180.0, 180.0, true});
            return p;
        }
    }
    // Unroll the ring from an aim that misses, once round and back to it.
    const int n = static_cast<int>(ring.size());
    int first = 0;
    while (ring[first].holed())
        ++first;
    std::vector<AimSample> line;
    for (int i = first; i <= first + n; ++i)
        line.push_back({-180.0 + i * step, ring[i % n]});
    readLine(r, p, line, step); // bounded by misses: never goes round
    return p;
}

Probe readRing(Runner& r, double speed)
{
    std::vector<Sample> ring(kRing);
    for (int j = 0; j < kRing; ++j)
        ring[j] = r.run(speed, -180.0 + j * kRingStep);
    return readRing(r, speed, std::move(ring));
}

// A probe at a speed between rows, near where a neighbour's window lies.
Probe probeNear(Runner& r, double speed, double seed, double halfWidth)
{
    Probe p;
    p.speed = speed;
    const double span = std::clamp(2.0 * halfWidth + 1.0, 2.0, 60.0);
    std::vector<AimSample> line;
    for (double a : {seed - span, seed, seed + span})
        line.push_back({a, r.run(speed, a)});
    if (!readLine(r, p, line, span))
        return readRing(r, speed);
    return p;
}

// Where the window of a branch should lie at `speed`, from the holing probes
// nearest in speed on either side whose windows lie near `middle`.
void hintAt(const std::vector<Probe>& probes, double speed, double middle, double& seed,
            double& halfWidth)
{
    const Interval* below = nullptr;
    const Interval* above = nullptr;
    double sBelow = 0.0, sAbove = 0.0;
    for (const auto& p : probes) {
        for (const auto& iv : p.intervals) {
            if (angleGap(iv.middle(), middle) > 45.0)
                continue;
            if (p.speed <= speed && (!below || p.speed > sBelow)) {
                below = &iv;
                sBelow = p.speed;
            }
            if (p.speed >= speed && (!above || p.speed < sAbove)) {
                above = &iv;
                sAbove = p.speed;
            }
        }
    }
    if (!below && !above) {
        seed = middle;
        halfWidth = 1.0;
        return;
    }
    if (!below || !above || sAbove == sBelow) {
        const Interval* iv = below ? below : above;
        seed = iv->middle();
        halfWidth = 0.5 * iv->width();
        return;
    }
    const double t = (speed - sBelow) / (sAbove - sBelow);
    const double mb = below->middle();
    const double ma = mb + wrapAngle(above->middle() - mb);
    seed = mb + t * (ma - mb);
    halfWidth = 0.5 * (below->width() + t * (above->width() - below->width()));
}

// The probe with the widest window, -1 when none holes; only among the probes
// `only` marks, when given. Equal widths (a ball every aim holes from, at many
// speeds) go to the probe nearest the middle of their speeds.
int widest(const std::vector<Probe>& probes, const std::vector<char>* only = nullptr)
{
    const auto counts = [&](std::size_t i) { return probes[i].holed() && (!only || (*only)[i]); };
    double w = -1.0;
    for (std::size_t i = 0; i < probes.size(); ++i)
        if (counts(i))
            w = std::max(w, probes[i].widest()->width());
    if (w < 0)
        return -1;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (std::size_t i = 0; i < probes.size(); ++i)
        if (counts(i) && probes[i].widest()->width() == w) {
            lo = std::min(lo, probes[i].speed);
            hi = std::max(hi, probes[i].speed);
        }
    const double mid = 0.5 * (lo + hi);
    int best = -1;
    for (int i = 0; i < int(probes.size()); ++i) {
        const Probe& p = probes[i];
        if (!counts(std::size_t(i)) || p.widest()->width() != w)
            continue;
        const double d = std::fabs(p.speed - mid);
        const double db = best < 0 ? 0.0 : std::fabs(probes[best].speed - mid);
        if (best < 0 || d < db || (d == db && p.speed < probes[best].speed))
            best = i;
    }
    return best;
}

// The fastest speed worth trying (ft/s): the ball loses speed no faster than
// the pull and the largest friction together, so a putt much faster than the
// capture speed plus that loss over the way to the cup cannot be held.
double topSpeed(const SwingModel& m, double dt)
{
    const double by = m.hole.GreenYRot * kDegToRad;
    const double bx = m.hole.GreenXRot * -kDegToRad;
    const double rho = std::fabs(std::cos(bx) * std::cos(by) * m.hole.GreenRho);
    const double fx = kGravity / 1.4 * (rho + std::fabs(std::sin(by) * 0.4));
    const double fy = kGravity / 1.4 * (rho + std::fabs(std::cos(by) * 0.4 * std::sin(bx)));
    const double gx = std::fabs(std::sin(by) * kGravity);
    const double gy = std::fabs(std::cos(by) * kGravity * std::sin(bx));
    const double aMax = std::hypot(gx + fx, gy + fy);
    const Vector3& h = m.hole.HolePos;
    const double d = std::hypot(h.x - m.BallPos.x, h.y - m.BallPos.y) * kYdToFt;
    // A curving path runs longer than the straight line; allow a quarter more.
    const double way = 1.25 * d + 2.0 * kCaptureFt;
    const double byWay = std::sqrt(kCaptureSpeed * kCaptureSpeed + 2.0 * aMax * way);
    const double byTime = kCaptureSpeed + aMax * kMaxSteps * dt;
    const double v = std::min(byWay, byTime);
    return std::isfinite(v) && v > kCaptureSpeed ? v : 2.0 * kCaptureSpeed;
}

// Bisects the speed from the holing probe `found` toward `outside` (nothing
// holed there near it), leaving in `found` the holing probe nearest
// `outside`; every holing probe on the way is added to `seen`.
void bisectSpeed(Runner& r, Probe& found, double outside, std::vector<Probe>& seen)
{
    for (int i = 0; i < kSpeedSteps; ++i) {
        const double mid = 0.5 * (found.speed + outside);
        const Interval& iv = *found.widest();
        Probe p = probeNear(r, mid, iv.middle(), 0.5 * iv.width());
        if (p.holed()) {
            found = p;
            seen.push_back(std::move(p));
        } else {
            outside = mid;
        }
    }
}

// A band of holing speeds narrower than the rows' spacing: on one row the
// ball stops short of the hole, on the next it gets there too fast.
struct Gap
{
    double slow, fast;           // mph: the two rows
    double slowAngle, fastAngle; // their lines through the hole
};

std::vector<Gap> findGaps(const std::vector<Probe>& rows)
{
    const auto holesNear = [](const Probe& p, double a) {
        for (const auto& iv : p.intervals)
            if (iv.full || angleGap(iv.middle(), a) < 30.0 + 0.5 * iv.width())
                return true;
        return false;
    };
    // Near the end of its steps a putt's line through the hole swings fast
    // with the speed: a short line pairs with the nearest line on the next
    // row that got there, up to a right angle away.
    std::vector<Gap> gaps;
    for (std::size_t k = 0; k + 1 < rows.size() && gaps.size() < kMaxGaps; ++k)
        for (const auto& c1 : rows[k].crossings) {
            if (c1.reach != Reach::Short || c1.reached || holesNear(rows[k], c1.angle))
                continue;
            const Crossing* c2 = nullptr;
            for (const auto& c : rows[k + 1].crossings)
                if (c.reached &&
                    (!c2 || angleGap(c.angle, c1.angle) < angleGap(c2->angle, c1.angle)))
                    c2 = &c;
            if (c2 && angleGap(c1.angle, c2->angle) < 90.0 && !holesNear(rows[k + 1], c2->angle) &&
                gaps.size() < kMaxGaps)
                gaps.push_back({rows[k].speed, rows[k + 1].speed, c1.angle, c2->angle});
        }
    return gaps;
}

// Bisects the speed between the rows of a gap, following the line through
// the hole; the first holing probe, or one that holes nowhere.
Probe searchGap(Runner& r, const Gap& g)
{
    double lo = g.slow, hi = g.fast;
    double aLo = g.slowAngle, aHi = aLo + wrapAngle(g.fastAngle - aLo);
    for (int it = 0; it < 2 * kSpeedSteps; ++it) {
        const double mid = 0.5 * (lo + hi);
        const double seed = 0.5 * (aLo + aHi);
        Probe p = probeNear(r, mid, seed, 0.5 * std::fabs(aHi - aLo) + 0.5);
        if (p.holed())
            return p;
        const Crossing* c = nullptr;
        for (const auto& x : p.crossings)
            if (!c || angleGap(x.angle, seed) < angleGap(c->angle, seed))
                c = &x;
        if (!c || angleGap(c->angle, seed) > 30.0)
            break;
        if (c->reach != Reach::Short && c->reach != Reach::Passed)
            break;
        (c->reached ? hi : lo) = mid;
        (c->reached ? aHi : aLo) = seed + wrapAngle(c->angle - seed);
    }
    return {};
}

// Splits a line of aims (rising, the first and last of known outcome) into
// its runs of holing aims; `before` and `after` are misses just outside it.
void holingRuns(const std::vector<AimSample>& line, double before, double after,
                std::vector<Interval>& runs)
{
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!line[i].s.holed())
            continue;
        std::size_t j = i;
        while (j + 1 < line.size() && line[j + 1].s.holed())
            ++j;
        Interval run{line[i].angle, line[j].angle, i == 0 ? before : line[i - 1].angle,
                     j + 1 == line.size() ? after : line[j + 1].angle};
        run.looked = true;
        runs.push_back(run);
        i = j;
    }
}

// Runs every aim of the probe's windows, kCheckStepDeg apart at most, and
// keeps of them the runs of aims that all hole, their edges to kFinalTol.
// Between two aims that hole and lie that close, the window is taken to hold.
void checkWindows(Workers& work, Probe& p)
{
    std::vector<std::vector<AimSample>> lines;
    struct Job
    {
        std::size_t line, at;
    };
    std::vector<Job> jobs;
    for (const Interval& iv : p.intervals) {
        std::vector<AimSample> line;
        Sample in;
        in.reach = Reach::Holed;
        if (iv.full) {
            const int n = int(std::ceil(360.0 / kCheckStepDeg));
            for (int j = 0; j < n; ++j) {
                line.push_back({-180.0 + 360.0 * j / n, {}});
                jobs.push_back({lines.size(), std::size_t(j)});
            }
        } else {
            // The edges hole; the aims between them are run.
            const int n = std::max(1, int(std::ceil((iv.hi - iv.lo) / kCheckStepDeg)));
            for (int j = 0; j <= n; ++j) {
                line.push_back({j == n ? iv.hi : iv.lo + (iv.hi - iv.lo) * j / n, in});
                if (j > 0 && j < n)
                    jobs.push_back({lines.size(), std::size_t(j)});
            }
        }
        lines.push_back(std::move(line));
    }
    work.forEach(jobs.size(), [&](Runner& r, std::size_t i) {
        AimSample& a = lines[jobs[i].line][jobs[i].at];
        a.s = r.run(p.speed, a.angle);
    });

    std::vector<Interval> runs;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const Interval& iv = p.intervals[k];
        const std::vector<AimSample>& line = lines[k];
        if (!iv.full) {
            holingRuns(line, iv.loOut, iv.hiOut, runs);
            continue;
        }
        const auto miss =
            std::find_if(line.begin(), line.end(), [](const AimSample& a) { return !a.s.holed(); });
        if (miss == line.end()) {
            runs.push_back(iv);
            continue;
        }
        // Unrolled from an aim that misses, once round and back to it.
        const std::size_t n = line.size(), first = std::size_t(miss - line.begin());
        std::vector<AimSample> round;
        for (std::size_t i = first; i <= first + n; ++i)
            round.push_back({line[i % n].angle + (i >= n ? 360.0 : 0.0), line[i % n].s});
        holingRuns(round, round.front().angle, round.back().angle, runs);
    }
    const auto narrowEdges = [&] {
        work.forEach(2 * runs.size(), [&](Runner& r, std::size_t i) {
            Interval& run = runs[i / 2];
            if (run.full)
                return;
            if (i % 2 == 0)
                narrow(r, p.speed, run.lo, run.loOut, kFinalTol);
            else
                narrow(r, p.speed, run.hi, run.hiOut, kFinalTol);
        });
    };
    narrowEdges();

    // Where the ball meets the cup at the edge of its reach, one step more or
    // less inside it decides: a window's edges may be ragged, with slivers
    // of misses within a few hundredths of a degree. Aims close together
    // along each edge; an edge with a miss moves inside the innermost one.
    for (int pass = 0; pass < kFringePasses; ++pass) {
        std::vector<std::vector<AimSample>> fringe(2 * runs.size());
        std::vector<Job> fringeJobs;
        for (std::size_t k = 0; k < fringe.size(); ++k) {
            const Interval& run = runs[k / 2];
            if (run.full)
                continue;
            const double dir = k % 2 == 0 ? 1.0 : -1.0;
            const double edge = k % 2 == 0 ? run.lo : run.hi;
            for (int j = 1; j <= kFringeAims; ++j) {
                const double a = edge + dir * j * kFringeStep;
                if (a <= run.lo || a >= run.hi)
                    break;
                fringe[k].push_back({a, {}});
                fringeJobs.push_back({k, std::size_t(j - 1)});
            }
        }
        work.forEach(fringeJobs.size(), [&](Runner& r, std::size_t i) {
            AimSample& a = fringe[fringeJobs[i].line][fringeJobs[i].at];
            a.s = r.run(p.speed, a.angle);
        });
        bool ragged = false;
        for (std::size_t k = 0; k < fringe.size(); ++k) {
            const auto& aims = fringe[k];
            std::size_t j = aims.size();
            while (j > 0 && aims[j - 1].s.holed())
                --j;
            if (j == 0)
                continue;
            // The innermost miss; the next aim inward holes, or else the
            // far edge does.
            ragged = true;
            Interval& run = runs[k / 2];
            if (k % 2 == 0) {
                run.loOut = aims[j - 1].angle;
                run.lo = j < aims.size() ? aims[j].angle : run.hi;
            } else {
                run.hiOut = aims[j - 1].angle;
                run.hi = j < aims.size() ? aims[j].angle : run.lo;
            }
            if (run.lo > run.hi) { // both edges moved past each other: one aim
                run.lo = run.hi;
                run.loOut = std::min(run.loOut, run.lo);
            }
        }
        if (!ragged)
            break;
        narrowEdges();
    }

    // In rising order, and one window where two found at the same pace overlap.
    for (Interval& run : runs)
        normalise(run);
    std::sort(runs.begin(), runs.end(),
              [](const Interval& a, const Interval& b) { return a.lo < b.lo; });
    std::vector<Interval> merged;
    for (const Interval& run : runs) {
        if (!merged.empty() && !run.full && !merged.back().full && run.lo <= merged.back().hi) {
            if (run.hi > merged.back().hi) {
                merged.back().hi = run.hi;
                merged.back().hiOut = run.hiOut;
            }
            continue;
        }
        merged.push_back(run);
    }
    // A window round the back of the circle may reach into the first one.
    while (merged.size() > 1 && !merged.front().full &&
           merged.back().hi - 360.0 >= merged.front().lo) {
        Interval& last = merged.back();
        if (merged.front().hi + 360.0 > last.hi) {
            last.hi = merged.front().hi + 360.0;
            last.hiOut = merged.front().hiOut + 360.0;
        }
        merged.erase(merged.begin());
    }
    p.intervals = std::move(merged);
}

// Why nothing holed, from what the lines through the hole did: the fastest
// line that fell short of the cup, below the slowest one that got there too
// fast, says what stands between them. Short because its steps ran out while
// it was slowing down: with more time a pace in between would have been slow
// enough there. Stopped: the pace that gets there arrives too fast.
NoHoleReason whyNothingHoles(const std::vector<Probe>& probes)
{
    double slowestReached = std::numeric_limits<double>::infinity();
    for (const auto& p : probes)
        for (const auto& c : p.crossings)
            if (p.speed > 0 && c.reached)
                slowestReached = std::min(slowestReached, p.speed);
    double shortSpeed = -1.0;
    bool late = false;
    for (const auto& p : probes)
        for (const auto& c : p.crossings) {
            if (!(p.speed > 0) || c.reached || p.speed >= slowestReached || p.speed < shortSpeed)
                continue;
            late = (p.speed == shortSpeed && late) || c.late;
            shortSpeed = p.speed;
        }
    if (late)
        return NoHoleReason::OutOfTime;
    return std::isfinite(slowestReached) ? NoHoleReason::TooFast : NoHoleReason::StopsShort;
}

} // namespace

PuttRead readPutt(const SwingModel& model, unsigned threads)
{
    SwingModel base = model;
    base.notifyEnabled = false;
    base.PuttEnabled = true;
    base.teeShot = Trajectory();
    base.puttShot = Trajectory();
    base.PuttBallSpeed = 0.0;
    base.PuttTargetAngle = 0.0;

    PuttRead out;
    {
        SwingModel trial = base;
        const SimResult r = complexPutt(trial);
        if (!r) {
            out.ok = false;
            out.error = r.reason;
            return out;
        }
    }

    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    Workers work(base, std::min(threads, 64u));
    const auto finish = [&] {
        out.runs = 1 + work.runs();
        return out;
    };

    // Up to the capture speed a ball is held wherever it meets the cup, and
    // the pull may curl a slow putt in from almost any aim: even steps there.
    // Above it, even steps of the squared speed: the way a putt rolls grows
    // with it, so every band of holing speeds gets about as many rows.
    const double dt = base.TimeStepSize > 0 ? base.TimeStepSize : 0.001;
    out.rollTimeS = kMaxSteps * dt;
    out.offTheGreen = std::hypot(base.BallPos.x - base.hole.HolePos.x,
                                 base.BallPos.y - base.hole.HolePos.y) >= 0.5 * base.hole.GreenSize;
    const double top = topSpeed(base, dt);
    std::vector<double> rowSpeed(kRows + 1);
    const double slow = kCaptureSpeed * kCaptureSpeed;
    for (int k = 0; k <= kRows; ++k)
        rowSpeed[k] =
            (k <= kSlowRows ? kCaptureSpeed * k / kSlowRows
                            : std::sqrt(slow + (top * top - slow) * (k - kSlowRows) / kFastRows)) /
            kMphToFtps;
    std::vector<Sample> grid((kRows + 1) * kRing);
    work.forEach(grid.size(), [&](Runner& r, std::size_t i) {
        grid[i] = r.run(rowSpeed[i / kRing], -180.0 + double(i % kRing) * kRingStep);
    });
    std::vector<Probe> probes(kRows + 1);
    work.forEach(probes.size(), [&](Runner& r, std::size_t k) {
        probes[k] =
            readRing(r, rowSpeed[k], {grid.begin() + k * kRing, grid.begin() + (k + 1) * kRing});
    });

    const std::vector<Gap> gaps = findGaps(probes);
    std::vector<Probe> gapFound(gaps.size());
    work.forEach(gaps.size(),
                 [&](Runner& r, std::size_t i) { gapFound[i] = searchGap(r, gaps[i]); });
    for (auto& p : gapFound)
        if (p.holed())
            probes.push_back(std::move(p));

    int best = widest(probes);
    if (best < 0) {
        out.whyNot = whyNothingHoles(probes);
        return finish();
    }

    // Neighbouring probe speeds, for the spans of the refinements below.
    std::vector<double> speeds;
    for (const auto& p : probes)
        speeds.push_back(p.speed);
    std::sort(speeds.begin(), speeds.end());
    const auto below = [&](double s) {
        auto it = std::lower_bound(speeds.begin(), speeds.end(), s);
        return it == speeds.begin() ? -1.0 : *(it - 1);
    };
    const auto above = [&](double s) {
        auto it = std::upper_bound(speeds.begin(), speeds.end(), s);
        return it == speeds.end() ? -1.0 : *it;
    };

    // The slowest and fastest holing speeds are bisected toward the probes
    // next to them, in the same batch as the first round of the pace.
    Probe slowest, fastest;
    for (const auto& p : probes)
        if (p.holed()) {
            if (!slowest.holed() || p.speed < slowest.speed)
                slowest = p;
            if (!fastest.holed() || p.speed > fastest.speed)
                fastest = p;
        }
    const double slowOut = below(slowest.speed), fastOut = above(fastest.speed);
    std::vector<Probe> extremeSeen[2];

    // The pace: three rounds of probes closing in on the widest window, the
    // first spread toward the neighbouring rows, each later one a third of
    // the spacing of the one before.
    const bool full = probes[best].widest()->full;
    double stepBelow = std::max(probes[best].speed - std::max(below(probes[best].speed), 0.0), 0.0);
    double stepAbove =
        above(probes[best].speed) < 0 ? 0.0 : above(probes[best].speed) - probes[best].speed;
    const std::vector<double> fractions[3] = {
        {0.25, 0.5, 0.75}, {1.0 / 3, 2.0 / 3}, {1.0 / 3, 2.0 / 3}};
    for (int round = 0; round < 3; ++round) {
        const double centre = probes[best].speed;
        const double middle = probes[best].widest()->middle();
        std::vector<double> at;
        for (double f : fractions[round]) {
            if (full)
                break;
            if (stepBelow > 0 && centre - f * stepBelow >= 0)
                at.push_back(centre - f * stepBelow);
            if (stepAbove > 0)
                at.push_back(centre + f * stepAbove);
        }
        std::vector<Probe> found(at.size());
        const std::size_t jobs = at.size() + (round == 0 ? 2 : 0);
        work.forEach(jobs, [&](Runner& r, std::size_t i) {
            if (i < at.size()) {
                double seed, halfWidth;
                hintAt(probes, at[i], middle, seed, halfWidth);
                found[i] = probeNear(r, at[i], seed, halfWidth);
            } else if (i == at.size()) {
                if (slowOut >= 0)
                    bisectSpeed(r, slowest, slowOut, extremeSeen[0]);
            } else if (fastOut >= 0) {
                bisectSpeed(r, fastest, fastOut, extremeSeen[1]);
            }
        });
        for (auto& p : found)
            if (p.holed())
                probes.push_back(std::move(p));
        best = widest(probes);
        stepBelow = stepAbove = std::max(stepBelow, stepAbove) / (round == 0 ? 4.0 : 3.0);
    }
    for (auto& seen : extremeSeen)
        probes.insert(probes.end(), seen.begin(), seen.end());
    best = widest(probes);

    // The edges and the middle of a window hole, but aims between them may
    // not (a line through the cup that is too fast with lines either side
    // held, or two branches of curling putts side by side). Look inside the
    // widest windows, a few at a time, splitting those where aims miss, until
    // the widest one has been looked into.
    for (int round = 0; round < kLookRounds; ++round) {
        struct Look
        {
            int probe;
            std::size_t interval;
        };
        std::vector<Look> looks;
        for (int i = 0; i < int(probes.size()); ++i)
            for (std::size_t j = 0; j < probes[i].intervals.size(); ++j)
                looks.push_back({i, j});
        const auto of = [&](const Look& l) -> const Interval& {
            return probes[l.probe].intervals[l.interval];
        };
        std::sort(looks.begin(), looks.end(), [&](const Look& a, const Look& b) {
            if (of(a).width() != of(b).width())
                return of(a).width() > of(b).width();
            return a.probe != b.probe ? a.probe < b.probe : a.interval < b.interval;
        });
        std::size_t n = 0;
        while (n < looks.size() && n < kLooksPerRound && !of(looks[n]).looked && !of(looks[n]).full)
            ++n;
        if (n == 0)
            break;
        looks.resize(n);
        std::vector<std::vector<AimSample>> lines(n);
        for (std::size_t k = 0; k < n; ++k) {
            const Interval& iv = of(looks[k]);
            Sample in;
            in.reach = Reach::Holed;
            lines[k].assign(kLookAims + 2, {iv.lo, in});
            lines[k].back().angle = iv.hi;
        }
        work.forEach(n * kLookAims, [&](Runner& r, std::size_t i) {
            const std::size_t k = i / kLookAims, j = i % kLookAims;
            const Interval& iv = of(looks[k]);
            const double a = iv.lo + (iv.hi - iv.lo) * double(j + 1) / (kLookAims + 1);
            lines[k][j + 1] = {a, r.run(probes[looks[k].probe].speed, a)};
        });
        // Each window becomes its holing runs, their edges narrowed again.
        struct Part
        {
            Look from;
            Interval iv;
        };
        std::vector<Part> parts;
        std::vector<Interval> runs;
        for (std::size_t k = 0; k < n; ++k) {
            const Interval& iv = of(looks[k]);
            runs.clear();
            holingRuns(lines[k], iv.loOut, iv.hiOut, runs);
            for (const Interval& run : runs)
                parts.push_back({looks[k], run});
        }
        work.forEach(2 * parts.size(), [&](Runner& r, std::size_t i) {
            Part& part = parts[i / 2];
            const double speed = probes[part.from.probe].speed;
            if (i % 2 == 0)
                narrow(r, speed, part.iv.lo, part.iv.loOut, kEdgeTol);
            else
                narrow(r, speed, part.iv.hi, part.iv.hiOut, kEdgeTol);
        });
        // Replace the windows looked into, from the back so indices hold.
        std::sort(looks.begin(), looks.end(), [](const Look& a, const Look& b) {
            return a.probe != b.probe ? a.probe < b.probe : a.interval > b.interval;
        });
        for (const auto& l : looks)
            probes[l.probe].intervals.erase(probes[l.probe].intervals.begin() + l.interval);
        for (auto& part : parts) {
            normalise(part.iv);
            probes[part.from.probe].intervals.push_back(part.iv);
        }
    }
    best = widest(probes);

    // The windows of the widest pace, aim by aim; where that leaves another
    // pace's window wider, that pace's too, a few at most. Widths found while
    // searching are good to 2 kEdgeTol: a pace no wider than that beyond the
    // widest checked one forgives no more.
    std::vector<char> checked(probes.size(), 0);
    for (int round = 0; round < kCheckedPaces; ++round) {
        const int open = widest(probes);
        if (open < 0 || checked[std::size_t(open)])
            break;
        const int done = widest(probes, &checked);
        if (done >= 0 && probes[std::size_t(open)].widest()->width() <=
                             probes[std::size_t(done)].widest()->width() + 2.0 * kEdgeTol)
            break;
        checkWindows(work, probes[std::size_t(open)]);
        checked[std::size_t(open)] = 1;
    }

    // The recommended window's middle must hole too: a middle that misses
    // splits the window (both parts were checked aim by aim already).
    double aim = 0.0;
    for (int split = 0;; ++split) {
        best = widest(probes, &checked);
        if (best < 0) { // the check found no aim that holes after all
            out.whyNot = whyNothingHoles(probes);
            return finish();
        }
        Probe& p = probes[std::size_t(best)];
        const auto win = std::find_if(p.intervals.begin(), p.intervals.end(),
                                      [&](const Interval& iv) { return &iv == p.widest(); });
        if (win->full)
            break;
        aim = win->middle();
        bool holes = false;
        work.forEach(1, [&](Runner& r, std::size_t) { holes = r.run(p.speed, aim).holed(); });
        if (holes)
            break;
        if (split == kMiddleSplits) { // give up on the middle: one aim that holes
            aim = win->hi = win->lo;
            break;
        }
        Interval left = *win, right = *win;
        left.hi = win->lo;
        left.hiOut = aim;
        right.lo = win->hi;
        right.loOut = aim;
        work.forEach(2, [&](Runner& r, std::size_t i) {
            if (i == 0)
                narrow(r, p.speed, left.hi, left.hiOut, kFinalTol);
            else
                narrow(r, p.speed, right.lo, right.loOut, kFinalTol);
        });
        *win = left;
        p.intervals.insert(win + 1, right);
    }
    const double speed = probes[std::size_t(best)].speed;
    const Interval win = *probes[std::size_t(best)].widest();
    for (const Interval& iv : probes[std::size_t(best)].intervals)
        out.windows.push_back(iv.full ? AimWindow{-180.0, 180.0} : AimWindow{iv.lo, iv.hi});

    out.holed = true;
    out.speedMph = speed;
    out.targetAngleDeg = wrapAngle(aim);
    out.windowLoDeg = win.full ? -180.0 : win.lo;
    out.windowHiDeg = win.full ? 180.0 : win.hi;
    // The slowest and fastest holing putts of all those tried: the bisected
    // ones, unless a probe of the pace went further.
    const Probe* lowest = nullptr;
    const Probe* highest = nullptr;
    for (const auto& p : probes) {
        if (!p.holed())
            continue;
        if (!lowest || p.speed < lowest->speed)
            lowest = &p;
        if (!highest || p.speed > highest->speed)
            highest = &p;
    }
    const auto holingAim = [](const Probe& p) { return p.widest()->full ? 0.0 : p.widest()->lo; };
    out.minSpeedMph = lowest->speed;
    out.minSpeedAngleDeg = holingAim(*lowest);
    out.maxSpeedMph = highest->speed;
    out.maxSpeedAngleDeg = holingAim(*highest);
    return finish();
}

std::string whyNotText(const PuttRead& read)
{
    switch (read.whyNot) {
    case NoHoleReason::None:
        break;
    case NoHoleReason::StopsShort:
        return "every putt stops short of the cup";
    case NoHoleReason::TooFast:
        return "every putt that gets to the cup is too fast to drop";
    case NoHoleReason::OutOfTime:
        return "a putt slow enough to drop needs more than its " + fixedText(read.rollTimeS, 1) +
               " s of roll";
    }
    return {};
}

std::string noHoleText(const PuttRead& read)
{
    const std::string why = whyNotText(read);
    return read.offTheGreen && !why.empty() ? "the ball lies off the green, and " + why : why;
}

} // namespace quillmoor
