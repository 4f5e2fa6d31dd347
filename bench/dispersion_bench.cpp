// A dispersion of 10,000 complex shots in process, with the statistics of
// every row: a tee shot of examples/hole2-teeshot.txt (ball speed, launch
// angle, back spin and aim spread) and the putt of examples/hole2-putt.txt
// (speed and aim), on one thread and on one per processor. Target: at most
// 10 s for the 10,000 tee shots on a 2-core machine.

#include "Dispersion.h"
#include "ShotOutput.h"
#include "SwingModel.h"

#include <benchmark/benchmark.h>
#include <thread>

namespace {

using namespace quillmoor::lab;

void runDispersion(benchmark::State& state, const char* model, const std::vector<std::string>& sds)
{
    SwingModel m(false);
    std::string error;
    if (!readFreshModel(std::string(QUILLMOOR_SOURCE_DIR "/examples/") + model, m, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::vector<SpreadOption> options;
    for (const std::string& sd : sds) {
        options.emplace_back();
        if (!parseSpreadOption(sd, options.back(), error)) {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    constexpr std::size_t kShots = 10'000;
    std::vector<KeySpread> spreads;
    SweepPlan plan;
    if (!resolveSpreads(options, m, spreads, error) ||
        !makeDispersionPlan(spreads, kShots, kDefaultDispersionSeed, plan, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    plan.jobs = static_cast<unsigned>(state.range(0));
    std::size_t ran = 0;
    for (auto _ : state) {
        DispersionStats stats(m);
        SweepHooks hooks;
        hooks.row = [&](const SweepRow& row) { stats.add(row); };
        runSweep(m, plan, hooks);
        ran = stats.ran;
        benchmark::DoNotOptimize(stats.onGreen);
    }
    state.counters["shots"] = kShots;
    state.counters["ran"] = static_cast<double>(ran);
}

void BM_Dispersion10000TeeShots(benchmark::State& state)
{
    runDispersion(state, "hole2-teeshot.txt",
                  {"TeeBallSpeed=2%", "TeeLaunchAngle=1.5", "TeeBackSpin=300", "TeeTargetAngle=2"});
}

void BM_Dispersion10000Putts(benchmark::State& state)
{
    runDispersion(state, "hole2-putt.txt", {"PuttBallSpeed=3%", "PuttTargetAngle=1"});
}

const int kAllCores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

BENCHMARK(BM_Dispersion10000TeeShots)
    ->Arg(1)
    ->Arg(kAllCores)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_Dispersion10000Putts)
    ->Arg(1)
    ->Arg(kAllCores)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace
