#include "Parview.h"

#include "BallPlacement.h"
#include "ClubPresets.h"
#include "CommandLine.h"
#include "ControlBinding.h"
#include "DispersionDialog.h"
#include "DispersionOverlay.h"
#include "DispersionSummary.h"
#include "FileCommands.h"
#include "HoleChoice.h"
#include "LogoFitter.h"
#include "PhysicsChoice.h"
#include "PuttReading.h"
#include "ReplayControl.h"
#include "RoomForViews.h"
#include "RunLock.h"
#include "ShotDataDock.h"
#include "ShotDataPanel.h"
#include "ShotPlayer.h"
#include "ShotSummary.h"
#include "SideScene.h"
#include "SweepDialog.h"
#include "SweepOverlay.h"
#include "SweepResults.h"
#include "SweepTraces.h"
#include "TopScene.h"
#include "UnsavedWork.h"
#include "UpdateGuard.h"
#include "WheelNeedsFocus.h"
#include "ui_Parview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>

Parview::Parview(const QStringList& arguments)
    : QMainWindow(nullptr), ui(new Ui::Parview), model(true)
{
    updating = false;
    commandArguments = arguments;

    ui->setupUi(this);
    const bool batch = CommandLine::requested(commandArguments);
    connectControls();
    ui->splitter->setSizes({300, 900});
    // The controls scroll up and down, never sideways (RoomForViews widens
    // them further in a window that is shown).
    ui->controlScroll->setMinimumWidth(ui->controlGroups->minimumSizeHint().width());
    // The elevation view, with the flight, a little taller than the plan.
    ui->splitView->setSizes({298, 405});
    new LogoFitter(ui->label, ui->horizontalLayout_4, ui->infoLayout->sizeHint().height());

    ui->btnSave->addAction(ui->actionSave);
    ui->btnSave->addAction(ui->actionSave_As);
    ui->btnSave->setDefaultAction(ui->actionSave);
    ui->btnOpen->addAction(ui->actionOpen);
    ui->btnOpen->addAction(ui->actionOpen_Results);
    ui->btnOpen->setDefaultAction(ui->actionOpen);
    shotData = new ShotDataDock(this);
    ui->btnShotData->setDefaultAction(shotData->toggleViewAction());

    topScene = new TopScene(ui->topView);
    sideScene = new SideScene(ui->sideView);
    replay = new ReplayControl(this, ui->time, ui->btnAnimate, model, topScene, sideScene);
    connect(ball, &BallPlacement::modeAboutToChange, replay, &ReplayControl::stop);
    // A spread of shots from the old spot is no answer for the new one.
    connect(ball, &BallPlacement::moved, this, [this] {
        if (dispersion)
            dispersion->clearResults();
    });
    // Before the hole changes: nothing may go on moving the slider of a shot
    // that is about to be discarded.
    connect(holes, &HoleChoice::aboutToChange, replay, &ReplayControl::stop);
    // A batch run keeps the physics it always had: what a user chose in the
    // window is not the scripts' business.
    physics = new PhysicsChoice(ui->cmbPhysics,
                                {ui->lblTemperature, ui->sliderTemperature, ui->spinTemperature,
                                 ui->lblAltitude, ui->sliderAltitude, ui->spinAltitude,
                                 ui->lblHumidity, ui->sliderHumidity, ui->spinHumidity},
                                !batch, this);
    // The file commands also have shortcuts of their own.
    lock = new RunLock({ui->btnOpen, ui->btnSave, ui->btnResetAll, ui->grpEnvironment, ui->grpTee,
                        ui->grpPutt, ui->btnResetShot},
                       {ui->actionOpen, ui->actionOpen_Results, ui->actionSave, ui->actionSave_As},
                       this);
    shots = new ShotPlayer(
        model,
        {replay, physics, lock, topScene, sideScene, shotData->panel(), ui->info, ui->infoShot},
        this);
    connect(shots, &ShotPlayer::error, this, &Parview::reportError);
    connect(shots, &ShotPlayer::newShot, this, [this] {
        dispersion->clearResults(); // a new shot: the spread shown was of the old one
    });
    connect(ui->btnSwing, &QPushButton::clicked, shots, &ShotPlayer::run);
    connect(ui->btnPutt, &QPushButton::clicked, shots, &ShotPlayer::run);
    connect(ui->btnResetShot, &QToolButton::clicked, shots, &ShotPlayer::resetCount);
    sweep = new SweepDialog(model, this);
    // The sweep copies the model at its start; until it ends the controls,
    // the hole list and the other runs wait, as for a swing.
    sweep->setRunGate([this] { return lock->refusal(); });
    sweep->setTraceThinner(&thinTrace);
    sweepOverlay = new SweepOverlay(topScene, sideScene, this);
    connect(sweep, &SweepDialog::runningChanged, this, [this](bool on) {
        lock->setBusy(on);
        if (on)
            sweepOverlay->clear(); // the next sweep's paths replace these
    });
    connect(sweep, &SweepDialog::tracesReady, sweepOverlay, &SweepOverlay::show);
    connect(ui->btnSweep, &QPushButton::clicked, sweep, &SweepDialog::present);
    sweep->setPhysics([choice = physics] { return choice->physics(); });
    clubs = new ClubPresets(model, {ui->cmbBag, ui->cmbClub, ui->btnSaveToBag}, this);
    shotData->panel()->showSweep(sweep->results());
    // Dispersion... as Sweep...: the controls wait while it runs; its points
    // go over the plan view and its summary into the panel.
    dispersion = new DispersionDialog(model, this);
    dispersion->setRunGate([this] { return lock->refusal(); });
    dispersion->setPhysics([choice = physics] { return choice->physics(); });
    auto* dispersionOverlay = new DispersionOverlay(topScene, this);
    auto* dispersionSummary = new DispersionSummary;
    shotData->panel()->addSection(dispersionSummary);
    connect(dispersion, &DispersionDialog::runningChanged, lock, &RunLock::setBusy);
    connect(dispersion, &DispersionDialog::resultsCleared, dispersionOverlay,
            &DispersionOverlay::clear);
    connect(dispersion, &DispersionDialog::resultsCleared, dispersionSummary,
            &DispersionSummary::clear);
    connect(ui->btnDispersion, &QPushButton::clicked, dispersion, &DispersionDialog::present);
    // Scrolling the panel, or the window past the replay slider, changes no value.
    WheelNeedsFocus::installOnValueControls(this);
    auto* reading = new PuttReading(model, topScene,
                                    {ui->btnRead,
                                     ui->spinPuttClubSpeed,
                                     ui->spinPuttTargetAngle,
                                     ui->info,
                                     {ui->topView, ui->sideView}},
                                    this);
    // After a read, Make % asks how often its putt drops; the answer goes
    // with the read.
    connect(reading, &PuttReading::holingReadChanged, ui->btnMakePercent, &QWidget::setEnabled);
    connect(ui->btnMakePercent, &QPushButton::clicked, dispersion, &DispersionDialog::makePercent);
    connect(dispersion, &DispersionDialog::finished, this,
            [dispersionOverlay, dispersionSummary, reading](
                const std::shared_ptr<const DispersionRun>& run, bool makePercent) {
                dispersionOverlay->show(*run);
                dispersionSummary->setRun(*run);
                // Without a full stop, as the read's own lines: two lines of
                // the panel for the usual spread of speed and aim.
                if (makePercent && run->stats.shots > 0)
                    reading->sayAboutRead(
                        run->stats.ran > 0 ? QString::fromStdString(run->verdict())
                                           : tr("No putt could be run: %1")
                                                 .arg(QString::fromStdString(run->firstRefusal)));
            });

    holes->fill();
    modelChanged(model, AllChanged);
    static_cast<SwingModelListener*>(topScene)->modelChanged(model, AllChanged);
    static_cast<SwingModelListener*>(sideScene)->modelChanged(model, AllChanged);
    shots->resetCount();
    unsaved = std::make_unique<UnsavedWork>(model);
    connectFiles();

    if (!batch) {
        shotData->restore(); // the batch images show the views alone
        // The room of a window people use; the batch images keep their size.
        auto* room =
            new RoomForViews(this, ui->splitter, ui->controlScroll, ui->splitView, shotData);
        room->fitScreen();
    }
    if (!commandArguments.isEmpty()) {
        // Lays out the hidden window, so that the views have their sizes
        // before a batch run renders them. Rendering does the layout for the
        // whole window whatever it paints; one pixel is painted.
        QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
        render(&scratch, QPoint(), QRegion(0, 0, 1, 1));
        CommandLine(model, fileCommands, {topScene, sideScene, ui->splitView, ui->infoDist},
                    {[this](bool putt) {
                         ui->info->clear();
                         model.setPuttEnabled(putt);
                     },
                     [this] { shots->run(); }, [this] { ball->updateDistance(); }},
                    messageLog, nullptr)
            .process(commandArguments);
        // An interactive window shows what went wrong once it is up.
        if (!batch)
            startupMessages = messageLog;
    }
    if (!batch && !clubs->problems().isEmpty())
        startupMessages << (clubs->problems().size() == 1
                                ? tr("A bag of clubs cannot be used; the others can, and "
                                     "nothing is written over it:\n")
                                : tr("These bags of clubs cannot be used; the others can, and "
                                     "nothing is written over them:\n")) +
                               clubs->problems().join(QLatin1Char('\n'));
}

