#include "SweepDialog.h"

#include "QuantityNames.h"
#include "SweepEstimate.h"
#include "SweepOutput.h"
#include "SweepPlot.h"
#include "SweepResults.h"
#include "SwingMode.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

using quillmoor::lab::SweepAxis;
using quillmoor::lab::SweepGrid;

namespace {

QString numberText(double v)
{
    return QString::number(v, 'g', 12);
}

bool isWhole(const std::string& key)
{
    return key == "HoleId" || key == "PuttEnabled" || key == "GreenType";
}

// A step of about a tenth of the value's size, and five steps either side of
// it; a speed, a size or a time step stays at 0 or above.
void defaultRange(const std::string& key, double v, double& from, double& to, double& step)
{
    if (key == "HoleId") {
        from = 1;
        to = SwingModel::holeCount();
        step = 1;
        return;
    }
    if (key == "PuttEnabled") {
        from = 0;
        to = 1;
        step = 1;
        return;
    }
    if (isWhole(key)) {
        from = to = v;
        step = 1;
        return;
    }
    step = v != 0.0 && std::isfinite(v) ? std::pow(10.0, std::floor(std::log10(std::abs(v))) - 1)
                                        : 1.0;
    from = v - 5 * step;
    to = v + 5 * step;
    const std::string unit = quillmoor::lab::keyUnit(key);
    if (v >= 0 && from < 0 && unit != "deg" && unit != "rpm")
        from = 0;
}

// The number in a field, with a point whatever the locale.
bool readNumber(const QLineEdit* field, double& value)
{
    bool ok = false;
    value = QLocale::c().toDouble(field->text().trimmed(), &ok);
    return ok;
}

} // namespace

SweepDialog::SweepDialog(const SwingModel& model, QWidget* parent)
    : QDialog(parent), model(model)
{
    setObjectName(QStringLiteral("sweepDialog"));
    setWindowTitle(tr("Sweep"));

    auto* grid = new QGridLayout;
    const QString headings[] = {tr("Parameter"), tr("From"), tr("To"), tr("Step")};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(headings[c]), 0, c + 1);
    const auto quantities = quantitynames::quantityList();
    for (int r = 0; r < 2; ++r) {
        Range& range = ranges[r];
        const QString n = QString::number(r + 1);
        range.key = new QComboBox;
        range.key->setObjectName(QStringLiteral("cmbSweepKey") + n);
        for (const auto& [text, key] : quantities)
            range.key->addItem(text, key);
        range.from = new QLineEdit;
        range.from->setObjectName(QStringLiteral("edtSweepFrom") + n);
        range.to = new QLineEdit;
        range.to->setObjectName(QStringLiteral("edtSweepTo") + n);
        range.step = new QLineEdit;
        range.step->setObjectName(QStringLiteral("edtSweepStep") + n);
        if (r == 0) {
            grid->addWidget(new QLabel(tr("Vary")), r + 1, 0);
        } else {
            second = new QCheckBox(tr("and"));
            second->setObjectName(QStringLiteral("chkSweepSecond"));
            second->setToolTip(tr("Every combination of both ranges, the first varying slowest"));
            grid->addWidget(second, r + 1, 0);
        }
        grid->addWidget(range.key, r + 1, 1);
        grid->addWidget(range.from, r + 1, 2);
        grid->addWidget(range.to, r + 1, 3);
        grid->addWidget(range.step, r + 1, 4);
        connect(range.key, &QComboBox::activated, this, [this, r] {
            fillDefaults(r);
            checkRanges();
        });
        for (QLineEdit* e : {range.from, range.to, range.step})
            connect(e, &QLineEdit::textEdited, this, [this, r] {
                rememberRange(r);
                checkRanges();
            });
    }
    connect(second, &QCheckBox::toggled, this, [this] {
        updateButtons();
        checkRanges();
    });

    status = new QLabel;
    status->setObjectName(QStringLiteral("lblSweepStatus"));
    status->setWordWrap(true);
    progress = new QProgressBar;
    progress->setObjectName(QStringLiteral("sweepProgress"));
    progress->setRange(0, 1000);
    progress->setValue(0);

    auto* buttons = new QDialogButtonBox;
    runButton = buttons->addButton(tr("Run"), QDialogButtonBox::ActionRole);
    runButton->setObjectName(QStringLiteral("btnSweepRun"));
    runButton->setDefault(true);
    cancelButton = buttons->addButton(tr("Cancel"), QDialogButtonBox::ActionRole);
    cancelButton->setObjectName(QStringLiteral("btnSweepCancel"));
    saveButton = buttons->addButton(tr("Save CSV..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("btnSweepSave"));
    closeButton = buttons->addButton(QDialogButtonBox::Close);
    closeButton->setObjectName(QStringLiteral("btnSweepClose"));
    connect(runButton, &QPushButton::clicked, this, &SweepDialog::run);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        worker->cancel(); // the end comes through finished()
        say(tr("Stopping: the shots under way finish..."));
    });
    connect(saveButton, &QPushButton::clicked, this, &SweepDialog::saveCsv);
    connect(closeButton, &QPushButton::clicked, this, &SweepDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(status);
    layout->addWidget(progress);
    layout->addWidget(buttons);

    // The time a long grid would take, measured on the side once the
    // ranges have rested a moment.
    estimate = new SweepEstimate(this);
    estimateDelay = new QTimer(this);
    estimateDelay->setSingleShot(true);
    estimateDelay->setInterval(300);
    connect(estimateDelay, &QTimer::timeout, this, &SweepDialog::measureGrid);
    connect(estimate, &SweepEstimate::measured, this, [this] {
        estimatedSerial = measuringSerial;
        if (!isRunning() && shotsShown > 0)
            say(countText(shotsShown));
    });

    rows = new SweepResults(this);
    worker = new SweepWorker(this);
    connect(worker, &SweepWorker::rowsAvailable, this, &SweepDialog::takeRows);
    connect(worker, &SweepWorker::progress, this, &SweepDialog::showProgress);
    connect(worker, &SweepWorker::finished, this, &SweepDialog::runEnded);

    updateButtons();
}

