#include "Parview.h"

#include "ClubPresets.h"
#include "ControlBinding.h"
#include "DispersionDialog.h"
#include "DispersionOverlay.h"
#include "DispersionSummary.h"
#include "ModelFile.h"
#include "PhysicsChoice.h"
#include "PngFile.h"
#include "PuttReading.h"
#include "ReplayControl.h"
#include "RoomForViews.h"
#include "SaveLocation.h"
#include "ShotDataDock.h"
#include "ShotDataPanel.h"
#include "ShotSummary.h"
#include "SideScene.h"
#include "SimulationRunner.h"
#include "SimulatorRun.h"
#include "SweepDialog.h"
#include "SweepOverlay.h"
#include "SweepResults.h"
#include "SweepTraces.h"
#include "TopScene.h"
#include "UnsavedWork.h"
#include "WheelNeedsFocus.h"
#include "ui_Parview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDoubleValidator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <cerrno>

namespace {

// Sets a bool for a scope and gives it back its earlier value, so that the
// window's own writes into the model do not come back into its controls.
class UpdateGuard
{
public:
    explicit UpdateGuard(bool& flag) : flag(flag), saved(flag) { flag = true; }
    ~UpdateGuard() { flag = saved; }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;

private:
    bool& flag;
    bool saved;
};

std::string toPath(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

QString fromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString fixed2(double v)
{
    return QString::number(v, 'f', 2);
}

// Start directory of the open dialog for a model without a file: the
// installed examples, else those of the source tree this was built from.
QString examplesDir()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .absoluteFilePath(QStringLiteral("../share/quillmoor/examples"));
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
#ifdef QUILLMOOR_SOURCE_EXAMPLES
    if (QFileInfo(QStringLiteral(QUILLMOOR_SOURCE_EXAMPLES)).isDir())
        return QStringLiteral(QUILLMOOR_SOURCE_EXAMPLES);
#endif
    return QString();
}

// The logo sits beside the texts under the controls, as tall as the room
// there (at most its own size), so that it never makes the panel taller than
// the texts do; its width follows its height.
class LogoFitter : public QObject
{
public:
    // `row` is the layout that holds the label.
    LogoFitter(QLabel* label, QLayout* row, int height)
        : QObject(label), label(label), row(row), logo(label->pixmap())
    {
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
        fit(height);
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == label && event->type() == QEvent::Resize)
            fit(label->height());
        return QObject::eventFilter(watched, event);
    }

private:
    void fit(int height)
    {
        if (logo.isNull() || height <= 0)
            return;
        const QPixmap shown =
            height >= logo.height() ? logo : logo.scaledToHeight(height, Qt::SmoothTransformation);
        if (label->pixmap().size() == shown.size())
            return;
        label->setPixmap(shown);
        label->setFixedWidth(shown.width());
        // A hidden window's layouts do not hear of it by themselves, and the
        // window would first show at the size the original logo asks for.
        row->invalidate();
    }

    QLabel* label;
    QLayout* row;
    QPixmap logo;
};

const char* const environmentControls[] = {
    "windLabel",     "dialWindDir",     "sliderWindSpeed", "spinWindSpeed", "greenLabel",
    "lblXSlope",     "sliderGreenXRot", "spinGreenXRot",   "lblYSlope",     "sliderGreenYRot",
    "spinGreenYRot", "lblGreenRho",     "sliderGreenRho",  "spinGreenRho",
};

} // namespace

