#pragma once
// What the commands that run many shots share with `Shotlab sweep`: outputs
// written as OutputStreams.h says (a regular file beside its target and
// renamed over it, a FIFO or a device written into), outputs that would
// destroy the model refused, Ctrl+C that stops the run cleanly (and SIGTERM,
// SIGHUP or a second Ctrl+C that end it without a temporary file left), and
// the progress line. The code lives with the sweep command; the others reach
// it through these.

#include <atomic>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace quillmoor::lab {

// The usage error of `Shotlab COMMAND`: the message, then where the
// command's help is; returns the exit status 2.
int usageError(std::ostream& err, const char* command, const std::string& message);

// The last part of a path, as messages name the files.
std::string fileName(const std::string& path);

// An output file (OutputStreams.h): a regular file is written beside its
// target and renamed over it by commit(); until then the target is untouched,
// and without commit() nothing is left. "-" is standard output, whose
// failure commit() reports too.
class CommandOutput
{
public:
    virtual ~CommandOutput() = default;
    // False with the reason when the file cannot be made.
    virtual bool open(std::string& error) = 0;
    virtual std::ostream& stream() = 0;
    virtual bool commit(std::string& error) = 0;
    virtual const std::string& path() const = 0; // as given
};
std::unique_ptr<CommandOutput> makeCommandOutput(const std::string& path,
                                                 std::ostream& standardOutput);

// The outputs of a command, as (option, path): empty when they may be
// written, else the usage error: two of them name one file, or one names the
// model (however spelled: a link, another path), which it would destroy.
std::string checkOutputTargets(const std::vector<std::pair<std::string, std::string>>& targets,
                               const std::string& model);

// While the guard returned lives, Ctrl+C sets interruptFlag() (cleared when
// the guard is made) instead of ending the program; a second Ctrl+C, SIGTERM
// or SIGHUP ends it, removing the temporary files of the outputs first.
std::shared_ptr<void> catchInterrupts();
const std::atomic<bool>& interruptFlag();

// "\r12 of 100 points (12 %), 3 s, about 22 s left" on one line, with unit
// in place of "points".
class CommandProgress
{
public:
    virtual ~CommandProgress() = default;
    virtual void show(std::size_t done, std::size_t total) = 0;
    virtual void clear() = 0; // blanks the line
};
std::unique_ptr<CommandProgress> makeProgressLine(std::ostream& err, const char* unit);

} // namespace quillmoor::lab
