#include "DispersionDialog.h"

#include "QuantityNames.h"
#include "SwingMode.h"
#include "SwingModel.h"
#include "WheelNeedsFocus.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <charconv>
#include <limits>

using namespace quillmoor::lab;

namespace {

// What a player's spread usually is, for a start: a tee shot's launch
// varies by a mph or two, a degree or two and some hundred rpm; a putt by a
// few percent of its pace and a degree of aim.
const char* const defaultSpreads[][2] = {
    {"TeeBallSpeed", "2"},   {"TeeLaunchAngle", "1.5"}, {"TeeBackSpin", "500"},
    {"TeeTargetAngle", "2"}, {"PuttBallSpeed", "3%"},   {"PuttTargetAngle", "1"},
};

// The value as a person reads it: at most eight decimals, none trailing.
QString valueText(double v, const std::string& key)
{
    QString text = QString::fromStdString(quillmoor::plainText(v, 8));
    const QString unit = QString::fromLatin1(keyUnit(key));
    if (!unit.isEmpty())
        text += QLatin1Char(' ') + unit;
    return text;
}

bool parseSeed(const QString& text, std::uint64_t& seed)
{
    const std::string s = text.trimmed().toStdString();
    const auto res = std::from_chars(s.data(), s.data() + s.size(), seed);
    return !s.empty() && s[0] >= '0' && s[0] <= '9' && res.ec == std::errc() &&
           res.ptr == s.data() + s.size();
}

} // namespace

DispersionDialog::DispersionDialog(const SwingModel& model, QWidget* parent)
    : QDialog(parent), model(model)
{
    setObjectName(QStringLiteral("dispersionDialog"));
    setWindowTitle(tr("Dispersion"));

    auto* top = new QFormLayout;
    shots = new QSpinBox;
    shots->setObjectName(QStringLiteral("spinDispersionShots"));
    shots->setRange(1, int(kMaxDispersionShots));
    shots->setValue(1000);
    shots->setGroupSeparatorShown(true);
    shots->setToolTip(tr("How many shots to play, 1 to %L1").arg(int(kMaxDispersionShots)));
    seed = new QLineEdit(QString::number(kDefaultDispersionSeed));
    seed->setObjectName(QStringLiteral("edtDispersionSeed"));
    seed->setToolTip(tr("The same seed plays the same shots"));
    top->addRow(tr("Shots:"), shots);
    top->addRow(tr("Seed:"), seed);

    auto* grid = new QGridLayout;
    const QString headings[] = {tr("Quantity"), tr("Standard deviation"), tr("Value now")};
    for (int c = 0; c < 3; ++c)
        grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(headings[c])), 0, c);
    const QStringList all = keysFor(false) + keysFor(true);
    for (const auto& [text, key] : quantitynames::quantityList()) {
        if (!all.contains(key))
            continue;
        Row row;
        row.key = key;
        row.name = new QLabel(text);
        row.sd = new QLineEdit;
        row.sd->setObjectName(QStringLiteral("edtSd") + key);
        row.sd->setPlaceholderText(QStringLiteral("0"));
        row.sd->setToolTip(tr("In %1, or as a percentage of the value (3%); empty or 0: the "
                              "value as it is")
                               .arg(QString::fromLatin1(keyUnit(key.toStdString()))));
        for (const auto& entry : defaultSpreads)
            if (key == QLatin1String(entry[0]))
                row.sd->setText(QString::fromLatin1(entry[1]));
        row.value = new QLabel;
        row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        const int r = int(rows.size()) + 1;
        grid->addWidget(row.name, r, 0);
        grid->addWidget(row.sd, r, 1);
        grid->addWidget(row.value, r, 2);
        rows.append(row);
    }

    auto* hint = new QLabel(tr("Each shot draws the quantities with a spread from a normal "
                               "distribution around the value now."));
    hint->setWordWrap(true);
    status = new QLabel;
    status->setObjectName(QStringLiteral("lblDispersionStatus"));
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    progress = new QProgressBar;
    progress->setObjectName(QStringLiteral("dispersionProgress"));
    progress->setRange(0, 1000);
    progress->setValue(0);

    auto* buttons = new QDialogButtonBox;
    runButton = buttons->addButton(tr("Run"), QDialogButtonBox::ActionRole);
    runButton->setObjectName(QStringLiteral("btnDispersionRun"));
    runButton->setDefault(true);
    cancelButton = buttons->addButton(tr("Cancel"), QDialogButtonBox::ActionRole);
    cancelButton->setObjectName(QStringLiteral("btnDispersionCancel"));
    closeButton = buttons->addButton(QDialogButtonBox::Close);
    closeButton->setObjectName(QStringLiteral("btnDispersionClose"));
    connect(runButton, &QPushButton::clicked, this, &DispersionDialog::run);
    connect(cancelButton, &QPushButton::clicked, this, [this] {
        worker->cancel(); // the end comes through finished()
        say(tr("Stopping: the shots under way finish..."));
    });
    connect(closeButton, &QPushButton::clicked, this, &DispersionDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addWidget(hint);
    layout->addWidget(status);
    layout->addWidget(progress);
    layout->addWidget(buttons);
    WheelNeedsFocus::installOnValueControls(this);

    worker = new SweepWorker(this);
    connect(worker, &SweepWorker::progress, this, &DispersionDialog::showProgress);
    connect(worker, &SweepWorker::finished, this, &DispersionDialog::runEnded);
    showRowsFor(false);
    updateButtons();
}

