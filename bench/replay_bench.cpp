// Replay in the window, offscreen at its default size: one frame moves the
// ball one step along the shot and repaints both views, as the replay's
// animation does, for the default tee shot (12,463 points) and for a
// 1,000,000-point file. Reports the frame times' median, 99th percentile and
// worst (target: p99 <= 4 ms, so that replay keeps up with the display), and
// the time the Open command takes for each file (target for the million
// points: <= 1 s).
//
// Both files are made here: the default model's complex tee shot, run in
// process, and the same path resampled to a million steps.

#include "Parview.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QGraphicsView>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

namespace {

QTemporaryDir* workDir = nullptr;

// Counts the paint events of a view's viewport.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// The default model with its complex tee shot; false when the example or
// the run fails.
bool defaultShot(SwingModel& model, std::string& error)
{
    if (!model.read(QUILLMOOR_SOURCE_DIR "/examples/hole1-teeshot.txt")) {
        error = "cannot read examples/hole1-teeshot.txt";
        return false;
    }
    model.PuttEnabled = false;
    const quillmoor::SimResult result = quillmoor::complexSwing(model);
    if (!result.ok) {
        error = result.reason;
        return false;
    }
    return true;
}

// The data file with `points` steps along the default tee shot (its own
// points when the counts agree, else linearly resampled), with the time step
// shortened to keep the shot's duration.
std::string shotFile(int points, std::string& error)
{
    const std::string path =
        workDir->filePath(QStringLiteral("shot-%1.txt").arg(points)).toStdString();
    SwingModel model(false);
    if (!defaultShot(model, error))
        return {};
    const std::vector<Trajectory::value_type> path0(model.teeShot.begin(), model.teeShot.end());
    const int n = static_cast<int>(path0.size());
    if (points != n) {
        Trajectory resampled;
        resampled.reserve(static_cast<std::size_t>(points));
        for (int i = 0; i < points; ++i) {
            const double at = static_cast<double>(i) * (n - 1) / (points - 1);
            const int k = std::min(static_cast<int>(at), n - 2);
            const double f = at - k;
            const Vector3& a = path0[k].second;
            const Vector3& b = path0[k + 1].second;
            resampled.set(i, {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f});
        }
        model.teeShot = resampled;
        model.TimeStepSize *= static_cast<double>(n - 1) / (points - 1);
    }
    if (!model.write(path)) {
        error = "cannot write " + path;
        return {};
    }
    return path;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto k = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
    return v[std::min(k, v.size() - 1)];
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Lets the window repaint what changed: the scenes' queued updates, then the
// views' paint events.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void BM_ReplayFrame(benchmark::State& state)
{
    const int points = static_cast<int>(state.range(0));
    std::string error;
    const std::string file = shotFile(points, error);
    if (file.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }

    holeCatalogue().clear();
    auto window = std::make_unique<Parview>(QStringList());
    window->show();
    settle();
    QElapsedTimer clock;
    clock.start();
    window->loadModel(QString::fromStdString(file));
    settle();
    const double openMs = clock.nsecsElapsed() / 1e6;

    auto* time = window->findChild<QSlider*>(QStringLiteral("time"));
    auto* animate = window->findChild<QAbstractButton*>(QStringLiteral("btnAnimate"));
    auto* top = window->findChild<QGraphicsView*>(QStringLiteral("topView"));
    auto* side = window->findChild<QGraphicsView*>(QStringLiteral("sideView"));
    if (!time || !animate || !top || !side || time->maximum() != points - 1) {
        state.SkipWithError("the window did not take the shot");
        return;
    }
    // Play, then pause at once: the views go on tracking the ball, and the
    // frames below move the slider as the animation would.
    animate->click();
    animate->click();
    settle();
    PaintCounter topPaints, sidePaints;
    top->viewport()->installEventFilter(&topPaints);
    side->viewport()->installEventFilter(&sidePaints);

    // The frames run to the shot's last point, so that the track behind the
    // ball is as long as it gets; the way there is not timed.
    int step = std::max(0, points - 1 - static_cast<int>(state.max_iterations));
    time->setValue(step);
    settle();
    std::vector<double> frames, cpu;
    frames.reserve(state.max_iterations);
    cpu.reserve(state.max_iterations);
    for (auto _ : state) {
        step = std::min(step + 1, points - 1);
        const double cpu0 = threadCpuMs();
        clock.restart();
        time->setValue(step);
        settle();
        frames.push_back(clock.nsecsElapsed() / 1e6);
        cpu.push_back(threadCpuMs() - cpu0);
    }
    if (topPaints.paints == 0 || sidePaints.paints == 0)
        state.SkipWithError("a view was never repainted");
    state.SetLabel(QStringLiteral("window %1x%2, views %3x%4 and %5x%6")
                       .arg(window->width())
                       .arg(window->height())
                       .arg(top->viewport()->width())
                       .arg(top->viewport()->height())
                       .arg(side->viewport()->width())
                       .arg(side->viewport()->height())
                       .toStdString());
    state.counters["open_ms"] = openMs;
    state.counters["p50_ms"] = percentile(frames, 0.50);
    state.counters["p99_ms"] = percentile(frames, 0.99);
    state.counters["max_ms"] = percentile(frames, 1.0);
    // The main thread's own time: what a frame costs when no other program
    // competes for the processor.
    state.counters["cpu_p99_ms"] = percentile(cpu, 0.99);
    state.counters["paints"] =
        static_cast<double>(std::min(topPaints.paints, sidePaints.paints)) / frames.size();
    window.reset();
}
// The whole default shot; the last 3000 steps of the million.
BENCHMARK(BM_ReplayFrame)->Arg(12463)->Iterations(12462)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayFrame)->Arg(1000000)->Iterations(3000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    workDir = &dir;
    // The window's settings go to the scratch directory, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    // A screen the window fits on at its default size (the offscreen
    // screen is 800 x 600 unless told otherwise).
    QFile screen(dir.filePath(QStringLiteral("screen.json")));
    if (!screen.open(QIODevice::WriteOnly))
        return 1;
    screen.write(
        R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 800}]})");
    screen.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen.fileName()));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmoor"));
    QCoreApplication::setApplicationName(QStringLiteral("Parview replay bench"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