Parview::Parview(const QStringList& arguments)
    : QMainWindow(nullptr), ui(new Ui::Parview), model(true)
{
    updating = false;
    shotCount = 0;
    commandArguments = arguments;

    ui->setupUi(this);
    const bool batch = commandArguments.contains(QLatin1String("-swing")) ||
                       commandArguments.contains(QLatin1String("-putt"));
    connectControls();
    ui->splitter->setSizes({300, 900});
    // The controls scroll up and down, never sideways (RoomForViews widens
    // them further in a window that is shown).
    ui->controlScroll->setMinimumWidth(ui->controlGroups->minimumSizeHint().width());
    // The elevation view, with the flight, a little taller than the plan.
    ui->splitView->setSizes({298, 405});
    // Room for the usual distance texts from the start, so that the panel
    // does not change width while the ball moves; updateDistance() widens it
    // for anything longer.
    ui->infoDist->setMinimumWidth(ui->infoDist->fontMetrics().horizontalAdvance(
        tr("Distance to hole: %1 inches").arg(QStringLiteral("8888.88"))));
    new LogoFitter(ui->label, ui->horizontalLayout_4, ui->infoLayout->sizeHint().height());

    // The fields show and read numbers with a point, as the data file does,
    // whatever the user's locale; the validator has to agree with them.
    QLocale pointOnly = QLocale::c();
    pointOnly.setNumberOptions(QLocale::RejectGroupSeparator);
    for (QLineEdit* edit : {ui->edtBallPosX, ui->edtBallPosY, ui->edtBallPosZ}) {
        auto* validator = new QDoubleValidator(edit);
        validator->setLocale(pointOnly);
        edit->setValidator(validator);
        // Wide enough for a position on the course, frame and margins included.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-888.88")) +
                              2 * edit->fontMetrics().averageCharWidth());
    }

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
    connect(replay, &ReplayControl::ended, this, &Parview::showNumbersAfterReplay);
    runner = new SimulationRunner(this);
    connect(runner, &SimulationRunner::finished, this,
            [this](const simrun::Outcome& outcome, const simrun::WorkFiles& files) {
                setBusy(false);
                completeRun(outcome, files);
            });
    sweep = new SweepDialog(model, this);
    // The sweep copies the model at its start; until it ends the controls,
    // the hole list and the other runs wait, as for a swing.
    sweep->setRunGate([this] { return busy ? tr("Wait for the shot under way to end.") : QString(); });
    sweep->setTraceThinner(&thinTrace);
    sweepOverlay = new SweepOverlay(topScene, sideScene, this);
    connect(sweep, &SweepDialog::runningChanged, this, [this](bool on) {
        setBusy(on);
        if (on)
            sweepOverlay->clear(); // the next sweep's paths replace these
    });
    connect(sweep, &SweepDialog::tracesReady, sweepOverlay, &SweepOverlay::show);
    connect(ui->btnSweep, &QPushButton::clicked, sweep, &SweepDialog::present);
    // A batch run keeps the physics it always had: what a user chose in the
    // window is not the scripts' business.
    physics = new PhysicsChoice(ui->cmbPhysics,
                                {ui->lblTemperature, ui->sliderTemperature, ui->spinTemperature,
                                 ui->lblAltitude, ui->sliderAltitude, ui->spinAltitude,
                                 ui->lblHumidity, ui->sliderHumidity, ui->spinHumidity},
                                !batch, this);
    sweep->setPhysics([choice = physics] { return choice->physics(); });
    clubs = new ClubPresets(model, {ui->cmbBag, ui->cmbClub, ui->btnSaveToBag}, this);
    shotData->panel()->showSweep(sweep->results());
    // Dispersion... as Sweep...: the controls wait while it runs; its points
    // go over the plan view and its summary into the panel.
    dispersion = new DispersionDialog(model, this);
    dispersion->setRunGate(
        [this] { return busy ? tr("Wait for the shot under way to end.") : QString(); });
    dispersion->setPhysics([choice = physics] { return choice->physics(); });
    auto* dispersionOverlay = new DispersionOverlay(topScene, this);
    auto* dispersionSummary = new DispersionSummary;
    shotData->panel()->addSection(dispersionSummary);
    connect(dispersion, &DispersionDialog::runningChanged, this, [this](bool on) { setBusy(on); });
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

    fillHoleCombo();
    modelChanged(model, AllChanged);
    static_cast<SwingModelListener*>(topScene)->modelChanged(model, AllChanged);
    static_cast<SwingModelListener*>(sideScene)->modelChanged(model, AllChanged);
    onReset();
    unsaved = std::make_unique<UnsavedWork>(model);

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
        processArguments();
        // An interactive window shows what went wrong once it is up.
        if (!batch)
            startupMessages = messageLog;
    }
    if (!batch && !clubs->problems().isEmpty())
        startupMessages << tr("A bag of clubs cannot be used; the others can, and nothing is "
                              "written over it:\n") +
                               clubs->problems().join(QLatin1Char('\n'));
}

