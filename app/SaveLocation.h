#pragma once
// Where the window's Save As starts, and what it says when a save fails.

#include <QString>

namespace savelocation {

// The save dialog's start for a model with that data file (may be empty):
// the file itself where its folder may be written, else the same name in
// the user's documents (the home folder when there is no such folder). An
// installed example is read-only; its copy goes where the user keeps files.
QString dialogStart(const QString& modelFile);

// Why a write failed, from its errno, for people ("Permission denied", "No
// space left on device", ...), with a hint where another place would do.
QString failureReason(int error);

} // namespace savelocation
