#include "ShotPlayer.h"

#include "FilePath.h"
#include "ModelFile.h"
#include "PhysicsChoice.h"
#include "ReplayControl.h"
#include "RunLock.h"
#include "ShotDataPanel.h"
#include "ShotSummary.h"
#include "SideScene.h"
#include "SimulationRunner.h"
#include "SimulatorRun.h"
#include "TopScene.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

ShotPlayer::ShotPlayer(SwingModel& model, const Parts& parts, QWidget* window)
    : QObject(window), model(model), parts(parts), window(window),
      runner(new SimulationRunner(this))
{
    connect(parts.replay, &ReplayControl::ended, this, &ShotPlayer::showNumbersAfterReplay);
    connect(runner, &SimulationRunner::finished, this,
            [this](const simrun::Outcome& outcome, const simrun::WorkFiles& files) {
                this->parts.lock->setBusy(false);
                completeRun(outcome, files);
            });
}

void ShotPlayer::run()
{
    if (runner->isRunning())
        return; // one run at a time
    parts.replay->stop();

    const bool visible = window->isVisible();
    simrun::WorkFiles files = simrun::workFiles(filepath::fromPath(model.fileName), visible);
    const QString mode = parts.physics->trajexMode();
    runPhysics = parts.physics->physics();

    if (!simrun::writeInput(model, files)) {
        emit error(tr("Unable to write input file: ") + files.input);
        return;
    }
    if (visible && (QApplication::queryKeyboardModifiers() & Qt::ControlModifier))
        QMessageBox::information(window, tr("File written"),
                                 tr("Inspect the input file and click Ok to continue:\n  ") +
                                     files.input,
                                 QMessageBox::Ok);

    if (!visible) {
        // Batch mode: nothing else to do meanwhile.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const simrun::Outcome outcome = runner->runAndWait(files, mode);
        QApplication::restoreOverrideCursor();
        completeRun(outcome, files);
        return;
    }
    parts.lock->setBusy(true);
    runner->start(files, mode);
}

void ShotPlayer::cancel()
{
    runner->cancel();
}

void ShotPlayer::completeRun(const simrun::Outcome& outcome, const simrun::WorkFiles& files)
{
    if (!outcome.ok) {
        emit error(outcome.error);
        return;
    }
    // Read into a copy, so that output without a result leaves the model,
    // the previous shot and the catalogue as they were.
    SwingModel result(false);
    if (!modelfile::readRunOutput(model, filepath::toPath(files.output), result)) {
        emit error(tr("Unable to read output file: ") + files.output);
        return;
    }
    parts.replay->stop();
    model.adopt(result, HoleSelected | TeeShotChanged | PuttShotChanged);
    (model.PuttEnabled ? puttPhysics : teePhysics) = runPhysics;
    emit newShot();

    if (window->isVisible()) {
        model.setCurrentStep(0);
        replayNewShot();
    } else {
        showShotNumbers();
        model.setCurrentStep(-1);
        parts.top->drawTrajectory(model, QString());
        parts.side->drawTrajectory(model, QString());
    }
    ++shotCount;
    parts.shotCount->setText(tr("Shot count: %1").arg(shotCount));
}

void ShotPlayer::resetCount()
{
    shotCount = 0;
    parts.shotCount->setText(tr("Shot count: %1").arg(shotCount));
}

void ShotPlayer::replayNewShot()
{
    parts.panel->clearCurrentShot(model.PuttEnabled ? quillmoor::ShotKind::Putt
                                                    : quillmoor::ShotKind::Tee);
    parts.verdict->clear();
    numbersAfterReplay = true;
    QTimer::singleShot(0, this, [this] {
        parts.replay->play();
        if (!parts.replay->isUnderWay())
            showNumbersAfterReplay(); // nothing to replay
    });
}

void ShotPlayer::showNumbersAfterReplay()
{
    if (numbersAfterReplay)
        showShotNumbers();
}

void ShotPlayer::showShotNumbers()
{
    numbersAfterReplay = false;
    const std::optional<quillmoor::ShotMode>& made = model.PuttEnabled ? puttPhysics : teePhysics;
    parts.panel->setCurrentShot(model, made ? PhysicsChoice::displayName(*made) : QString());
    // The label ignores its text's width (see the form): a long verdict is
    // cut rather than widening the panel at the views' cost.
    parts.verdict->setText(ShotDataPanel::verdict(model));
}

void ShotPlayer::forgetShotPhysics()
{
    teePhysics.reset();
    puttPhysics.reset();
}
