#include "SimulationRunner.h"

namespace {


} // namespace

SimulationRunner::SimulationRunner(QObject* parent)
    : QObject(parent), programDir(simrun::programDir())
{
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, this, &SimulationRunner::onLimit);
}

SimulationRunner::~SimulationRunner()
{
    cancel();
}

simrun::Outcome SimulationRunner::runAndWait(const simrun::WorkFiles& files,
                                             const QString& mode) const
{
    const simrun::Outcome outcome =
        simrun::execute(programDir, files, mode, startLimitMs, finishLimitMs);
    if (outcome.ok)
        simrun::claim(files.output);
    return outcome;
}

QString SimulationRunner::tooLong(int limitMs)
{
    return simrun::tooLong(limitMs);
}

void SimulationRunner::start(const simrun::WorkFiles& runFiles, const QString& runMode)
{
    if (isRunning())
        return;
    files = runFiles;
    mode = runMode;
    started = false;
    process = new QProcess(this);
    connect(process, &QProcess::started, this, [this] {
        started = true;
        limit.start(finishLimitMs);
    });
    connect(process, &QProcess::finished, this, &SimulationRunner::onExited);
    connect(process, &QProcess::errorOccurred, this, &SimulationRunner::onError);
    limit.start(startLimitMs);
    process->start(programDir + QStringLiteral("/Trajex"), simrun::arguments(files, mode),
                   QIODevice::ReadWrite);
}

void SimulationRunner::cancel()
{
    if (isRunning())
        end({false, QString()}, false);
}

void SimulationRunner::onLimit()
{
    if (!isRunning())
        return;
    if (!started)
        end({false, simrun::launchFailure(programDir, files, mode)}, true);
    else
        end({false, tooLong(finishLimitMs)}, true);
}

void SimulationRunner::onExited(int exitCode, QProcess::ExitStatus status)
{
    if (!isRunning())
        return;
    end(simrun::judge(status, exitCode, process->readAllStandardError(),
                      process->readAllStandardOutput(), files),
        true);
}

void SimulationRunner::onError(QProcess::ProcessError error)
{
    // A child that started and then failed also ends through finished().
    if (error == QProcess::FailedToStart && isRunning())
        end({false, simrun::launchFailure(programDir, files, mode)}, true);
}

void SimulationRunner::end(const simrun::Outcome& outcome, bool report)
{
    limit.stop();
    QProcess* child = process;
    process = nullptr;
    child->disconnect(this);
    if (child->state() != QProcess::NotRunning) {
        // Stopped early: nothing it may still write is trusted, and it is
        // not left behind as a zombie. Asked first, so that it can remove
        // the half-written file it would have renamed into place.
        simrun::stop(*child);
    }
    child->deleteLater();
    if (outcome.ok)
        simrun::claim(files.output); // this run's own, to be written over by the next
    if (report)
        emit finished(outcome, files);
}
