#pragma once
// Dispersion: the spread of a player's shots. A number of shots of one model,
// each with some of its values drawn from normal distributions around the
// model's own, run on the sweep engine (runSweep); then what the shots did as
// a whole: the mean and standard deviation of their numbers, ellipses around
// their landing and final points, and how often they finish on the green,
// near the hole and in it.
//
// The draws are counter-based: each value is a hash of the seed, the shot's
// number and the key's name, so a shot's values depend neither on the
// threads nor on the other shots or keys, and the same seed gives the same
// shots. No Qt, so the window can run a dispersion as it runs a sweep.

#include "ShotSummary.h"
#include "Sweep.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class SwingModel;

namespace quillmoor::lab {

// No dispersion runs more shots than this.
constexpr std::size_t kMaxDispersionShots = 1'000'000;
// The seed when none is given, so that runs repeat.
constexpr std::uint64_t kDefaultDispersionSeed = 1;
// "Near the hole": within 10 feet.
constexpr double kNearHoleYards = 10.0 / 3.0;
// The probabilities of the ellipses reported.
constexpr double kEllipseProbabilities[] = {0.68, 0.95};

// True for the keys a dispersion draws: the sweep's keys with a continuous
// value of the shot or its conditions. HoleId, PuttEnabled and GreenType
// are choices, GreenSize is the green the shots are counted against, and
// TimeStepSize is the simulator's step, not the player's.
bool isDispersionKey(const std::string& key);
// True when key plays a part in the shot of a model: a putt rolls on the
// green, so only its own keys (Putt...) and the green's (Green...) count; a
// tee shot may end on the green, so every key but the putt's counts.
bool playsIntoShot(const std::string& key, bool putt);
// How far out the draws are checked against what the data file carries: a
// normal draw passes 10 SDs about once in 10^23 shots.
constexpr double kDrawReachSds = 10.0;

// One --sd: KEY=SD, or KEY=P% for P percent of the model's value.
struct SpreadOption
{
    std::string key;
    double sd = 0.0; // in the key's unit, or percent when percent is set
    bool percent = false;
};
// False with a message for an unknown key, a key that does not spread, an SD
// that is not a finite number of 0 or more, or text that is not KEY=SD.
bool parseSpreadOption(const std::string& text, SpreadOption& option, std::string& error);

// A key's spread on a model.
struct KeySpread
{
    std::string key;
    double centre = 0.0;           // the model's value
    double sd = 0.0;               // in the key's unit
    std::optional<double> percent; // the percentage given, if it was given so
};
// The options' spreads on model. False with a message for a key given twice
// (or two names of one quantity), a key that plays no part in the model's
// shot, a percentage of a value of 0, and a spread whose draws (to
// kDrawReachSds SDs from the value) the data file could not carry.
bool resolveSpreads(const std::vector<SpreadOption>& options, const SwingModel& model,
                    std::vector<KeySpread>& spreads, std::string& error);

// A standard normal number for (seed, shot, stream): two uniforms from a
// SplitMix64 hash of the three, then Box-Muller.
double standardNormal(std::uint64_t seed, std::uint64_t shot, std::uint64_t stream);
// The stream of a key's draws: a hash of its name.
std::uint64_t keyStream(const std::string& key);

// Sets plan to run `shots` shots: its grid names the keys (each with its
// centre as the one value), and shot i takes centre + sd × standardNormal(seed,
// i, keyStream(key)) for every key, as the data file would carry it. The
// plan's mode, jobs and shard are left as they are. False with a message when
// shots is 0 or above kMaxDispersionShots.
bool makeDispersionPlan(const std::vector<KeySpread>& spreads, std::size_t shots,
                        std::uint64_t seed, SweepPlan& plan, std::string& error);

// Mean and standard deviation of numbers as they come (Welford's update, so
// a long run loses no precision).
class RunningMoments
{
public:
    void add(double x);
    std::size_t count() const { return n_; }
    double mean() const { return mean_; }
    // The sample standard deviation (divided by n - 1); 0 below two numbers.
    double sd() const;

private:
    std::size_t n_ = 0;
    double mean_ = 0.0;
    double m2_ = 0.0;
};

// Mean and covariance of points in the plane, as they come.
class PointMoments
{
public:
    void add(double x, double y);
    std::size_t count() const { return n_; }
    double meanX() const { return mx_; }
    double meanY() const { return my_; }
    // Sample covariances (divided by n - 1); 0 below two points.
    double covXX() const;
    double covXY() const;
    double covYY() const;

private:
    std::size_t n_ = 0;
    double mx_ = 0.0, my_ = 0.0;
    double sxx_ = 0.0, sxy_ = 0.0, syy_ = 0.0;
};

struct Ellipse
{
    double probability = 0.0; // of a point of the distribution lying inside
    double x = 0.0, y = 0.0;  // centre, yd, in the hole's coordinates
    double semiMajor = 0.0;   // yd
    double semiMinor = 0.0;   // yd
    // The long axis as a direction angle, like TeeTargetAngle: 0 along +y
    // (down the hole), positive turning toward -x; in (-90, 90].
    double orientation = 0.0;
};
// The ellipse that holds probability p of a 2-D normal distribution with this
// centre and covariance: the axes along the covariance's eigenvectors, each
// half-axis sqrt(eigenvalue × q) with q = -2 ln(1 - p), the chi-square
// quantile of two degrees of freedom.
Ellipse probabilityEllipse(double x, double y, double cxx, double cxy, double cyy, double p);
std::optional<Ellipse> probabilityEllipse(const PointMoments& points, double p);

// A share of shots with its 95 % Wilson score interval, which stays inside
// 0..1 and is sound at 0 and at all of them (unlike p ± 1.96 √(p(1-p)/n)).
struct Share
{
    std::size_t hits = 0;
    std::size_t count = 0;
    double value = 0.0; // hits / count; 0 without shots
    double low = 0.0;
    double high = 1.0;
};
Share wilsonShare(std::size_t hits, std::size_t count);

// What the shots did, gathered row by row. Shots the routine refused count
// in shots but not in ran, and take no part in the numbers.
struct DispersionStats
{
    // The model as read: its hole gives the green and the cup, its
    // PuttEnabled the kind of shot.
    explicit DispersionStats(const SwingModel& model);
    void add(const SweepRow& row);

