#pragma once
// Deciding whether a file is a model before anything is taken from it or
// written over it, and reading files into a scratch model that replaces the
// real one only when the whole read was good.
//
// The reader itself accepts any text (and most binary junk) and writes the
// file's hole into the process-wide catalogue as it goes; these functions put
// a check in front of it and undo what a read must not leave behind.

#include "SwingModel.h"

#include <cstddef>
#include <map>
#include <string>

namespace modelfile {

// No model comes near this size: a shot of a million points is about 45 MB.
// A file that goes on past it (/dev/zero, a pipe that never ends, a huge file
// that is no model) is given up there rather than read for ever.
constexpr std::size_t kMaxModelFileBytes = std::size_t(256) << 20;
// What is said of such a file.
std::string tooLargeReason();

enum class Verdict {
    Model,      // may be read, and written back
    Unreadable, // missing, a directory, or no permission
    NotAModel,  // readable, but neither written by us nor a hand-written model
    TooLarge,   // goes on past kMaxModelFileBytes
};

// A model begins with the header line every written file has, or else (a
// hand-written one) more than half of its non-blank, non-comment lines are
// lines of the data file: a known key before the first colon, or a point line
// of an announced step block.
bool isModelText(const std::string& text);
// The same check on a file; reads it in pieces, at most kMaxModelFileBytes.
Verdict examine(const std::string& path);

// For a program that takes a file only as a model (Shotlab): the check, then
// read() into `out`. A pipe or a device is read once, into memory, and judged
// there. False with the reason, not naming the file, when it cannot be read,
// is too large or is not a model.
bool readModelFile(const std::string& path, SwingModel& out, std::string& why);

// The catalogue as it is now; restore() puts it back.
class CatalogueSnapshot
{
public:
    CatalogueSnapshot() : saved(holeCatalogue()) {}
    void restore() const { holeCatalogue() = saved; }

private:
    std::map<int, HoleInfo> saved;
};

// Opening a model: `out` becomes `current` overlaid with the file, except that
// results the file does not carry (trajectories, FirstImpact, the exit code)
// are dropped rather than kept from `current`. Notification is off in `out`.
// False when the file cannot be read; the catalogue is then as it was.
bool loadOver(const SwingModel& current, const std::string& path, SwingModel& out);

// A simulator's output for the shot `current` asked for (its PuttEnabled):
// true only when the file holds an "Exit Code" line and points for that shot.
// Otherwise false, with the catalogue as it was; `out` is then scratch.
bool readRunOutput(const SwingModel& current, const std::string& path, SwingModel& out);

// Reads a file into `out` (a model of its own, notification off) for its
// trajectory alone: the catalogue is left exactly as it was.
bool readDetached(const std::string& path, SwingModel& out);

} // namespace modelfile
