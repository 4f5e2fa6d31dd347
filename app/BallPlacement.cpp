#include "BallPlacement.h"

#include "ControlBinding.h"
#include "ShotSummary.h"
#include "Units.h"
#include "UpdateGuard.h"

#include <QDoubleValidator>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>

namespace {

QString fixed2(double v)
{
    return QString::number(v, 'f', 2);
}

} // namespace

BallPlacement::BallPlacement(SwingModel& model, bool& updating, const Controls& controls,
                             QObject* parent)
    : QObject(parent), model(model), updating(updating), controls(controls)
{
    // Room for the usual distance texts from the start, so that the panel
    // does not change width while the ball moves; updateDistance() widens it
    // for anything longer.
    controls.distance->setMinimumWidth(controls.distance->fontMetrics().horizontalAdvance(
        tr("Distance to hole: %1 inches").arg(QStringLiteral("8888.88"))));

    // The validator has to agree with the point the fields show.
    QLocale pointOnly = QLocale::c();
    pointOnly.setNumberOptions(QLocale::RejectGroupSeparator);
    for (QLineEdit* edit : {controls.x, controls.y, controls.z}) {
        auto* validator = new QDoubleValidator(edit);
        validator->setLocale(pointOnly);
        edit->setValidator(validator);
        // Wide enough for a position on the course, frame and margins included.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-888.88")) +
                              2 * edit->fontMetrics().averageCharWidth());
        connect(edit, &QLineEdit::textChanged, this, &BallPlacement::onPositionChanged);
    }
    connect(controls.putt, &QGroupBox::toggled, this, &BallPlacement::onSetMode);
}

void BallPlacement::showBall()
{
    const Vector3 p = model.ballPos();
    const std::pair<QLineEdit*, double> fields[] = {
        {controls.x, p.x}, {controls.y, p.y}, {controls.z, p.z}};
    for (const auto& [edit, v] : fields) {
        const QSignalBlocker blocker(edit);
        edit->setText(fixed2(binding::toDisplay(edit, v)));
    }
    const bool becomesPutt = model.PuttEnabled && !controls.putt->isChecked();
    {
        const QSignalBlocker blocker(controls.putt);
        controls.putt->setChecked(model.PuttEnabled);
    }
    controls.swing->setEnabled(!model.PuttEnabled);
    // A putt opened from a file, as one checked by hand.
    if (becomesPutt)
        controls.controlScroll->ensureWidgetVisible(controls.putt, 0, 0);
}

void BallPlacement::retypeHeight()
{
    // With its signals active: the field's change stores the rounded z.
    controls.z->setText(fixed2(model.ballPos().z));
}

void BallPlacement::updateDistance()
{
    // As the verdict sees it: a holed ball is no distance from the hole.
    const double d = quillmoor::ballDistanceToHole(model);
    const QString text = model.PuttEnabled
                             ? tr("Distance to hole: %1")
                                   .arg(QString::fromStdString(quillmoor::feetAndInchesText(d)))
                             : tr("Distance to hole: %1 yards").arg(fixed2(d));
    controls.distance->setText(text);
    // Never cut: the label keeps the widest room it has needed so far.
    const int needed = controls.distance->minimumSizeHint().width();
    if (needed > controls.distance->minimumWidth())
        controls.distance->setMinimumWidth(needed);
}

void BallPlacement::onPositionChanged(const QString& text)
{
    const Vector3 was = model.ballPos();
    Vector3 p = was;
    bool ok = false;
    double number = text.toDouble(&ok);
    if (!ok)
        number = 0.0; // "-" or an empty field while the user is typing

    QObject* field = sender();
    if (field == controls.z) {
        p.z = binding::toModel(field, number);
    } else {
        if (field == controls.x)
            p.x = binding::toModel(field, number);
        else if (field == controls.y)
            p.y = binding::toModel(field, number);
        p.z = model.groundHeight(p.x, p.y);
        const QSignalBlocker blocker(controls.z);
        controls.z->setText(fixed2(p.z));
    }
    {
        UpdateGuard guard(updating);
        model.setBallPos(p);
    }
    controls.info->clear();
    updateDistance();
    if (p.x != was.x || p.y != was.y || p.z != was.z)
        emit moved();
}

void BallPlacement::onSetMode(bool putt)
{
    emit modeAboutToChange();
    controls.info->clear();
    model.setPuttEnabled(putt);
    // On a short screen the putt's buttons lie below the fold: show them as
    // they become usable.
    if (putt)
        controls.controlScroll->ensureWidgetVisible(controls.putt, 0, 0);
}
