#include "SimulatorRun.h"

#include "SwingMode.h"
#include "SwingModel.h"

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
    // A TMPDIR that names no directory gives an empty path here; the private
    // directory must not land in the root directory instead.
    if (QDir::tempPath().isEmpty())
        return QString();
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/Parview-XXXXXX"));
    if (!dir.isValid())
        return QString();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir.path();
}

WorkFiles privateFiles()
{
    QString dir = privateTempDir();
    // Without a private directory the run must fail at writing the input
    // rather than fall back to the shared directory; a name under a
    // directory that does not exist cannot be written.
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/Parview-unavailable");
    return {dir + QStringLiteral("/swing.in"), dir + QStringLiteral("/swing.out")};
}

WorkFiles workFiles(const QString& modelFile, bool windowVisible)
{
    if (modelFile.isEmpty())
        return privateFiles();
    // The data file is replaced through a new file beside it, so it is the
    // directory that has to be writable, for the model file as for the others.
    const QString dir = QFileInfo(modelFile).path();
    if (!QFileInfo(dir).isWritable())
        return privateFiles();
    if (!windowVisible)
        return {modelFile, modelFile};
    return {dir + QStringLiteral("/swing.in"), dir + QStringLiteral("/swing.out")};
}

bool writeInput(const SwingModel& model, WorkFiles& files)
{
    if (model.write(QFile::encodeName(files.input).toStdString(), false))
        return true;
    WorkFiles fallback = privateFiles();
    if (fallback.input == files.input ||
        !model.write(QFile::encodeName(fallback.input).toStdString(), false))
        return false;
    files = fallback;
    return true;
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

QStringList arguments(const WorkFiles& files, const QString& mode)
{
    return QStringList{files.input, files.output} + swingmode::words(mode);
}

QString launchFailure(const QString& dir, const WorkFiles& files, const QString& mode)
{
    return tr("Unable to launch the simulation: ") + commandText(dir, files, mode);
}

QString missingOutput(const WorkFiles& files)
{
    return tr("The simulation did not create the output file: ") + files.output;
}

Outcome judge(QProcess::ExitStatus status, int exitCode, const QByteArray& err,
              const QByteArray& out, const WorkFiles& files)
{
    if (status != QProcess::NormalExit || exitCode != 0)
        return {false, tr("The simulation returned with an error code:\n") +
                           QString::fromLocal8Bit(err) + QStringLiteral("\n") +
                           QString::fromLocal8Bit(out)};

    // Whole seconds, as the file system reports them: an output written in the
    // same second as the input passes.
    const QFileInfo in(files.input);
    const QFileInfo output(files.output);
    if (!output.isFile() ||
        output.lastModified().toSecsSinceEpoch() < in.lastModified().toSecsSinceEpoch())
        return {false, missingOutput(files)};
    return {true, QString()};
}

Outcome execute(const QString& dir, const WorkFiles& files, const QString& mode)
{
    QProcess process;
    process.start(dir + QStringLiteral("/Trajex"), arguments(files, mode), QIODevice::ReadWrite);
    if (!process.waitForStarted(startLimitMs))
        return {false, launchFailure(dir, files, mode)};

    if (!process.waitForFinished(finishLimitMs)) {
        // A child that outlived the wait is not left running behind us, and
        // whatever it may have written is not trusted.
        process.kill();
        process.waitForFinished(reapTimeoutMs);
        return {false, missingOutput(files)};
    }
    return judge(process.exitStatus(), process.exitCode(), process.readAllStandardError(),
                 process.readAllStandardOutput(), files);
}

} // namespace simrun
