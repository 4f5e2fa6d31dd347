#include "SweepEstimate.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

using quillmoor::lab::SweepAxis;
using quillmoor::lab::SweepGrid;

SweepEstimate::SweepEstimate(QObject* parent) : QObject(parent) {}

SweepEstimate::~SweepEstimate()
{
    if (thread) {
        cancel = true;
        thread->wait();
        delete thread;
    }
}

SweepGrid SweepEstimate::sample(const SweepGrid& grid)
{
    std::vector<SweepAxis> axes;
    for (const SweepAxis& axis : grid.axes()) {
        // The values are FROM + i * STEP; only three of them are needed.
        const std::size_t n = axis.values.size();
        SweepAxis a;
        a.key = axis.key;
        a.from = axis.from;
        a.step = axis.step;
        if (n > 0)
            for (const std::size_t i : {std::size_t(0), n / 2, n - 1})
                a.values.push_back(axis.from + static_cast<double>(i) * axis.step);
        a.values.erase(std::unique(a.values.begin(), a.values.end()), a.values.end());
        a.to = a.values.empty() ? a.from : a.values.back();
        axes.push_back(std::move(a));
    }
    SweepGrid sampled;
    std::string error;
    sampled.setAxes(std::move(axes), error); // fewer points than the grid: always taken
    return sampled;
}

void SweepEstimate::measure(const SwingModel& model, const SweepGrid& grid,
                            quillmoor::ShotMode mode)
{
    pending.model = model;
    pending.model.notifyEnabled = false;
    pending.plan = quillmoor::lab::SweepPlan();
    pending.plan.grid = sample(grid);
    pending.plan.mode = mode;
    pending.plan.jobs = 1;
    pending.plan.holes = holeCatalogue(); // on the thread that owns it
    hasPending = true;
    if (thread)
        cancel = true; // its result would be for another grid
    else
        start();
}

void SweepEstimate::start()
{
    running = std::move(pending);
    hasPending = false;
    cancel = false;
    QThread* t = QThread::create([this] {
        quillmoor::lab::SweepHooks hooks;
        hooks.cancel = &cancel;
        const auto begin = std::chrono::steady_clock::now();
        std::size_t done = 0;
        try {
            done = quillmoor::lab::runSweep(running.model, running.plan, hooks).done;
        } catch (...) {
            done = 0; // no estimate from a sweep that failed
        }
        measuredSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        measuredShots = done;
    });
    thread = t;
    connect(
        t, &QThread::finished, this, [this, t] { ended(t); }, Qt::QueuedConnection);
    t->start();
}

void SweepEstimate::ended(QThread* which)
{
    if (which != thread)
        return;
    thread->wait();
    thread->deleteLater();
    thread = nullptr;
    const bool current = !cancel && measuredShots > 0;
    if (current)
        perShot = measuredSeconds / static_cast<double>(measuredShots);
    if (hasPending)
        start();
    else if (current)
        emit measured();
}

double SweepEstimate::secondsFor(std::size_t points) const
{
    // runSweep's default: a thread per processor, no more than there are points.
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1,
                                                        std::max<std::size_t>(points, 1));
    return perShot * static_cast<double>(points) / static_cast<double>(threads);
}

QString SweepEstimate::durationText(double seconds)
{
    const auto tr = [](const char* text) {
        return QCoreApplication::translate("SweepEstimate", text);
    };
    const double minutes = seconds / 60;
    if (minutes < 1.5)
        return tr("about a minute");
    if (minutes < 60)
        return tr("about %1 minutes").arg(std::lround(minutes));
    const double hours = minutes / 60;
    if (hours < 48) {
        // To ten minutes: an estimate is no more precise than that.
        const long tens = std::lround(minutes / 10);
        const long h = tens / 6, m = tens % 6 * 10;
        const QString hourText = h == 1 ? tr("1 hour") : tr("%1 hours").arg(h);
        return m == 0 ? tr("about %1").arg(hourText)
                      : tr("about %1 %2 minutes").arg(hourText).arg(m);
    }
    return tr("about %1 days").arg(std::lround(hours / 24));
}
