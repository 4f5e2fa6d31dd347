#pragma once
// QMX_SWING_MODE, as every run of the window reads it. Swing hands its words
// to Trajex after the two file names, and Trajex takes the first of them: the
// physics that word names ("simple", "complex", "realistic"), else complex.
// A sweep or dispersion in the window follows the same rule, so that all run
// the same physics.

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

} // namespace swingmode
