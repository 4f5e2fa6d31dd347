#pragma once
// One run of the Trajex program on a pair of data files: where the files go,
// how the child is started and waited for, and what counts as a result.
// The window writes the input before and reads the output after.

#include <QString>

namespace simrun {

struct WorkFiles
{
    QString input;
    QString output;
};

// The working files for a model whose data file is modelFile (may be empty).
// A hidden window with a model file (batch mode) uses that file itself for
// both; otherwise "swing.in"/"swing.out" lie beside the model file, or in a
// private directory of this process when the model has none.
WorkFiles workFiles(const QString& modelFile, bool windowVisible);

// The directory Parview creates for itself inside the system's temporary
// directory (owner-only, removed when the process ends); empty when it could
// not be created.
QString privateTempDir();

// Directory of the running executable; Trajex lies beside it.
QString programDir();

// The command as text, for messages: "<dir>/Trajex" "<in>" "<out>" <mode>.
QString commandText(const QString& dir, const WorkFiles& files, const QString& mode);

struct Outcome
{
    bool ok = false;
    QString error; // the user-facing text when !ok
};

// Starts <dir>/Trajex with [input, output] and the mode word when it is not
// empty, waits for it, and checks its exit code and the output's time.
// Blocks for up to 2 s for the start and 5 s for the end; a child still
// running then is killed and reaped.
Outcome execute(const QString& dir, const WorkFiles& files, const QString& mode);

} // namespace simrun
