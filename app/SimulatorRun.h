#pragma once
// One run of the Trajex program on a pair of data files: where the files go,
// how the child is started and waited for, and what counts as a result.
// The window writes the input before and reads the output after.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

class SwingModel;

namespace simrun {

struct WorkFiles
{
    QString input;
    QString output;
};

// The working files for a model whose data file is modelFile (may be empty).
// A hidden window with a model file (batch mode) uses that file itself for
// both; otherwise "swing.in"/"swing.out" lie beside the model file. Without a
// model file, where its directory may not be written (installed examples), or
// where a file this process did not make has one of those names (the user's
// own swing.out, the model saved as swing.in), they lie in the private
// directory of this process.
WorkFiles workFiles(const QString& modelFile, bool windowVisible);

// The working files this process made: claim() records one as it is now
// (after writing the input, after a run wrote the output); ownFileOrNone()
// is true when nothing has that name or it is still exactly the file this
// process left there, and so may be written over.
void claim(const QString& path);
bool ownFileOrNone(const QString& path);
// "swing.in"/"swing.out" in the private directory.
WorkFiles privateFiles();

// Ends a running simulator: SIGTERM first, which lets it remove the file it
// was writing, then SIGKILL if it does not end; it is reaped either way.
void stop(QProcess& process);

// Writes the model as the run's input (and claims it). Where the chosen place
// refuses it, the private directory takes over and `files` is changed to it.
// False when the input could not be written anywhere; `files` then names the
// first attempt.
bool writeInput(const SwingModel& model, WorkFiles& files);

// The directory Parview creates for itself inside the system's temporary
// directory (owner-only, removed when the process ends); empty when it could
// not be created.
QString privateTempDir();

// For a handler of a terminating signal (async-signal-safe): kills and reaps
// the simulator a run is waiting for in the private directory, then removes
// that directory with what is in it.
void removePrivateDirNow();

// Directory of the running executable; Trajex lies beside it.
QString programDir();

// The command as text, for messages: "<dir>/Trajex" "<in>" "<out>" <mode>.
QString commandText(const QString& dir, const WorkFiles& files, const QString& mode);

// Trajex's arguments: the two files, then the words of the mode text split
// as a command line would be ("simple noResults" is two words, quotes group).
QStringList arguments(const WorkFiles& files, const QString& mode);

struct Outcome
{
    bool ok = false;
    QString error; // the user-facing text when !ok
};

// The limits of one run.
constexpr int startLimitMs = 2000;
constexpr int finishLimitMs = 5000;

// The texts of a run that failed before it could report anything.
QString launchFailure(const QString& dir, const WorkFiles& files, const QString& mode);
QString missingOutput(const WorkFiles& files);
// A child stopped at the finish limit.
QString tooLong(int limitMs);

// What a child that has ended tells: its exit, its messages, and whether the
// output file is at least as new as the input.
Outcome judge(QProcess::ExitStatus status, int exitCode, const QByteArray& err,
              const QByteArray& out, const WorkFiles& files);

// Starts <dir>/Trajex with arguments(files, mode), waits for it, and judges
// it. Blocks for up to the start limit and then the finish limit; a child
// still running then is killed and reaped, and the run took too long.
Outcome execute(const QString& dir, const WorkFiles& files, const QString& mode,
                int startMs = startLimitMs, int finishMs = finishLimitMs);

} // namespace simrun