    struct Number
    {
        const ShotField* field;
        RunningMoments moments;
    };

    ShotKind kind = ShotKind::Tee;
    int holeId = 0;
    double greenRadius = 0.0; // yd
    Vector3 hole;
    std::size_t shots = 0; // rows added
    std::size_t ran = 0;   // of them run
    // Tee shots: carry, total, side, distance to hole; putts: roll distance,
    // distance to hole.
    std::vector<Number> numbers;
    PointMoments landing;     // tee shots that landed
    PointMoments finish;      // where the shots ended
    std::size_t onGreen = 0;  // ended less than the green's radius from the cup
    std::size_t nearHole = 0; // ended within kNearHoleYards of it, holed or not
    std::size_t holed = 0;    // a putt the summary calls holed; a tee shot that ended in the cup
};

// What the report says besides the numbers.
struct DispersionSetup
{
    std::string model; // the model's file, as given
    ShotMode mode = ShotMode::Complex;
    std::uint64_t seed = kDefaultDispersionSeed;
    std::size_t shots = 0; // asked for
    std::vector<KeySpread> spreads;
};

// "3 % speed and 1° aim spread": each key's SD and a word for the key.
std::string spreadPhrase(const std::vector<KeySpread>& spreads);
// A putt: "holes 62 % (58–66 %) of putts with 3 % speed and 1° aim spread";
// a tee shot: "finishes on the green in 34 % (31–37 %) of tee shots with ...".
// Empty without a shot run.
std::string dispersionVerdict(const DispersionSetup& setup, const DispersionStats& stats);
// The three shares with their intervals on one line, the one that matters
// most for the kind of shot first: "Holed 48 % (45–51 %), within 10 ft 100 %
// (99.6–100 %), on the green 100 % (99.6–100 %)". Empty without a shot run.
std::string dispersionOdds(const DispersionStats& stats);
// A share in percent for people, with at least `decimals` decimals, or as
// many more as keep a share that is not 0 or 1 from reading as 0 or 100.
std::string percentText(double share, int decimals = 0);

} // namespace quillmoor::lab
