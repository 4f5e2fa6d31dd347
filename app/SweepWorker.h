#pragma once
// Runs a sweep (quillmoor::lab::runSweep) on a thread of its own, so that the
// window stays responsive: the rows, the progress and the end come to the
// thread that owns the worker through queued signals, and the paths of the
// shots, thinned for drawing, are kept for the views.
//
// The sweep works on copies of the model and of the hole catalogue made by
// start(), so nothing the window does meanwhile reaches it. cancel() asks it
// to stop between points; stop() also waits for the thread and reports the
// end before it returns.

#include "Sweep.h"
#include "SwingModel.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class QThread;

using SweepTrace = std::vector<Vector3>;
using SweepTraceList = std::vector<SweepTrace>;

class SweepWorker : public QObject
{
    Q_OBJECT

public:
    // The points of a shot's path to keep for drawing; called on the
    // sweep's threads, possibly several at once.
    using Thinner = std::function<SweepTrace(const Trajectory&)>;
    // Paths kept at most: a longer sweep keeps every n-th, evenly spread
    // over the grid, so memory and the views stay within bounds.
    static constexpr std::size_t maxTraces = 2000;

    explicit SweepWorker(QObject* parent = nullptr);
    // Stops a run and waits for it, without reporting anything.
    ~SweepWorker() override;

    // Without one (the default) no paths are kept.
    void setThinner(Thinner thinner);
    // Rows handed to a sink instead of kept for takeRows(): called on the
    // sweep's thread, in grid order, so that a long run keeps only what the
    // sink keeps. Set it while no sweep runs.
    using RowSink = std::function<void(const quillmoor::lab::SweepRow&)>;
    void setRowSink(RowSink sink);

    bool isRunning() const { return thread != nullptr; }
    // Starts plan on a copy of model; false when a sweep runs already.
    bool start(const SwingModel& model, quillmoor::lab::SweepPlan plan);
    // Asks the running sweep to stop; returns at once.
    void cancel();
    // Asks it to stop, waits for the thread, and reports the last rows and
    // the end (finished()) before returning. Nothing when none runs.
    void stop();

    // The rows that came since the last call, in grid order.
    std::vector<quillmoor::lab::SweepRow> takeRows();
    // After finished(): how the run ended, and why it failed ("" if it did not).
    const quillmoor::lab::SweepOutcome& outcome() const { return lastOutcome; }
    const QString& error() const { return failure; }
    // After finished(): the kept paths, each grid point's at index
    // gridIndex / traceStride() (empty for a point refused or not run).
    SweepTraceList takeTraces();
    std::size_t traceStride() const { return stride; }

signals:
    void rowsAvailable();
    void progress(qulonglong done, qulonglong total);
    void finished();

private:
    void run(); // on the sweep's thread
    void threadEnded(QThread* ended);

    Thinner thinner;
    RowSink sink;
    SwingModel model{false};
    quillmoor::lab::SweepPlan plan;
    QThread* thread = nullptr;
    std::atomic<bool> cancelFlag{false};
    std::atomic<bool> quiet{false}; // being destroyed: the sweep's threads send nothing

    std::mutex mutex; // guards what follows, shared with the sweep's threads
    std::vector<quillmoor::lab::SweepRow> rows;
    bool rowsSignalled = false;
    SweepTraceList traces;
    std::size_t stride = 1;

    quillmoor::lab::SweepOutcome lastOutcome;
    QString failure;
};
