// What one Trajex run spends its time on: the default complex swing (12 463
// points), the default complex putt (4 002 points), writing the swing's result
// file (about 0.6 MB, streamed through a fixed buffer) and its text in memory,
// reading it back, and the whole run without the process around it; and the
// slowest runs there are, those refused at the point bound.

#include "Simulation.h"
#include "SwingModel.h"
#include "TrajexRun.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string resultPath()
{
    return "/tmp/quillmoor_bench_" + std::to_string(::getpid()) + ".txt";
}

SwingModel defaultSwingResult()
{
    SwingModel m(false);
    quillmoor::complexSwing(m);
    m.setCurrentStep(-1);
    m.setExitCode(1);
    return m;
}

void BM_ComplexSwing(benchmark::State& state)
{
    for (auto _ : state) {
        SwingModel m(false);
        const bool ok = quillmoor::complexSwing(m).ok;
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(m.teeShot.back());
    }
}
BENCHMARK(BM_ComplexSwing)->Unit(benchmark::kMillisecond);

// The realistic tee shot of the same model: flight, bounces and roll of the
// default shot on hole 1 (about 11,000 points at the default step), and a tour
// drive on hole 4 that lands off the green and rolls out.
void BM_RealisticSwing(benchmark::State& state)
{
    for (auto _ : state) {
        SwingModel m(false);
        if (state.range(0) == 1) {
            m.selectHole(4);
            m.TeeBallSpeed = 167;
            m.TeeLaunchAngle = 10.9;
            m.TeeBackSpin = 2686;
        }
        const bool ok = quillmoor::realisticSwing(m).ok;
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(m.teeShot.back());
    }
}
BENCHMARK(BM_RealisticSwing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ComplexPutt(benchmark::State& state)
{
    for (auto _ : state) {
        SwingModel m(false);
        m.PuttEnabled = true;
        const bool ok = quillmoor::complexPutt(m).ok;
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(m.puttShot.back());
    }
}
BENCHMARK(BM_ComplexPutt)->Unit(benchmark::kMillisecond);

// The slowest inputs there are: runs refused only when their path passes the
// million-point bound. They must stay well under a second.
void BM_RefusedAtPointBound(benchmark::State& state)
{
    for (auto _ : state) {
        SwingModel m(false);
        if (state.range(0) == 0) {
            m.TimeStepSize = 1e-6; // a flight that needs more than a million steps
        } else {
            m.TimeStepSize = 1.001; // steps so long that the bounces never die down
        }
        const bool ok = quillmoor::complexSwing(m).ok;
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_RefusedAtPointBound)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_WriteSwingResult(benchmark::State& state)
{
    const SwingModel m = defaultSwingResult();
    const std::string path = resultPath();
    for (auto _ : state) {
        const bool ok = m.write(path);
        benchmark::DoNotOptimize(ok);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_WriteSwingResult)->Unit(benchmark::kMillisecond);

// The same text built in memory (toText), for comparison with the file.
void BM_SwingResultText(benchmark::State& state)
{
    const SwingModel m = defaultSwingResult();
    for (auto _ : state) {
        const std::string text = m.toText();
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_SwingResultText)->Unit(benchmark::kMillisecond);

// A whole Trajex run on the default model (an empty input file), as the
// program does it but in this process: read, simulate, write. The script
// scripts/bench-trajex.sh times the program itself, start-up included.
void BM_TrajexRunInProcess(benchmark::State& state)
{
    const std::string in = resultPath() + ".in";
    const std::string out = resultPath();
    std::FILE* f = std::fopen(in.c_str(), "w");
    if (f)
        std::fclose(f);
    const std::vector<std::string> args = {in, out};
    for (auto _ : state) {
        std::string messages;
        const int status = quillmoor::runTrajex(args, messages);
        benchmark::DoNotOptimize(status);
    }
    std::remove(in.c_str());
    std::remove(out.c_str());
}
BENCHMARK(BM_TrajexRunInProcess)->Unit(benchmark::kMillisecond);

void BM_ReadSwingResult(benchmark::State& state)
{
    const std::string path = resultPath();
    defaultSwingResult().write(path);
    for (auto _ : state) {
        SwingModel m(false);
        const bool ok = m.read(path);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(m.teeShot.size());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_ReadSwingResult)->Unit(benchmark::kMillisecond);

} // namespace