Parview::~Parview()
{
    shots->cancel();
    delete ui;
}

void Parview::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (startupMessages.isEmpty())
        return;
    const QString text = startupMessages.join(QLatin1Char('\n'));
    startupMessages.clear();
    QTimer::singleShot(0, this, [this, text] { reportError(text); });
}

void Parview::closeEvent(QCloseEvent* event)
{
    sweep->cancelRun();
    sweep->hide();
    dispersion->cancelRun();
    dispersion->hide();
    shots->cancel();
    lock->setBusy(false);
    replay->stop();
    QMainWindow::closeEvent(event);
}

void Parview::connectControls()
{
    for (QSlider* slider : ui->controlPanel->findChildren<QSlider*>())
        connect(slider, &QSlider::valueChanged, this, &Parview::onSliderChanged);
    for (QDoubleSpinBox* spin : ui->controlPanel->findChildren<QDoubleSpinBox*>())
        connect(spin, &QDoubleSpinBox::valueChanged, this,
                qOverload<double>(&Parview::onSpinnerChanged));
    for (QSpinBox* spin : {ui->spinTeeBackSpin, ui->spinTeeZSpin})
        connect(spin, &QSpinBox::valueChanged, this, qOverload<int>(&Parview::onSpinnerChanged));
    holes = new HoleChoice(model, ui->cmbHoleId, this);
    connect(holes, &HoleChoice::chosen, this, &Parview::onHoleChosen);
    connect(holes, &HoleChoice::redefined, this, &Parview::discardRuns);
    connect(holes, &HoleChoice::customized, this, [this] {
        shots->resetCount();
        modelChanged(model, WindChanged | GreenChanged);
        shots->showShotNumbers(); // the shot stays, the hole it is measured against may not
    });
    connect(ui->dialWindDir, &QDial::valueChanged, this, &Parview::onDirectionChanged);
    ball = new BallPlacement(model, updating,
                             {ui->edtBallPosX, ui->edtBallPosY, ui->edtBallPosZ, ui->grpPutt,
                              ui->btnSwing, ui->info, ui->infoDist, ui->controlScroll},
                             this);
    connect(ui->time, &QSlider::valueChanged, this, &Parview::onTimeChanged);
    connect(ui->btnAnimate, &QToolButton::clicked, this, &Parview::onAnimate);
    connect(ui->btnResetAll, &QToolButton::clicked, this, &Parview::onResetAll);
}

