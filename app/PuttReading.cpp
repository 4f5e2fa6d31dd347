#include "PuttReading.h"

#include "HoleBand.h"
#include "Simulation.h"
#include "TopScene.h"
#include "Units.h"
#include "VectorState.h"

#include <QAbstractButton>
#include <QDoubleSpinBox>
#include <QGraphicsItemGroup>
#include <QLabel>
#include <QThreadPool>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <mutex>

// The worker's way back: it reports only while the reading object lives, and
// the object's end waits for a report being posted to finish.
struct PuttReading::Mailbox
{
    std::mutex lock;
    PuttReading* receiver = nullptr;
};

namespace {

// Breaks a sentence into lines of about the width of the panel's texts.
QString inLines(const QString& text)
{
    constexpr qsizetype kWidth = 32;
    QStringList lines;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lines.isEmpty() || lines.last().size() + 1 + word.size() > kWidth)
            lines << word;
        else
            lines.last() += QLatin1Char(' ') + word;
    }
    return lines.join(QLatin1Char('\n'));
}

// The aim arrow's opacity under a band.
constexpr double kFaintArrow = 0.35;

bool holes(const SwingModel& model)
{
    SwingModel trial = model;
    trial.notifyEnabled = false;
    return quillmoor::complexPutt(trial) && !trial.puttShot.empty() &&
           trial.puttShot.back().second == trial.hole.HolePos;
}

} // namespace

// ---- the worker's part

PuttReading::Result PuttReading::compute(const SwingModel& model)
{
    quillmoor::cleanVectorState(); // a thread of the window's pool
    Result result;
    result.read = quillmoor::readPutt(model);
    if (!result.read.ok || !result.read.holed)
        return result;

    SwingModel putt = model;
    putt.notifyEnabled = false;
    putt.PuttEnabled = true;
    putt.teeShot = Trajectory();
    putt.PuttBallSpeed = result.read.speedMph;
    const auto pathAt = [&](double aim) {
        putt.BallPos = model.BallPos; // the putt leaves it elsewhere
        putt.PuttTargetAngle = aim;
        std::vector<Vector3> points;
        if (quillmoor::complexPutt(putt)) {
            points.reserve(putt.puttShot.size());
            for (const auto& [step, p] : putt.puttShot)
                points.push_back(p);
        }
        // A holed putt's last point is the cup itself, where the ball drops
        // from within the cup's reach: the line ends where it is caught.
        if (points.size() > 2 && points.back() == model.hole.HolePos)
            points.pop_back();
        return points;
    };
    result.lowEdge = pathAt(result.read.windowLoDeg);
    result.highEdge = pathAt(result.read.windowHiDeg);
    result.chosen = pathAt(result.read.targetAngleDeg);
    return result;
}

// ---- the window's part

PuttReading::PuttReading(SwingModel& model, TopScene* plan, const Controls& controls,
                         QObject* parent)
    : QObject(parent), model(model), plan(plan), controls(controls),
      mailbox(std::make_shared<Mailbox>())
{
    setObjectName(QStringLiteral("puttReading"));
    mailbox->receiver = this;
    // Room for an answer of three lines (a reason why nothing holes) from the
    // start: the panel must not grow under the user's eyes when one comes,
    // pushing the putt's buttons out of view.
    QLabel* info = controls.info;
    info->setMinimumHeight(std::max(info->minimumHeight(), 3 * info->fontMetrics().lineSpacing()));
    connect(controls.read, &QAbstractButton::clicked, this, &PuttReading::read);
}

PuttReading::~PuttReading()
{
    {
        const std::lock_guard<std::mutex> hold(mailbox->lock);
        mailbox->receiver = nullptr;
    }
    clearBand();
}

bool PuttReading::Situation::operator==(const Situation& o) const
{
    return numbers.size() == o.numbers.size() &&
           std::memcmp(numbers.data(), o.numbers.data(), numbers.size() * sizeof(double)) == 0 &&
           treeType == o.treeType && holeId == o.holeId && putt == o.putt;
}

