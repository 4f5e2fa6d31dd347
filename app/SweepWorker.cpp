#include "SweepWorker.h"

#include <QThread>
#include <exception>

using quillmoor::lab::SweepRow;

SweepWorker::SweepWorker(QObject* parent) : QObject(parent) {}

SweepWorker::~SweepWorker()
{
    // The receivers may be half destroyed already: the thread is joined quietly.
    quiet = true;
    if (thread) {
        cancelFlag = true;
        thread->wait();
        delete thread;
    }
}

void SweepWorker::setThinner(Thinner t)
{
    thinner = std::move(t);
}

void SweepWorker::setRowSink(RowSink s)
{
    sink = std::move(s);
}

bool SweepWorker::start(const SwingModel& source, quillmoor::lab::SweepPlan newPlan)
{
    if (thread)
        return false;
    model = source;
    model.notifyEnabled = false;
    plan = std::move(newPlan);
    if (!plan.holes)
        plan.holes = holeCatalogue(); // here, on the thread that owns it
    cancelFlag = false;
    lastOutcome = {};
    failure.clear();
    {
        std::lock_guard<std::mutex> lock(mutex);
        rows.clear();
        rowsSignalled = false;
        const std::size_t points = plan.grid.size();
        stride = (points + maxTraces - 1) / maxTraces;
        if (stride == 0)
            stride = 1;
        traces.assign(thinner ? (points + stride - 1) / stride : 0, SweepTrace());
    }
    QThread* t = QThread::create([this] { run(); });
    thread = t;
    // Queued: QThread::finished comes from the ending thread, after every
    // row it sent, and a stale one of an earlier run is told apart.
    connect(t, &QThread::finished, this, [this, t] { threadEnded(t); });
    t->start();
    return true;
}

void SweepWorker::cancel()
{
    cancelFlag = true;
}

void SweepWorker::stop()
{
    if (!thread)
        return;
    cancelFlag = true;
    threadEnded(thread);
}

void SweepWorker::threadEnded(QThread* ended)
{
    if (ended != thread)
        return; // already reported by stop()
    thread->wait();
    thread->deleteLater();
    thread = nullptr;
    emit rowsAvailable();
    emit finished();
}

std::vector<SweepRow> SweepWorker::takeRows()
{
    std::lock_guard<std::mutex> lock(mutex);
    rowsSignalled = false;
    return std::exchange(rows, {});
}

SweepTraceList SweepWorker::takeTraces()
{
    std::lock_guard<std::mutex> lock(mutex);
    return std::exchange(traces, {});
}

void SweepWorker::run()
{
    quillmoor::lab::SweepHooks hooks;
    hooks.cancel = &cancelFlag;
    hooks.row = [this](const SweepRow& row) {
        bool signal = false;
        {
            std::lock_guard<std::mutex> lock(mutex);
            rows.push_back(row);
            signal = !rowsSignalled;
            rowsSignalled = true;
        }
        // Once per batch: the receiver takes every row that came meanwhile.
        if (signal && !quiet)
            emit rowsAvailable();
    };
    if (sink)
        hooks.row = sink; // instead: the rows are the sink's
    hooks.progress = [this](std::size_t done, std::size_t total) {
        if (!quiet)
            emit progress(done, total);
    };
    if (thinner) {
        hooks.afterRun = [this](std::size_t gridIndex, const SwingModel& m, bool ok) {
            if (!ok || gridIndex % stride != 0)
                return;
            SweepTrace trace = thinner(m.currentShot());
            std::lock_guard<std::mutex> lock(mutex);
            traces[gridIndex / stride] = std::move(trace);
        };
    }
    try {
        lastOutcome = quillmoor::lab::runSweep(model, plan, hooks);
    } catch (const std::exception& e) {
        failure = tr("The sweep stopped: %1").arg(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        failure = tr("The sweep stopped on an unexpected error.");
    }
}