void Parview::connectFiles()
{
    fileCommands = new FileCommands(model, *unsaved, this);
    connect(ui->actionOpen, &QAction::triggered, fileCommands, &FileCommands::open);
    connect(ui->actionOpen_Results, &QAction::triggered, fileCommands,
            &FileCommands::openResultsFile);
    connect(ui->actionSave, &QAction::triggered, fileCommands, &FileCommands::save);
    connect(ui->actionSave_As, &QAction::triggered, fileCommands, &FileCommands::saveAs);
    connect(fileCommands, &FileCommands::error, this, &Parview::reportError);
    // A refused file leaves the model as it was; the list still shows the
    // catalogue.
    connect(fileCommands, &FileCommands::refused, holes, &HoleChoice::fill);
    connect(fileCommands, &FileCommands::aboutToReplaceModel, this, [this] {
        replay->stop();
        discardRuns();
        shots->forgetShotPhysics(); // a file does not say which physics made its shots
    });
    connect(fileCommands, &FileCommands::modelReplaced, this, [this] {
        holes->fill();
        shots->showShotNumbers();
        topScene->drawTrajectory(model, QString());
        sideScene->drawTrajectory(model, QString());
    });
    connect(fileCommands, &FileCommands::resultsOpened, this,
            [this](const QString& label, const SwingModel& results) {
                topScene->drawTrajectory(results, label);
                sideScene->drawTrajectory(results, label);
                shotData->panel()->addComparison(label, results);
                ui->topView->viewport()->update();
                ui->sideView->viewport()->update();
            });
}

// ---- the model's side of the controls

