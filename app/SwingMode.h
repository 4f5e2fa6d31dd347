#pragma once
// QMX_SWING_MODE, as every run of the window reads it. Swing hands its words
// to Trajex after the two file names, and Trajex takes the first of them: the
// physics that word names ("simple", "complex", "realistic"), else complex.
//
// A variable that holds a word wins over the window's Physics choice
// (PhysicsChoice); one that holds none says nothing. Sweep..., Dispersion...
// and Make % ask the choice, so that every run of the window uses the same
// physics.

#include "ShotRun.h"

#include <QString>
#include <QStringList>

namespace swingmode {

// The variable's text; empty when it is not set.
QString fromEnvironment();
// Its words as a command line would split them ("simple noResults" is two
// words, quotes group).
QStringList words(const QString& mode);
// The physics Trajex runs for those words.
quillmoor::ShotMode physics(const QString& mode);

// True when the text holds a word, and so decides the physics.
bool decides(const QString& mode);
// The physics of a run when the window's choice is `chosen`.
quillmoor::ShotMode inEffect(const QString& mode, quillmoor::ShotMode chosen);
// The words after Trajex's two file names: the variable's text when it
// decides, else none for complex (the command as it always was), "simple" or
// "realistic".
QString trajexMode(const QString& mode, quillmoor::ShotMode chosen);

} // namespace swingmode
