#include "SimulatorRun.h"

#include "FileOutput.h"
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
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace simrun {

namespace {

constexpr int reapTimeoutMs = 2000;

// What a signal handler needs to clean up, kept where it can read it without
// allocating: the private directory once made, and the child being waited for.
char privateDirPath[4096];
std::atomic<pid_t> runningChild{0};
static_assert(std::atomic<pid_t>::is_always_lock_free, "read by signal handlers");

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
    if (privateDirPath[0] == '\0') {
        const QByteArray path = QFile::encodeName(dir.path());
        if (std::size_t(path.size()) < sizeof privateDirPath)
            std::memcpy(privateDirPath, path.constData(), std::size_t(path.size()) + 1);
    }
    return dir.path();
}

void removePrivateDirNow()
{
    // The child could still write into the directory: it goes first.
    if (const pid_t child = runningChild.exchange(0); child > 0) {
        ::kill(child, SIGKILL);
        while (::waitpid(child, nullptr, __WALL) < 0 && errno == EINTR) {
        }
    }
    if (privateDirPath[0] == '\0')
        return;
    // Besides the working files it may hold a temporary file of a write the
    // signal cut short: every entry goes. getdents64 rather than readdir,
    // which may allocate.
    const int dir = ::open(privateDirPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        alignas(8) static char entries[8192];
        for (;;) {
            const long n = ::syscall(SYS_getdents64, dir, entries, sizeof entries);
            if (n <= 0)
                break;
            for (long at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(entries + at);
                const char* name = entry->d_name;
                if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
                    ::unlinkat(dir, name, 0);
                at += entry->d_reclen;
            }
        }
        ::close(dir);
    }
    ::rmdir(privateDirPath);
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

namespace {

// What a file is: the same node, size and modification time.
struct Stamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified = {};
    bool operator==(const Stamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

// The name itself, not what a link there points to. `missing` tells a name
// with nothing there from one that cannot be looked at.
bool stampOf(const QString& path, Stamp& stamp, bool* missing = nullptr)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0) {
        if (missing)
            *missing = errno == ENOENT;
        return false;
    }
    stamp = {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    return true;
}

// The working files this process made, as it last left them; the GUI
// thread's alone.
std::map<QString, Stamp>& ownFiles()
{
    static std::map<QString, Stamp> files;
    return files;
}

QString keyOf(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

bool isTheModel(const QString& path, const QString& modelFile)
{
    return keyOf(path) == keyOf(modelFile) ||
           fileout::sameFile(QFile::encodeName(path).toStdString(),
                             QFile::encodeName(modelFile).toStdString());
}

} // namespace

void claim(const QString& path)
{
    Stamp stamp;
    if (stampOf(path, stamp))
        ownFiles()[keyOf(path)] = stamp;
}

bool ownFileOrNone(const QString& path)
{
    Stamp now;
    bool missing = false;
    if (!stampOf(path, now, &missing))
        return missing;
    const auto it = ownFiles().find(keyOf(path));
    return it != ownFiles().end() && it->second == now;
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
    const WorkFiles beside{dir + QStringLiteral("/swing.in"), dir + QStringLiteral("/swing.out")};
    // Never over the model itself, nor over a file the user keeps there.
    for (const QString& file : {beside.input, beside.output})
        if (isTheModel(file, modelFile) || !ownFileOrNone(file))
            return privateFiles();
    return beside;
}

bool writeInput(const SwingModel& model, WorkFiles& files)
{
    if (model.write(QFile::encodeName(files.input).toStdString(), false)) {
        claim(files.input);
        return true;
    }
    WorkFiles fallback = privateFiles();
    if (fallback.input == files.input ||
        !model.write(QFile::encodeName(fallback.input).toStdString(), false))
        return false;
    files = fallback;
    claim(files.input);
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

void stop(QProcess& process)
{
    process.terminate();
    if (process.waitForFinished(reapTimeoutMs))
        return;
    process.kill();
    process.waitForFinished(reapTimeoutMs);
}

QString tooLong(int limitMs)
{
    return tr("The simulation took too long: it was stopped after %1 seconds without a result.")
        .arg(limitMs / 1000.0);
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

Outcome execute(const QString& dir, const WorkFiles& files, const QString& mode, int startMs,
                int finishMs)
{
    QProcess process;
    process.start(dir + QStringLiteral("/Trajex"), arguments(files, mode), QIODevice::ReadWrite);
    if (!process.waitForStarted(startMs))
        return {false, launchFailure(dir, files, mode)};
    // Known to a signal handler while this waits for it, where the handler
    // removes its files. One that writes beside the user's model is left to
    // finish: killed, it would leave its half-written file there.
    const QString own = QFile::decodeName(privateDirPath);
    if (!own.isEmpty() && files.output.startsWith(own + QLatin1Char('/')))
        runningChild.store(pid_t(process.processId()));
    const bool finished = process.waitForFinished(finishMs);
    // A child that outlived the wait is not left running behind us, and
    // whatever it may have written is not trusted.
    if (!finished)
        stop(process);
    runningChild.store(0);
    if (!finished)
        return {false, tooLong(finishMs)};
    return judge(process.exitStatus(), process.exitCode(), process.readAllStandardError(),
                 process.readAllStandardOutput(), files);
}

} // namespace simrun
