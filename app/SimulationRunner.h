#pragma once
// Runs Trajex for the window. In a shown window the child runs while the
// event loop goes on (the window repaints and can be closed) and finished()
// reports the outcome; a hidden window (batch mode) waits for it instead.
// At most one child runs at a time; cancel() or destroying the runner kills
// and reaps it.

#include "SimulatorRun.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class SimulationRunner : public QObject
{
    Q_OBJECT

public:
    explicit SimulationRunner(QObject* parent = nullptr);
    ~SimulationRunner() override;

    // Where Trajex is looked for (beside the running program) and the time
    // it is given to start and to finish; tests point these elsewhere.
    QString programDir;
    int startLimitMs = simrun::startLimitMs;
    int finishLimitMs = simrun::finishLimitMs;

    // Blocks until the child has ended, for a caller without an event loop.
    simrun::Outcome runAndWait(const simrun::WorkFiles& files, const QString& mode) const;

    // Starts the child and returns at once; finished() follows exactly once
    // unless cancel() comes first. Ignored while a child runs.
    void start(const simrun::WorkFiles& files, const QString& mode);
    bool isRunning() const { return !process.isNull(); }
    // Kills and reaps a running child; finished() is not emitted.
    void cancel();

    // The text for a child stopped at the finish limit.
    static QString tooLong(int limitMs);

signals:
    // The files of the run, for reading its output.
    void finished(const simrun::Outcome& outcome, const simrun::WorkFiles& files);

private:
    void onLimit();
    void onExited(int exitCode, QProcess::ExitStatus status);
    void onError(QProcess::ProcessError error);
    // Ends the run: reaps the child and reports (unless cancelled).
    void end(const simrun::Outcome& outcome, bool report);

    QPointer<QProcess> process;
    QTimer limit;
    bool started = false;
    simrun::WorkFiles files;
    QString mode;
};