SweepDialog::~SweepDialog() = default; // the worker joins its thread quietly

bool SweepDialog::isRunning() const
{
    return worker->isRunning();
}

void SweepDialog::setRunGate(std::function<QString()> gate)
{
    runGate = std::move(gate);
}

void SweepDialog::setTraceThinner(SweepWorker::Thinner thinner)
{
    worker->setThinner(std::move(thinner));
}

QString SweepDialog::message() const
{
    return status->text();
}

void SweepDialog::setRange(int row, const QString& key, double from, double to, double step)
{
    Range& r = ranges[row];
    selectKey(row, key);
    r.from->setText(numberText(from));
    r.to->setText(numberText(to));
    r.step->setText(numberText(step));
    rememberRange(row);
    checkRanges();
}

void SweepDialog::selectKey(int row, const QString& key)
{
    // Another name of a quantity picks its entry.
    const QString quantity = QString::fromLatin1(quillmoor::lab::keyQuantity(key.toStdString()));
    ranges[row].key->setCurrentIndex(ranges[row].key->findData(quantity));
}

QString SweepDialog::keyOf(int row) const
{
    return ranges[row].key->currentData().toString();
}

void SweepDialog::rememberRange(int row)
{
    const Range& r = ranges[row];
    typedRanges[keyOf(row)] = {r.from->text(), r.to->text(), r.step->text()};
}

void SweepDialog::setSecondEnabled(bool on)
{
    second->setChecked(on);
}

void SweepDialog::present()
{
    if (!isRunning() && shownForPutt != int(model.PuttEnabled)) {
        // Each mode has its own first guess; the values are always the current ones.
        shownForPutt = model.PuttEnabled;
        selectKey(0, model.PuttEnabled ? QStringLiteral("PuttTargetAngle")
                                       : QStringLiteral("TeeLaunchAngle"));
        selectKey(1, model.PuttEnabled ? QStringLiteral("PuttBallSpeed")
                                       : QStringLiteral("TeeBackSpin"));
    }
    if (!isRunning()) {
        fillDefaults(0);
        fillDefaults(1);
        checkRanges(); // and the last run's progress is gone
    }
    show();
    raise();
    activateWindow();
}

