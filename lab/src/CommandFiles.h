#pragma once
// What the commands that run many shots share with `Shotlab sweep`: outputs
// written beside their target and renamed over it, Ctrl+C that stops the run
// cleanly, and the progress line. The code lives with the sweep command; the
// others reach it through these.

#include <atomic>
#include <cstddef>
#include <memory>
#include <ostream>
#include <string>

namespace quillmoor::lab {

// An output written beside its target and renamed over it by commit(); until
// then the target is untouched, and without commit() nothing is left. "-" is
// standard output.
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

// While the guard returned lives, Ctrl+C sets interruptFlag() (cleared when
// the guard is made) instead of ending the program; a second Ctrl+C ends it.
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