void Parview::modelChanged(SwingModel& m, ChangeFlags flags)
{
    if (updating || &m != &model)
        return;
    UpdateGuard guard(updating);

    if (flags & (BallChanged | PuttModeChanged)) {
        ball->showBall();
        const int n = model.currentStepCount();
        {
            // Without a shot the disabled handle rests at the start.
            const QSignalBlocker blocker(ui->time);
            ui->time->setRange(0, std::max(n - 1, 0));
            ui->time->setValue(n > 0 ? model.currentStep() : 0);
        }
        ui->time->setEnabled(n >= 1);
        ui->btnAnimate->setEnabled(n >= 1);
    }
    // The distance depends on the ball, the mode and where the hole is.
    if (flags & (BallChanged | PuttModeChanged | HoleChanged))
        ball->updateDistance();
    if (flags & WindChanged)
        binding::showValues(this, model,
                            {QStringLiteral("WindSpeed"), QStringLiteral("WindDir"),
                             QStringLiteral("Temperature"), QStringLiteral("Altitude"),
                             QStringLiteral("Humidity")});
    if (flags & GreenChanged)
        binding::showValues(
            this, model,
            {QStringLiteral("GreenXRot"), QStringLiteral("GreenYRot"), QStringLiteral("GreenRho")});
    if (flags & TeeShotChanged)
        binding::showValues(this, model,
                            {QStringLiteral("TeeLaunchAngle"), QStringLiteral("TeeTargetAngle"),
                             QStringLiteral("TeeClubSpeed"), QStringLiteral("TeeBackSpin"),
                             QStringLiteral("TeeZSpin")});
    if (flags & PuttShotChanged)
        binding::showValues(this, model,
                            {QStringLiteral("PuttTargetAngle"), QStringLiteral("PuttClubSpeed")});
}

void Parview::applyControl(const QString& name)
{
    if (updating || name.isEmpty())
        return;
    const QString key = binding::keyOfControl(name);
    auto* widget = findChild<QWidget*>(name);
    const double value = widget ? binding::modelValueOf(widget) : 0.0;

    UpdateGuard guard(updating);
    model.setValue(key.toStdString(), value);

    if (widget && model.keepBallOnGround(key.toStdString()))
        ball->retypeHeight();
}

// ---- control slots

void Parview::onSliderChanged(int)
{
    applyControl(binding::syncSpinFromSlider(this, qobject_cast<QSlider*>(sender())));
}

void Parview::onSpinnerChanged(double)
{
    auto* spin = qobject_cast<QAbstractSpinBox*>(sender());
    if (!spin)
        return;
    binding::syncSliderFromSpin(this, spin);
    applyControl(spin->objectName());
}

void Parview::onSpinnerChanged(int)
{
    onSpinnerChanged(0.0); // the same work: the value is read from the sender
}

void Parview::onDirectionChanged(int)
{
    applyControl(ui->dialWindDir->objectName());
}

void Parview::onHoleChosen()
{
    applyControl(ui->cmbHoleId->objectName());
    shots->forgetShotPhysics();
    discardRuns();
    holes->fill();
    shots->resetCount();
    shots->showShotNumbers();
    // A new hole also discards the shot, so the ball fields and the replay
    // controls are refreshed along with the wind and green.
    modelChanged(model, WindChanged | GreenChanged | BallChanged);
}

// ---- the replay

void Parview::onAnimate()
{
    replay->toggle();
}

void Parview::onTimeChanged(int step)
{
    model.setCurrentStep(step);
}

void Parview::discardRuns()
{
    sweep->clearResults();
    sweepOverlay->clear();
    dispersion->clearResults();
}

void Parview::reportError(const QString& text)
{
    if (isVisible())
        QMessageBox::critical(this, tr("Error"), text, QMessageBox::Ok);
    else
        messageLog << text;
}

// ---- file commands

void Parview::onResetAll()
{
    // Nobody to ask in a window that is not shown.
    if (isVisible() && !unsaved->confirmReset(this, model))
        return;
    replay->stop();
    model.reset();
    shots->forgetShotPhysics();
    unsaved->markReset(model);
    holes->fill();
    discardRuns(); // before the traces they draw among go
    topScene->clearTraces();
    sideScene->clearTraces();
    shotData->panel()->clearComparisons();
    shots->resetCount();
    shots->showShotNumbers();
}

void Parview::loadModel(const QString& name)
{
    fileCommands->loadModel(name);
}

void Parview::openResults(const QString& name)
{
    fileCommands->openResults(name);
}