Parview::~Parview()
{
    runner->cancel();
    if (busy)
        QApplication::restoreOverrideCursor();
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
    runner->cancel();
    setBusy(false);
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
    connect(ui->cmbHoleId, &QComboBox::currentIndexChanged, this, &Parview::onHoleChanged);
    connect(ui->dialWindDir, &QDial::valueChanged, this, &Parview::onDirectionChanged);
    for (QLineEdit* edit : {ui->edtBallPosX, ui->edtBallPosY, ui->edtBallPosZ})
        connect(edit, &QLineEdit::textChanged, this, &Parview::onPositionChanged);
    connect(ui->grpPutt, &QGroupBox::toggled, this, &Parview::onSetMode);
    connect(ui->btnSwing, &QPushButton::clicked, this, &Parview::onSwing);
    connect(ui->btnPutt, &QPushButton::clicked, this, &Parview::onPutt);
    connect(ui->time, &QSlider::valueChanged, this, &Parview::onTimeChanged);
    connect(ui->btnAnimate, &QToolButton::clicked, this, &Parview::onAnimate);
    connect(ui->btnResetShot, &QToolButton::clicked, this, &Parview::onReset);
    for (QAction* action :
         {ui->actionOpen, ui->actionOpen_Results, ui->actionSave, ui->actionSave_As})
        connect(action, &QAction::triggered, this, &Parview::onFileBtn);
    connect(ui->btnResetAll, &QToolButton::clicked, this, &Parview::onFileBtn);
}

void Parview::processArguments()
{
    bool swing = false;
    bool putt = false;
    QString swingData;
    QString puttData;
    bool refused = false;
    for (int i = 0; i < commandArguments.size(); ++i) {
        const QString& arg = commandArguments.at(i);
        if (arg == QLatin1String("-swing") || arg == QLatin1String("-putt")) {
            const bool isSwing = arg == QLatin1String("-swing");
            (isSwing ? swing : putt) = true;
            if (i + 1 < commandArguments.size() &&
                !commandArguments.at(i + 1).startsWith(QLatin1Char('-')))
                (isSwing ? swingData : puttData) = commandArguments.at(++i);
        } else if (model.fileName.empty() && QFileInfo(arg).isFile()) {
            // A file that cannot be read is passed over for the next one.
            if (modelfile::examine(toPath(arg)) != modelfile::Verdict::Unreadable) {
                loadModel(arg);
                refused = refused || model.fileName.empty();
            }
        }
    }
    // A batch run whose model was refused runs nothing: pictures and data of
    // the built-in hole would pass for results of the file that was named.
    if (refused && model.fileName.empty() && (swing || putt)) {
        messageLog << tr("Nothing was run: no model file could be loaded.");
        return;
    }

    if (swing) {
        ui->info->clear();
        model.setPuttEnabled(false);
        runSimulation();
        saveImage(QStringLiteral("swing.png"));
        ui->info->clear();
        model.setPuttEnabled(true);
        saveImage(QStringLiteral("swing_puttview.png"));
        if (!swingData.isEmpty())
            writeDataFile(swingData);
    }
    if (putt) {
        ui->info->clear();
        model.setPuttEnabled(true);
        runSimulation();
        saveImage(QStringLiteral("putt.png"));
        if (!puttData.isEmpty())
            writeDataFile(puttData);
    }
}

void Parview::writeDataFile(const QString& name)
{
    // A new file, or a model; whatever else has that name is kept.
    if (QFileInfo::exists(name) &&
        modelfile::examine(toPath(name)) == modelfile::Verdict::NotAModel) {
        messageLog << tr("Not a model data file, so not overwritten: ") + name;
        return;
    }
    model.write(toPath(name), false);
}

// ---- the model's side of the controls

void Parview::modelChanged(SwingModel& m, ChangeFlags flags)
{
    if (updating || &m != &model)
        return;
    UpdateGuard guard(updating);

    if (flags & (BallChanged | PuttModeChanged)) {
        const Vector3 p = model.ballPos();
        const std::pair<QLineEdit*, double> fields[] = {
            {ui->edtBallPosX, p.x}, {ui->edtBallPosY, p.y}, {ui->edtBallPosZ, p.z}};
        for (const auto& [edit, v] : fields) {
            const QSignalBlocker blocker(edit);
            edit->setText(fixed2(binding::toDisplay(edit, v)));
        }
        const int n = model.currentStepCount();
        {
            // Without a shot the disabled handle rests at the start.
            const QSignalBlocker blocker(ui->time);
            ui->time->setRange(0, std::max(n - 1, 0));
            ui->time->setValue(n > 0 ? model.currentStep() : 0);
        }
        ui->time->setEnabled(n >= 1);
        ui->btnAnimate->setEnabled(n >= 1);
        {
            const QSignalBlocker blocker(ui->grpPutt);
            ui->grpPutt->setChecked(model.PuttEnabled);
        }
        ui->btnSwing->setEnabled(!model.PuttEnabled);
    }
    // The distance depends on the ball, the mode and where the hole is.
    if (flags & (BallChanged | PuttModeChanged | HoleChanged))
        updateDistance();
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

    // Tilting the green under a ball waiting for a putt keeps it on the ground.
    if (model.PuttEnabled && widget &&
        (widget == ui->spinGreenXRot || widget == ui->spinGreenYRot)) {
        Vector3 p = model.ballPos();
        p.z = model.groundHeight(p.x, p.y);
        model.setBallPos(p);
        // With its signals active: the field's change stores the rounded z.
        ui->edtBallPosZ->setText(fixed2(p.z));
    }
}

