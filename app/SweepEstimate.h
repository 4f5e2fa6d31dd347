#pragma once
// How long a sweep would take on this machine, before it runs: a few points
// of its grid (the first, middle and last value of each key, in every
// combination) are run on a thread of their own and timed, so the window
// never waits for the estimate. The time per shot times the grid's points,
// shared among the threads a sweep uses, is the estimate.

#include "ShotRun.h"
#include "Sweep.h"
#include "SwingModel.h"

#include <QObject>
#include <QString>
#include <atomic>

class QThread;

class SweepEstimate : public QObject
{
    Q_OBJECT

public:
    explicit SweepEstimate(QObject* parent = nullptr);
    // Stops a measurement under way and waits for it (a few shots at most).
    ~SweepEstimate() override;

    // Times a sample of grid's points on a copy of model; measured() follows.
    // A measurement under way is stopped and this one runs after it.
    void measure(const SwingModel& model, const quillmoor::lab::SweepGrid& grid,
                 quillmoor::ShotMode mode);
    bool isMeasuring() const { return thread != nullptr; }
    // The last measurement: seconds per shot on one thread (0 before one).
    double secondsPerShot() const { return perShot; }
    // The seconds a grid of points would take, on the threads a sweep uses.
    double secondsFor(std::size_t points) const;

    // The points of grid a measurement runs: first, middle and last values.
    static quillmoor::lab::SweepGrid sample(const quillmoor::lab::SweepGrid& grid);
    // "about 2 minutes", "about 3 hours 20 minutes", "about 4 days".
    static QString durationText(double seconds);

signals:
    void measured();

private:
    struct Request
    {
        SwingModel model{false};
        quillmoor::lab::SweepPlan plan;
    };
    void start();
    void ended(QThread* which);

    QThread* thread = nullptr;
    std::atomic<bool> cancel{false};
    Request running;
    Request pending;
    bool hasPending = false;
    double measuredSeconds = 0; // of the run under way, set on its thread
    std::size_t measuredShots = 0;
    double perShot = 0;
};