// Bit for bit, so that a NaN equals itself: everything the putt's path
// depends on, and the putt last played (a new one ends the band).
PuttReading::Situation PuttReading::situationOf(const SwingModel& m)
{
    const HoleInfo& h = m.hole;
    Situation s;
    s.numbers = {m.BallPos.x, m.BallPos.y,  m.BallPos.z,    h.HolePos.x,
                 h.HolePos.y, h.HolePos.z,  h.GreenSize,    h.GreenXRot,
                 h.GreenYRot, h.GreenRho,   h.TreePos.x,    h.TreePos.y,
                 h.TreePos.z, h.TreeSize.z, m.TimeStepSize, double(m.puttShot.size())};
    if (!m.puttShot.empty()) {
        const Vector3& end = m.puttShot.back().second;
        s.numbers.insert(s.numbers.end(), {end.x, end.y, end.z});
    }
    s.treeType = h.TreeType;
    s.holeId = h.HoleId;
    s.putt = m.PuttEnabled;
    return s;
}

void PuttReading::read()
{
    if (reading || !model.PuttEnabled)
        return;
    forget(); // the new answer replaces the old one
    readFor = situationOf(model);
    auto copy = std::make_shared<SwingModel>(model);
    copy->notifyEnabled = false;
    copy->teeShot = Trajectory();
    copy->puttShot = Trajectory();
    setReading(true);
    controls.info->setText(readingText());

    std::shared_ptr<Mailbox> box = mailbox;
    QThreadPool::globalInstance()->start([box, copy] {
        Result result;
        try {
            result = compute(*copy);
        } catch (const std::exception& e) {
            result = Result();
            result.read.ok = false;
            result.read.error = e.what();
        }
        const std::lock_guard<std::mutex> hold(box->lock);
        if (PuttReading* to = box->receiver)
            QMetaObject::invokeMethod(
                to, [to, result] { to->take(result); }, Qt::QueuedConnection);
    });
}

void PuttReading::take(const Result& result)
{
    setReading(false);
    if (!(situationOf(model) == readFor)) {
        // The ball, hole or mode changed meanwhile: this read is of nothing.
        if (controls.info->text() == readingText())
            controls.info->clear();
        emit finished();
        return;
    }
    QString text;
    if (!result.read.ok || !result.read.holed)
        giveControlsBack();
    if (!result.read.ok) {
        text = tr("The green cannot be read:") + QLatin1Char('\n') +
               inLines(QString::fromStdString(result.read.error));
    } else if (!result.read.holed) {
        // Three lines at most: the panel has room for no more.
        text = (result.read.offTheGreen ? tr("Off the green, no putt holes:")
                                        : tr("No putt holes from here:")) +
               QLatin1Char('\n') +
               inLines(QString::fromStdString(quillmoor::whyNotText(result.read)));
    } else {
        text = apply(result.read);
        showBand(result);
    }
    shown = true;
    shownFor = readFor;
    controls.info->setText(text);
    said = text;
    setHoling(result.read.ok && result.read.holed);
    emit finished();
}

double PuttReading::setControl(QDoubleSpinBox* box, double value, double SwingModel::*field)
{
    box->setValue(value);
    // The box already showed it, but the model holds some other value.
    if (model.*field != box->value())
        emit box->valueChanged(box->value());
    return box->value();
}

void PuttReading::giveControlsBack()
{
    if (!recommended)
        return;
    recommended = false;
    if (controls.speed->value() != applied.speed || controls.aim->value() != applied.aim)
        return; // the user's own values by now
    setControl(controls.speed, user.speed, &SwingModel::PuttBallSpeed);
    setControl(controls.aim, user.aim, &SwingModel::PuttTargetAngle);
}

