// How long reading the green takes, in wall time with the default number of
// threads: balls on every built-in green, near the hole and toward the rim,
// up, down and across the slope, one in the cup's reach and some that no putt
// holes (those read the whole grid and find nothing). A read must stay under a
// second on a two-core machine. Counters: putts run per read, and whether the
// read found a holing putt. The CPU column is the whole process, all threads.

#include "PuttReader.h"
#include "SwingModel.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

struct Ball
{
    const char* name;
    int hole;
    double dx, dy; // yd from the hole
};

// Hole 1 falls toward +y and -x, hole 2 toward -y and -x, hole 3 toward -y
// and +x; hole 4 is level.
const Ball kBalls[] = {
    {"hole1/near", 1, 0.0, -1.0},
    {"hole1/in_reach", 1, 0.0, 0.1},
    {"hole1/down_the_slope", 1, 0.0, -4.5},
    {"hole1/up_the_slope", 1, 0.0, 4.5},
    {"hole1/across_from_high_side", 1, 4.5, 0.0},
    {"hole1/diagonal_no_hole", 1, -3.2, -3.2},
    {"hole2/near", 2, 0.0, -1.0},
    {"hole2/up_the_slope_rim", 2, 0.0, -7.5},
    {"hole2/across_from_low_side_rim", 2, -7.5, 0.0},
    {"hole2/across_from_high_side_no_hole", 2, 7.5, 0.0},
    {"hole3/near", 3, 1.0, 0.0},
    {"hole3/up_the_slope", 3, 0.0, -3.6},
    {"hole3/diagonal", 3, 2.5, -2.5},
    {"hole3/from_high_side_no_hole", 3, -4.0, 0.0},
    {"hole4/near", 4, 0.0, -1.0},
    {"hole4/rim", 4, 0.0, -4.5},
    {"hole4/diagonal", 4, 3.2, 3.2},
    {"hole4/off_the_green", 4, 0.0, -7.0},
};

SwingModel modelFor(const Ball& b)
{
    SwingModel m(false);
    m.selectHole(b.hole);
    m.PuttEnabled = true;
    const double x = m.hole.HolePos.x + b.dx, y = m.hole.HolePos.y + b.dy;
    m.BallPos = {x, y, m.groundHeight(x, y)};
    return m;
}

void readGreen(benchmark::State& state, const Ball& b)
{
    const SwingModel m = modelFor(b);
    quillmoor::PuttRead r;
    for (auto _ : state) {
        r = quillmoor::readPutt(m);
        benchmark::DoNotOptimize(r.speedMph);
    }
    state.counters["runs"] = r.runs;
    state.counters["holed"] = r.holed;
}

const bool registered = [] {
    for (const Ball& b : kBalls)
        benchmark::RegisterBenchmark((std::string("BM_ReadPutt/") + b.name).c_str(), readGreen, b)
            ->MeasureProcessCPUTime()
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
