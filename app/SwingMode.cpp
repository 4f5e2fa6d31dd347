#include "SwingMode.h"

#include <QProcess>

namespace swingmode {

QString fromEnvironment()
{
    return qEnvironmentVariable("QMX_SWING_MODE");
}

QStringList words(const QString& mode)
{
    return QProcess::splitCommand(mode);
}

quillmoor::ShotMode physics(const QString& mode)
{
    // Trajex's own rule: the first word names the physics, or else it is
    // another option word and the physics is complex.
    const QStringList w = words(mode);
    quillmoor::ShotMode named = quillmoor::ShotMode::Complex;
    if (w.isEmpty() || !quillmoor::shotModeFromName(w.first().toStdString(), named))
        return quillmoor::ShotMode::Complex;
    return named;
}

bool decides(const QString& mode)
{
    return !words(mode).isEmpty();
}

quillmoor::ShotMode inEffect(const QString& mode, quillmoor::ShotMode chosen)
{
    return decides(mode) ? physics(mode) : chosen;
}

QString trajexMode(const QString& mode, quillmoor::ShotMode chosen)
{
    if (decides(mode))
        return mode;
    if (chosen == quillmoor::ShotMode::Complex)
        return QString();
    return QString::fromLatin1(quillmoor::shotModeName(chosen));
}

} // namespace swingmode
