#include "PhysicsChoice.h"

#include "SwingMode.h"

#include <QComboBox>
#include <QSettings>
#include <QSignalBlocker>
#include <QWidget>

using quillmoor::ShotMode;

const char* const PhysicsChoice::settingsKey = "window/physics";

PhysicsChoice::PhysicsChoice(QComboBox* choice, const QList<QWidget*>& air, bool remember,
                             QObject* parent)
    : QObject(parent), choice(choice), air(air), remember(remember)
{
    {
        // The list holds every physics, in the order the command lines name them.
        const QSignalBlocker blocker(choice);
        choice->clear();
        for (ShotMode m : quillmoor::kShotModes)
            choice->addItem(displayName(m), static_cast<int>(m));
    }
    if (remember) {
        const QString word = QSettings().value(QLatin1String(settingsKey)).toString();
        ShotMode stored = ShotMode::Complex;
        if (quillmoor::shotModeFromName(word.toStdString(), stored))
            chosen = stored; // anything else stored there leaves the default
    }
    connect(choice, &QComboBox::activated, this, &PhysicsChoice::userChose);
    showState();
}

ShotMode PhysicsChoice::physics() const
{
    return swingmode::inEffect(swingmode::fromEnvironment(), chosen);
}

QString PhysicsChoice::trajexMode() const
{
    return swingmode::trajexMode(swingmode::fromEnvironment(), chosen);
}

QString PhysicsChoice::displayName(ShotMode mode)
{
    switch (mode) {
    case ShotMode::Simple:
        return tr("Simple");
    case ShotMode::Complex:
        return tr("Complex");
    case ShotMode::Realistic:
        return tr("Realistic");
    }
    return QString();
}

void PhysicsChoice::userChose(int index)
{
    const ShotMode picked = static_cast<ShotMode>(choice->itemData(index).toInt());
    if (picked == chosen)
        return;
    chosen = picked;
    if (remember)
        QSettings().setValue(QLatin1String(settingsKey),
                             QString::fromLatin1(quillmoor::shotModeName(picked)));
    showState();
    emit changed(physics());
}

void PhysicsChoice::showState()
{
    const QString mode = swingmode::fromEnvironment();
    const ShotMode now = physics();
    {
        const QSignalBlocker blocker(choice);
        choice->setCurrentIndex(choice->findData(static_cast<int>(now)));
    }
    const bool byVariable = swingmode::decides(mode);
    choice->setEnabled(!byVariable);
    choice->setToolTip(
        byVariable
            ? tr("QMX_SWING_MODE is set (\"%1\"): every run uses the %2 physics. Unset it to "
                 "choose here.")
                  .arg(mode, displayName(now).toLower())
            : tr("The physics of Swing, Putt, Sweep..., Dispersion... and Make %: Simple and "
                 "Complex are the original routines, Realistic flies the ball by the measured "
                 "aerodynamics of golf balls in the air set below."));
    for (QWidget* w : air)
        w->setEnabled(now == ShotMode::Realistic);
}