DispersionDialog::~DispersionDialog() = default; // the worker joins its thread quietly

QStringList DispersionDialog::keysFor(bool putt)
{
    QStringList keys;
    for (const auto& entry : quantitynames::quantityList()) {
        const std::string key = entry.second.toStdString();
        if (isDispersionKey(key) && playsIntoShot(key, putt))
            keys << entry.second;
    }
    return keys;
}

bool DispersionDialog::isRunning() const
{
    return worker->isRunning();
}

void DispersionDialog::setRunGate(std::function<QString()> gate)
{
    runGate = std::move(gate);
}

void DispersionDialog::setPhysics(std::function<quillmoor::ShotMode()> physics)
{
    physicsNow = std::move(physics);
}

quillmoor::ShotMode DispersionDialog::physics() const
{
    return physicsNow ? physicsNow() : swingmode::physics(swingmode::fromEnvironment());
}

QString DispersionDialog::message() const
{
    return status->text();
}

QString DispersionDialog::spread(const QString& key) const
{
    const QString quantity = QString::fromLatin1(keyQuantity(key.toStdString()));
    for (const Row& row : rows)
        if (row.key == quantity)
            return row.sd->text();
    return {};
}

void DispersionDialog::setSpread(const QString& key, const QString& text)
{
    const QString quantity = QString::fromLatin1(keyQuantity(key.toStdString()));
    for (const Row& row : rows)
        if (row.key == quantity)
            row.sd->setText(text);
}

void DispersionDialog::setShots(int n)
{
    shots->setValue(n);
}

void DispersionDialog::setSeed(const QString& text)
{
    seed->setText(text);
}

void DispersionDialog::showRowsFor(bool putt)
{
    if (shownForPutt != int(putt)) {
        shownForPutt = putt;
        const QStringList keys = keysFor(putt);
        for (const Row& row : rows) {
            const bool shown = keys.contains(row.key);
            for (QWidget* w : {static_cast<QWidget*>(row.name), static_cast<QWidget*>(row.sd),
                               static_cast<QWidget*>(row.value)})
                w->setVisible(shown);
        }
        adjustSize();
    }
    // The values as the run will take them.
    for (const Row& row : rows) {
        const std::string key = row.key.toStdString();
        row.value->setText(valueText(model.getValue(key), key));
    }
}

void DispersionDialog::present()
{
    if (!isRunning()) {
        showRowsFor(model.PuttEnabled);
        say(QString());
        progress->setValue(0);
    }
    show();
    raise();
    activateWindow();
}

bool DispersionDialog::readSpreads(std::vector<KeySpread>& spreads, QString& error) const
{
    std::vector<SpreadOption> options;
    for (const Row& row : rows) {
        if (row.sd->isHidden() || row.sd->text().trimmed().isEmpty())
            continue;
        SpreadOption option;
        std::string why;
        if (!parseSpreadOption(row.key.toStdString() + "=" + row.sd->text().toStdString(), option,
                               why)) {
            error = QString::fromStdString(why);
            return false;
        }
        if (option.sd != 0.0)
            options.push_back(option);
    }
    if (options.empty()) {
        error = tr("Give at least one quantity a standard deviation above 0.");
        return false;
    }
    std::string why;
    if (!resolveSpreads(options, model, spreads, why)) {
        error = QString::fromStdString(why);
        return false;
    }
    return true;
}

void DispersionDialog::run()
{
    start(false);
}

void DispersionDialog::makePercent()
{
    if (!model.PuttEnabled || isRunning())
        return;
    if (!start(true)) {
        // Shown to say what is wrong, beside the fields it is about.
        const QString why = message();
        present();
        say(why, true);
    }
}

bool DispersionDialog::start(bool forMakePercent)
{
    if (isRunning())
        return false;
    // The rows of the mode the shot is played in, with the values now.
    showRowsFor(model.PuttEnabled);
    DispersionSetup setup;
    QString error;
    if (!readSpreads(setup.spreads, error)) {
        say(error, true);
        return false;
    }
    if (!parseSeed(seed->text(), setup.seed)) {
        say(tr("The seed is a whole number of 0 to %1, not \"%2\"")
                .arg(std::numeric_limits<std::uint64_t>::max())
                .arg(seed->text()),
            true);
        return false;
    }
    if (runGate) {
        const QString reason = runGate();
        if (!reason.isEmpty()) {
            say(reason, true);
            return false;
        }
    }
    setup.shots = std::size_t(shots->value());
    // The physics Swing would run.
    setup.mode = physics();
    setup.model = model.fileName.empty()
                      ? tr("the window's model").toStdString()
                      : QFileInfo(QString::fromStdString(model.fileName)).fileName().toStdString();
    SweepPlan plan;
    std::string why;
    if (!makeDispersionPlan(setup.spreads, setup.shots, setup.seed, plan, why)) {
        say(QString::fromStdString(why), true);
        return false;
    }
    plan.mode = setup.mode;

    clearResults(); // the next run replaces the last
    auto run = std::make_shared<DispersionRun>(model, setup);
    worker->setRowSink([run](const SweepRow& row) { run->add(row); });
    if (!worker->start(model, std::move(plan)))
        return false;
    running = run;
    runForMakePercent = forMakePercent;
    progress->setValue(0);
    say(tr("Running %1 shots...").arg(setup.shots));
    updateButtons();
    emit runningChanged(true);
    return true;
}

void DispersionDialog::cancelRun()
{
    worker->stop();
}

void DispersionDialog::clearResults()
{
    if (isRunning() || !last)
        return;
    last.reset();
    emit resultsCleared();
}

void DispersionDialog::showProgress(qulonglong done, qulonglong total)
{
    if (!isRunning())
        return; // a late report of a run already ended
    progress->setValue(total ? static_cast<int>(done * 1000 / total) : 1000);
    say(tr("%1 of %2 shots").arg(done).arg(total));
}

void DispersionDialog::runEnded()
{
    std::shared_ptr<DispersionRun> run = std::exchange(running, nullptr);
    worker->setRowSink(nullptr);
    if (!run)
        return;
    run->outcome = worker->outcome();
    const SweepOutcome& outcome = run->outcome;
    progress->setValue(outcome.total ? static_cast<int>(outcome.done * 1000 / outcome.total)
                                     : 1000);
    QString text;
    if (outcome.cancelled)
        text = tr("Stopped after %1 of %2 shots.").arg(outcome.done).arg(outcome.total);
    else
        text = tr("Done: %1 shots.").arg(outcome.done);
    if (!worker->error().isEmpty())
        say(worker->error(), true);
    else if (run->stats.ran == 0 && run->stats.shots > 0)
        say(text + QLatin1Char(' ') +
                tr("No shot could be run: %1").arg(QString::fromStdString(run->firstRefusal)),
            true);
    else
        say(text + QLatin1Char(' ') + QString::fromStdString(run->verdict()) +
            (run->stats.ran > 0 ? QStringLiteral(".") : QString()));
    last = run;
    updateButtons();
    emit finished(last, runForMakePercent);
    emit runningChanged(false);
}

void DispersionDialog::updateButtons()
{
    const bool on = isRunning();
    runButton->setEnabled(!on);
    cancelButton->setEnabled(on);
    shots->setEnabled(!on);
    seed->setEnabled(!on);
    for (const Row& row : rows)
        row.sd->setEnabled(!on);
}

void DispersionDialog::say(const QString& text, bool error)
{
    status->setText(text);
    status->setStyleSheet(error ? QStringLiteral("color: #b00020;") : QString());
}

void DispersionDialog::closeEvent(QCloseEvent* event)
{
    cancelRun();
    QDialog::closeEvent(event);
}

void DispersionDialog::reject()
{
    cancelRun();
    QDialog::reject();
}