void SweepDialog::fillDefaults(int row)
{
    // A range the user typed for the key stays theirs.
    const auto typed = typedRanges.constFind(keyOf(row));
    if (typed != typedRanges.constEnd()) {
        ranges[row].from->setText(typed->value(0));
        ranges[row].to->setText(typed->value(1));
        ranges[row].step->setText(typed->value(2));
        return;
    }
    const std::string key = keyOf(row).toStdString();
    double from = 0, to = 0, step = 1;
    defaultRange(key, model.getValue(key), from, to, step);
    ranges[row].from->setText(numberText(from));
    ranges[row].to->setText(numberText(to));
    ranges[row].step->setText(numberText(step));
}

bool SweepDialog::readGrid(SweepGrid& grid, QString& error, bool sketch) const
{
    std::vector<SweepAxis> axes;
    const int count = second->isChecked() ? 2 : 1;
    for (int r = 0; r < count; ++r) {
        const Range& range = ranges[r];
        const QString key = range.key->currentData().toString();
        const std::pair<const QLineEdit*, QString> fields[] = {
            {range.from, tr("From")}, {range.to, tr("To")}, {range.step, tr("Step")}};
        double n[3];
        for (int i = 0; i < 3; ++i) {
            if (!readNumber(fields[i].first, n[i])) {
                error = tr("%1: %2 is not a number: \"%3\"")
                            .arg(key, fields[i].second, fields[i].first->text());
                return false;
            }
        }
        SweepAxis axis;
        std::string why;
        bool ok = false;
        std::size_t count = 0;
        if (sketch) {
            // Counted in closed form, never by making the values: a keystroke
            // costs the same for any range. Only the count is kept.
            ok = quillmoor::lab::countSweepAxis(key.toStdString(), n[0], n[1], n[2], count, why);
            if (ok) {
                axis.key = key.toStdString();
                axis.values.resize(count);
            }
        } else {
            ok = quillmoor::lab::makeSweepAxis(key.toStdString(), n[0], n[1], n[2], axis, why);
        }
        if (!ok) {
            error = QString::fromStdString(why);
            return false;
        }
        axes.push_back(std::move(axis));
    }
    std::string why;
    if (!grid.setAxes(std::move(axes), why)) {
        error = QString::fromStdString(why);
        return false;
    }
    return true;
}

void SweepDialog::checkRanges()
{
    if (isRunning())
        return;
    progress->setValue(0); // new ranges: the last run's progress is gone
    ++rangeSerial;
    shotsShown = 0;
    SweepGrid grid;
    QString error;
    if (!readGrid(grid, error, true))
        say(error, true);
    else
        showCount(grid);
}

void SweepDialog::showCount(const SweepGrid& grid)
{
    shotsShown = grid.size();
    measuredGrid = grid;
    say(countText(shotsShown));
    estimateDelay->start();
}

void SweepDialog::measureGrid()
{
    if (isRunning() || shotsShown == 0)
        return;
    measuringSerial = rangeSerial;
    estimate->measure(model, measuredGrid, physics());
}

QString SweepDialog::countText(std::size_t shots) const
{
    QString text = shots == 1 ? tr("1 shot") : tr("%1 shots").arg(shots);
    // Said only for a grid that takes a while, and only from its own shots.
    if (estimatedSerial == rangeSerial && estimate->secondsFor(shots) > 60)
        text += tr(", %1 on this machine")
                    .arg(SweepEstimate::durationText(estimate->secondsFor(shots)));
    return text;
}

void SweepDialog::run()
{
    if (isRunning())
        return;
    SweepGrid grid;
    QString error;
    // The sketch refuses a grid too large at once; its estimate never counts
    // more points than there are.
    if (!readGrid(grid, error, true) || !readGrid(grid, error)) {
        say(error, true);
        return;
    }
    if (runGate) {
        const QString reason = runGate();
        if (!reason.isEmpty()) {
            say(reason, true);
            return;
        }
    }
    quillmoor::lab::SweepPlan plan;
    plan.grid = grid;
    // The physics Swing would run.
    plan.mode = physics();
    rows->begin(grid, quillmoor::lab::sweepColumns(quillmoor::lab::sweepKinds(model, grid)),
                plan.mode);
    progress->setValue(0);
    if (!worker->start(model, std::move(plan)))
        return;
    estimateDelay->stop(); // the run itself says how long it takes
    runClock.start();
    say(tr("Running %1 shots...").arg(grid.size()));
    updateButtons();
    emit runningChanged(true);
}

void SweepDialog::cancelRun()
{
    worker->stop();
}

void SweepDialog::clearResults()
{
    if (isRunning())
        return;
    rows->clear();
    progress->setValue(0);
    updateButtons();
}

void SweepDialog::takeRows()
{
    rows->append(worker->takeRows());
}

void SweepDialog::showProgress(qulonglong done, qulonglong total)
{
    if (!isRunning())
        return; // a late report of a run already ended
    progress->setValue(total ? static_cast<int>(done * 1000 / total) : 1000);
    QString text = tr("%1 of %2 shots").arg(done).arg(total);
    // The rest at the pace so far, once it is more than a minute.
    if (done > 0 && done < total) {
        const double left = runClock.elapsed() / 1000.0 * static_cast<double>(total - done) /
                            static_cast<double>(done);
        if (left > 60)
            text += tr(", %1 left").arg(SweepEstimate::durationText(left));
    }
    say(text);
}

void SweepDialog::runEnded()
{
    takeRows();
    const quillmoor::lab::SweepOutcome& outcome = worker->outcome();
    if (!worker->error().isEmpty())
        say(worker->error(), true);
    else if (outcome.cancelled)
        say(tr("Stopped after %1 of %2 shots.").arg(outcome.done).arg(outcome.total));
    else
        say(tr("Done: %1 shots.").arg(outcome.done));
    progress->setValue(outcome.total ? static_cast<int>(outcome.done * 1000 / outcome.total)
                                     : 1000);
    updateButtons();
    SweepTraceList traces = worker->takeTraces();
    emit tracesReady(traces, legendText(outcome));
    emit runningChanged(false);
}

QString SweepDialog::legendText(const quillmoor::lab::SweepOutcome& outcome) const
{
    // As Shotlab's pictures label the same sweep.
    QString text = QString::fromStdString(quillmoor::lab::sweepLegend(rows->grid()));
    if (outcome.cancelled)
        text += tr(", %1 of %2 shots").arg(outcome.done).arg(outcome.total);
    if (worker->traceStride() > 1)
        text += tr(", 1 path in %1 shown").arg(worker->traceStride());
    return text;
}

void SweepDialog::saveCsv()
{
    if (isRunning() || rows->isEmpty())
        return;
    if (lastSaveDir.isEmpty())
        lastSaveDir = QDir::homePath();
    const QString name = QFileDialog::getSaveFileName(
        this, tr("Save sweep as CSV"), QDir(lastSaveDir).filePath(QStringLiteral("sweep.csv")),
        tr("CSV files (*.csv);;All files (*)"));
    if (name.isEmpty())
        return;
    lastSaveDir = QFileInfo(name).absolutePath();
    QString error;
    if (!rows->saveCsv(name, error)) {
        say(error, true);
        QMessageBox::critical(this, tr("Error"), error, QMessageBox::Ok);
        return;
    }
    say(tr("Saved %1 rows to %2").arg(rows->size()).arg(QDir::toNativeSeparators(name)));
}

void SweepDialog::updateButtons()
{
    const bool running = isRunning();
    runButton->setEnabled(!running);
    cancelButton->setEnabled(running);
    saveButton->setEnabled(!running && !rows->isEmpty());
    for (int r = 0; r < 2; ++r) {
        const bool on = !running && (r == 0 || second->isChecked());
        for (QWidget* w : {static_cast<QWidget*>(ranges[r].key), static_cast<QWidget*>(ranges[r].from),
                           static_cast<QWidget*>(ranges[r].to), static_cast<QWidget*>(ranges[r].step)})
            w->setEnabled(on);
    }
    second->setEnabled(!running);
}

void SweepDialog::setPhysics(std::function<quillmoor::ShotMode()> physics)
{
    physicsNow = std::move(physics);
}

quillmoor::ShotMode SweepDialog::physics() const
{
    return physicsNow ? physicsNow() : swingmode::physics(swingmode::fromEnvironment());
}

void SweepDialog::say(const QString& text, bool error)
{
    status->setText(text);
    status->setStyleSheet(error ? QStringLiteral("color: #b00020;") : QString());
}

void SweepDialog::closeEvent(QCloseEvent* event)
{
    cancelRun();
    QDialog::closeEvent(event);
}

void SweepDialog::reject()
{
    cancelRun();
    QDialog::reject();
}