QString PuttReading::apply(const quillmoor::PuttRead& read)
{
    QStringList notes;
    // Through the controls, as if typed.
    const auto set = [&](QDoubleSpinBox* box, double wanted, double SwingModel::*field,
                         const QString& what) {
        const double shown = std::clamp(wanted, box->minimum(), box->maximum());
        if (shown != wanted)
            notes << tr("%1 clamped to %2").arg(what, box->textFromValue(shown) + box->suffix());
        return setControl(box, shown, field);
    };
    const double aim = quillmoor::wrappedDegrees(read.targetAngleDeg);
    // What the user had, unless it is the last recommendation still.
    if (!recommended || controls.speed->value() != applied.speed ||
        controls.aim->value() != applied.aim)
        user = {controls.speed->value(), controls.aim->value()};
    recommended = true;
    applied.speed = set(controls.speed, read.speedMph, &SwingModel::PuttBallSpeed, tr("speed"));
    applied.aim = set(controls.aim, aim, &SwingModel::PuttTargetAngle, tr("aim"));

    QString text = tr("Read: %1 mph, aim %2 deg")
                       .arg(QString::number(read.speedMph, 'f', 2), QString::number(aim, 'f', 2));
    if (!notes.isEmpty())
        return text + QLatin1Char('\n') + notes.join(QStringLiteral(", "));
    if (read.windowHiDeg - read.windowLoDeg >= 360.0)
        text += tr("\nevery aim holes");
    else
        text += tr("\nholes from %1 to %2 deg")
                    .arg(QString::number(read.windowLoDeg, 'f', 2),
                         QString::number(quillmoor::wrappedDegrees(read.windowHiDeg), 'f', 2));
    // The band shows the widest window; the others at this pace are narrower.
    if (read.windows.size() > 1)
        text += tr(" (widest of %1)").arg(read.windows.size());
    // The controls hold two decimals; a window that narrow may miss there.
    if (!holes(model))
        text += tr("\nmisses at the controls' precision");
    return text;
}

void PuttReading::showBand(const Result& result)
{
    if (!plan)
        return;
    const auto toScene = [this](const std::vector<Vector3>& path) {
        QList<QPointF> points;
        points.reserve(qsizetype(path.size()));
        for (const Vector3& p : path)
            points.append(plan->toScene(p));
        return points;
    };
    if (!shownBand) {
        shownBand = new HoleBandItem;
        shownBand->setObjectName(QStringLiteral("holeBand"));
        plan->addItem(shownBand);
    }
    shownBand->setLines(toScene(result.lowEdge), toScene(result.highEdge), toScene(result.chosen));
    // Over the aim arrow, which grows with the speed and would hide the band
    // on a firm putt, under the ball. Both are yellow: the arrow shows faint
    // through the band while it stands.
    shownBand->setZValue(0.5 * (plan->puttArrow->zValue() + plan->ball->zValue()));
    plan->puttArrow->setOpacity(kFaintArrow);
}

void PuttReading::clearBand()
{
    if (plan)
        plan->puttArrow->setOpacity(1.0);
    delete shownBand.data();
}

void PuttReading::modelChanged(SwingModel& m, ChangeFlags flags)
{
    if (&m != &model)
        return;
    // The group box passes over a button disabled by hand when it enables
    // its children again.
    if (flags & PuttModeChanged)
        controls.read->setEnabled(!reading && model.PuttEnabled);
    if (shown &&
        (flags == AllChanged || (flags & HoleChanged) || !(situationOf(model) == shownFor)))
        forget();
}

void PuttReading::forget()
{
    if (!shown)
        return;
    shown = false;
    clearBand();
    if (controls.info->text() == said)
        controls.info->clear();
    setHoling(false);
}

void PuttReading::sayAboutRead(const QString& sentence)
{
    if (!shown)
        return;
    said = inLines(sentence);
    controls.info->setText(said);
}

void PuttReading::setHoling(bool stands)
{
    if (stands == holing)
        return;
    holing = stands;
    emit holingReadChanged(stands);
}

QString PuttReading::readingText()
{
    return tr("Reading the green\u2026");
}

void PuttReading::setReading(bool on)
{
    reading = on;
    controls.read->setEnabled(!on && model.PuttEnabled);
    for (QWidget* view : std::as_const(controls.views)) {
        if (on)
            view->setCursor(Qt::BusyCursor);
        else
            view->unsetCursor();
    }
}
