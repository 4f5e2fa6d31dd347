// A sweep of 1000 complex tee shots (TeeLaunchAngle 5 to 54.95 by 0.05 on
// examples/hole1-teeshot.txt), in process: on one thread, and on one thread
// per processor. Target: at most 1/20 of 1000 separate Trajex runs of the same
// model; scripts/bench-sweep.sh times both side by side.

#include "ShotOutput.h"
#include "Sweep.h"
#include "SwingModel.h"

#include <benchmark/benchmark.h>
#include <thread>

namespace {

using namespace quillmoor::lab;

void BM_Sweep1000TeeShots(benchmark::State& state)
{
    SwingModel model(false);
    std::string error;
    if (!readFreshModel(QUILLMOOR_SOURCE_DIR "/examples/hole1-teeshot.txt", model, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    SweepPlan plan;
    SweepAxis angle;
    if (!parseSweepAxis("TeeLaunchAngle=5:54.95:0.05", angle, error) ||
        !plan.grid.setAxes({angle}, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    plan.jobs = static_cast<unsigned>(state.range(0));
    std::size_t ok = 0;
    SweepHooks hooks;
    hooks.row = [&](const SweepRow& row) { ok += row.status == "ok"; };
    for (auto _ : state) {
        const SweepOutcome outcome = runSweep(model, plan, hooks);
        benchmark::DoNotOptimize(outcome.done);
    }
    state.counters["points"] = 1000;
    state.counters["ok"] = static_cast<double>(ok) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Sweep1000TeeShots)
    ->Arg(1)
    ->Arg(std::max(1u, std::thread::hardware_concurrency()))
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace
