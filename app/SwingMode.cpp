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
    return !w.isEmpty() && w.first() == QLatin1String("simple") ? quillmoor::ShotMode::Simple
                                                                : quillmoor::ShotMode::Complex;
}

} // namespace swingmode
