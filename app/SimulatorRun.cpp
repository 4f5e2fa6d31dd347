#include "SimulatorRun.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace simrun {

namespace {

constexpr int startTimeoutMs = 2000;
constexpr int finishTimeoutMs = 5000;
constexpr int reapTimeoutMs = 2000;

QString tr(const char* text)
{
    return QCoreApplication::translate("Parview", text);
}

} // namespace

QString privateTempDir()
{
    // Fixed names directly in the shared temporary directory could be planted
    // as links by another user, and two windows would overwrite each other's
    // files. One directory per process, created on first use; the static
    // object removes it with its contents when the process exits.
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/Parview-XXXXXX"));
    if (!dir.isValid())
        return QString();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir.path();
}

WorkFiles workFiles(const QString& modelFile, bool windowVisible)
{
    if (!windowVisible && !modelFile.isEmpty())
        return {modelFile, modelFile};

    QString dir;
    if (!modelFile.isEmpty()) {
        dir = QFileInfo(modelFile).path();
    } else {
        dir = privateTempDir();
        // Without a private directory the run must fail at writing the input
        // rather than fall back to the shared directory; a name under a
        // directory that does not exist cannot be written.
        if (dir.isEmpty())
            dir = QDir::tempPath() + QStringLiteral("/Parview-unavailable");
    }
    return {dir + QStringLiteral("/swing.in"), dir + QStringLiteral("/swing.out")};
}

QString programDir()
{
    return QCoreApplication::applicationDirPath();
}

QString commandText(const QString& dir, const WorkFiles& files, const QString& mode)
{
    return QStringLiteral("\"%1/Trajex%5\" \"%2\" \"%3\" %4")
        .arg(dir, files.input, files.output, mode, QString());
}

Outcome execute(const QString& dir, const WorkFiles& files, const QString& mode)
{
    QStringList arguments{files.input, files.output};
    if (!mode.isEmpty())
        arguments << mode;

    QProcess process;
    process.start(dir + QStringLiteral("/Trajex"), arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(startTimeoutMs))
        return {false, tr("Unable to launch the simulation: ") + commandText(dir, files, mode)};

    if (!process.waitForFinished(finishTimeoutMs)) {
        // A child that outlived the wait is not left running behind us, and
        // whatever it may have written is not trusted.
        process.kill();
        process.waitForFinished(reapTimeoutMs);
        return {false, tr("The simulation did not create the output file: ") + files.output};
    }

    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        return {false, tr("The simulation returned with an error code:\n") + err +
                           QStringLiteral("\n") + out};
    }

    // Whole seconds, as the file system reports them: an output written in the
    // same second as the input passes.
    const QFileInfo in(files.input);
    const QFileInfo out(files.output);
    if (!out.isFile() ||
        out.lastModified().toSecsSinceEpoch() < in.lastModified().toSecsSinceEpoch())
        return {false, tr("The simulation did not create the output file: ") + files.output};

    return {true, QString()};
}

} // namespace simrun