void Parview::fillHoleCombo()
{
    const QSignalBlocker blocker(ui->cmbHoleId);
    ui->cmbHoleId->clear();
    for (int i = 1; i <= SwingModel::holeCount(); ++i)
        ui->cmbHoleId->addItem(tr("Hole #%1").arg(i));
    ui->cmbHoleId->addItem(tr("[ Customize... ]"));
    ui->cmbHoleId->setCurrentIndex(model.hole.HoleId - 1);

    // The built-in holes 1 to 3 come with their own wind and green.
    const bool editable = model.hole.HoleId > 3;
    for (const char* name : environmentControls)
        if (auto* w = findChild<QWidget*>(QLatin1String(name)))
            w->setEnabled(editable);
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

void Parview::onHoleChanged(int index)
{
    // Before the hole changes: nothing may go on moving the slider of a shot
    // that is about to be discarded.
    replay->stop();
    if (index == ui->cmbHoleId->count() - 1) {
        customizeHole();
        return;
    }
    applyControl(ui->cmbHoleId->objectName());
    forgetShotPhysics();
    dispersion->clearResults(); // its points lie on the old hole
    fillHoleCombo();
    onReset();
    showShotNumbers();
    // A new hole also discards the shot, so the ball fields and the replay
    // controls are refreshed along with the wind and green.
    modelChanged(model, WindChanged | GreenChanged | BallChanged);
}

void Parview::onPositionChanged(const QString& text)
{
    Vector3 p = model.ballPos();
    bool ok = false;
    double number = text.toDouble(&ok);
    if (!ok)
        number = 0.0; // "-" or an empty field while the user is typing

    QObject* field = sender();
    if (field == ui->edtBallPosZ) {
        p.z = binding::toModel(field, number);
    } else {
        if (field == ui->edtBallPosX)
            p.x = binding::toModel(field, number);
        else if (field == ui->edtBallPosY)
            p.y = binding::toModel(field, number);
        p.z = model.groundHeight(p.x, p.y);
        const QSignalBlocker blocker(ui->edtBallPosZ);
        ui->edtBallPosZ->setText(fixed2(p.z));
    }
    {
        UpdateGuard guard(updating);
        model.setBallPos(p);
    }
    ui->info->clear();
    updateDistance();
}

void Parview::onSetMode(bool putt)
{
    replay->stop(); // the other mode has its own shot
    ui->info->clear();
    model.setPuttEnabled(putt);
    // On a short screen the putt's buttons lie below the fold: show them as
    // they become usable.
    if (putt)
        ui->controlScroll->ensureWidgetVisible(ui->grpPutt, 0, 0);
}

// ---- running the simulator and the replay

void Parview::onSwing()
{
    runSimulation();
}

void Parview::onPutt()
{
    runSimulation();
}

void Parview::runSimulation()
{
    if (runner->isRunning())
        return; // one run at a time
    replay->stop();

    const bool visible = isVisible();
    simrun::WorkFiles files = simrun::workFiles(fromPath(model.fileName), visible);
    const QString mode = physics->trajexMode();
    runPhysics = physics->physics();

    if (!simrun::writeInput(model, files)) {
        reportError(tr("Unable to write input file: ") + files.input);
        return;
    }
    if (visible && (QApplication::queryKeyboardModifiers() & Qt::ControlModifier))
        QMessageBox::information(this, tr("File written"),
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
    setBusy(true);
    runner->start(files, mode);
}

void Parview::completeRun(const simrun::Outcome& outcome, const simrun::WorkFiles& files)
{
    if (!outcome.ok) {
        reportError(outcome.error);
        return;
    }
    // Read into a copy, so that output without a result leaves the model,
    // the previous shot and the catalogue as they were.
    SwingModel result(false);
    if (!modelfile::readRunOutput(model, toPath(files.output), result)) {
        reportError(tr("Unable to read output file: ") + files.output);
        return;
    }
    replay->stop();
    adopt(result, HoleSelected | TeeShotChanged | PuttShotChanged);
    (model.PuttEnabled ? puttPhysics : teePhysics) = runPhysics;
    dispersion->clearResults(); // a new shot: the spread shown was of the old one

    if (isVisible()) {
        model.setCurrentStep(0);
        replayNewShot();
    } else {
        showShotNumbers();
        model.setCurrentStep(-1);
        topScene->drawTrajectory(model, QString());
        sideScene->drawTrajectory(model, QString());
    }
    ++shotCount;
    ui->infoShot->setText(tr("Shot count: %1").arg(shotCount));
}

void Parview::setBusy(bool on)
{
    if (on == busy)
        return;
    busy = on;
    // Everything the result would overwrite stays as it was written, and
    // nothing starts a second run; the texts and the views stay live.
    QWidget* const locked[] = {ui->btnOpen, ui->btnSave, ui->btnResetAll, ui->grpEnvironment,
                               ui->grpTee,  ui->grpPutt, ui->btnResetShot};
    // The file commands also have shortcuts of their own.
    QAction* const commands[] = {ui->actionOpen, ui->actionOpen_Results, ui->actionSave,
                                 ui->actionSave_As};
    if (on) {
        focusBeforeRun = QApplication::focusWidget();
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    for (QWidget* w : locked)
        w->setEnabled(!on);
    for (QAction* a : commands)
        a->setEnabled(!on);
    if (!on) {
        QApplication::restoreOverrideCursor();
        if (focusBeforeRun && focusBeforeRun->isEnabled() && isActiveWindow())
            focusBeforeRun->setFocus();
    }
}

void Parview::adopt(const SwingModel& replacement, ChangeFlags flags)
{
    model = replacement; // sends nothing
    model.notifyEnabled = true;
    model.notify(flags);
}

void Parview::onAnimate()
{
    replay->toggle();
}

void Parview::onTimeChanged(int step)
{
    model.setCurrentStep(step);
}

void Parview::onReset()
{
    shotCount = 0;
    ui->infoShot->setText(tr("Shot count: %1").arg(shotCount));
}

void Parview::updateDistance()
{
    // As the verdict sees it: a holed ball is no distance from the hole.
    const double d = quillmoor::ballDistanceToHole(model);
    QString text;
    if (model.PuttEnabled) {
        const double feet = d * 3.0;
        if (feet < 1.0)
            text = tr("Distance to hole: %1 inches").arg(fixed2(feet * 12.0));
        else
            text = tr("Distance to hole: %1 feet").arg(fixed2(feet));
    } else {
        text = tr("Distance to hole: %1 yards").arg(fixed2(d));
    }
    ui->infoDist->setText(text);
    // Never cut: the label keeps the widest room it has needed so far.
    const int needed = ui->infoDist->minimumSizeHint().width();
    if (needed > ui->infoDist->minimumWidth())
        ui->infoDist->setMinimumWidth(needed);
}

void Parview::replayNewShot()
{
    shotData->panel()->clearCurrentShot(model.PuttEnabled ? quillmoor::ShotKind::Putt
                                                          : quillmoor::ShotKind::Tee);
    ui->info->clear();
    numbersAfterReplay = true;
    QTimer::singleShot(0, this, [this] {
        replay->play();
        if (!replay->isUnderWay())
            showNumbersAfterReplay(); // nothing to replay
    });
}

void Parview::showNumbersAfterReplay()
{
    if (numbersAfterReplay)
        showShotNumbers();
}

void Parview::showShotNumbers()
{
    numbersAfterReplay = false;
    const std::optional<quillmoor::ShotMode>& made = model.PuttEnabled ? puttPhysics : teePhysics;
    shotData->panel()->setCurrentShot(model, made ? PhysicsChoice::displayName(*made) : QString());
    // The label ignores its text's width (see the form): a long verdict is
    // cut rather than widening the panel at the views' cost.
    ui->info->setText(ShotDataPanel::verdict(model));
}

void Parview::forgetShotPhysics()
{
    teePhysics.reset();
    puttPhysics.reset();
}

void Parview::reportError(const QString& text)
{
    if (isVisible())
        QMessageBox::critical(this, tr("Error"), text, QMessageBox::Ok);
    else
        messageLog << text;
}

// ---- file commands

void Parview::onFileBtn()
{
    QString command = sender() ? sender()->objectName() : QString();
    command.remove(QStringLiteral("btn")).remove(QStringLiteral("action"));

    if (command == QLatin1String("ResetAll")) {
        // Nobody to ask in a window that is not shown.
        if (isVisible() && !unsaved->confirmReset(this, model))
            return;
        replay->stop();
        model.reset();
        forgetShotPhysics();
        unsaved->markReset(model);
        fillHoleCombo();
        sweep->clearResults();
        sweepOverlay->clear();
        dispersion->clearResults(); // before the traces it draws among go
        topScene->clearTraces();
        sideScene->clearTraces();
        shotData->panel()->clearComparisons();
        onReset();
        showShotNumbers();
    } else if (command == QLatin1String("Open") || command == QLatin1String("Open_Results")) {
        const QString start = model.fileName.empty() ? examplesDir() : fromPath(model.fileName);
        const QString name =
            QFileDialog::getOpenFileName(this, tr("Open file..."), start, tr("*.txt *.in *.out"));
        if (name.isEmpty())
            return;
        if (command == QLatin1String("Open_Results"))
            openResults(name);
        else
            loadModel(name);
    } else if (command == QLatin1String("Save") || command == QLatin1String("Save_As")) {
        QString target = fromPath(model.fileName);
        if (command == QLatin1String("Save_As") || target.isEmpty()) {
            target = QFileDialog::getSaveFileName(
                this, tr("Save as..."), savelocation::dialogStart(target), tr("*.txt;;*.in"));
            if (target.isEmpty())
                return;
        }
        saveModelAs(target);
    }
}

void Parview::saveModelAs(const QString& target)
{
    // The model only replaces the file once the whole text is written, so a
    // failure leaves the old file and the old name in place.
    errno = 0;
    if (model.write(toPath(target), false)) {
        model.fileName = toPath(target);
        unsaved->markSaved(model);
    } else {
        const int error = errno;
        reportError(tr("The file could not be written: ") + target + QLatin1Char('\n') +
                    savelocation::failureReason(error));
    }
}

bool Parview::isModelFile(const QString& name)
{
    switch (modelfile::examine(toPath(name))) {
    case modelfile::Verdict::Model:
        return true;
    case modelfile::Verdict::Unreadable:
        reportError(tr("Unable to read file: ") + name);
        return false;
    case modelfile::Verdict::NotAModel:
        reportError(tr("Not a model data file: ") + name);
        return false;
    case modelfile::Verdict::TooLarge:
        reportError(tr("Not a model data file, larger than any model (over %1 MB): ")
                        .arg(modelfile::kMaxModelFileBytes >> 20) +
                    name);
        return false;
    }
    return false;
}

void Parview::loadModel(const QString& name)
{
    // A refused file leaves the model as it was; the list still shows the
    // catalogue.
    SwingModel loaded(false);
    if (!isModelFile(name)) {
        fillHoleCombo();
        return;
    }
    if (!modelfile::loadOver(model, toPath(name), loaded)) {
        reportError(tr("Unable to read file: ") + name);
        fillHoleCombo();
        return;
    }
    replay->stop();
    dispersion->clearResults();
    loaded.fileName = toPath(name);
    forgetShotPhysics(); // a file does not say which physics made its shots
    adopt(loaded, AllChanged);
    unsaved->markSaved(model);
    fillHoleCombo();
    showShotNumbers();
    topScene->drawTrajectory(model, QString());
    sideScene->drawTrajectory(model, QString());
}

void Parview::openResults(const QString& name)
{
    SwingModel results(false);
    if (!isModelFile(name))
        return;
    // Only the trace is wanted: the file's hole stays out of the catalogue.
    if (!modelfile::readDetached(toPath(name), results)) {
        reportError(tr("Unable to read file: ") + name);
        return;
    }
    const QString label = QFileInfo(name).fileName();
    topScene->drawTrajectory(results, label);
    sideScene->drawTrajectory(results, label);
    shotData->panel()->addComparison(label, results);
    ui->topView->viewport()->update();
    ui->sideView->viewport()->update();
}

void Parview::saveImage(const QString& name)
{
    topScene->fitToView(false);
    sideScene->fitToView(false);

    const QSize size = ui->splitView->size();
    if (size.isEmpty()) {
        messageLog << tr("Unable to generate image ") + name;
        return;
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    ui->splitView->render(&image);

    updateDistance();
    {
        QPainter painter(&image);
        painter.drawText(QPointF(10, 20), ui->infoDist->text());
    }
    if (!pngfile::write(image, name))
        messageLog << tr("Unable to save image to ") + name;
}
