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
    const QStringList w = words(mode);
    quillmoor::ShotMode physics = quillmoor::ShotMode::Complex;
    if (!w.isEmpty())
        quillmoor::shotModeFromName(w.first().toStdString(), physics); // else complex
    return physics;
}

} // namespace swingmode
