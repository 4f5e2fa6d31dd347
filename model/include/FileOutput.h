#pragma once
// How every program here writes a file it is asked to write, so that nothing
// the user has is lost: a regular file (or a new path) is written beside its
// target and renamed over it in one step, so a failure leaves the old file as
// it was; whatever is not a regular file is written into and never replaced
// (a FIFO gets the text, /dev/null swallows it, /dev/full fails); and a path
// that names what standard output already has open (/dev/stdout, or the file
// `>> log` appends to) is written through that descriptor, so the shell's
// appending or truncating stands.
//
// An existing file the user may not write is not replaced, though its
// directory would allow it: the output fails as a plain open would. A
// symbolic link that points at nothing yet makes the file it names, the link
// staying a link.
//
// Temporary files that are still open are listed where a signal handler can
// find them: while a SignalCleanup lives, SIGINT, SIGTERM and SIGHUP remove
// them before they end the program, and no temporary file outlives it.

#include <csignal>
#include <cstddef>
#include <string>
#include <sys/types.h>

namespace fileout {

enum class Way {
    Closed,
    Replace,  // a temporary file beside the target, renamed over it by commit()
    Direct,   // a device, FIFO or socket, opened and written into
    Standard, // standard output or standard error, written through its descriptor
};

class Output
{
public:
    Output() = default;
    // An output that was not committed is discarded.
    ~Output() { discard(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    // Opens path for writing; false with the reason (not naming the path)
    // when it cannot be written. Through a symbolic link the file it points
    // to is written, or made when it is not there.
    bool open(const std::string& path, std::string& error);
    // Appends; false once any write has failed (what follows is dropped).
    bool write(const char* data, std::size_t size);
    // Completes the output: the temporary file takes the target's place with
    // the mode of the file it replaces. False with the reason when a write
    // failed or the file could not take its place; a replaced file is then
    // left as it was.
    bool commit(std::string& error);
    // Drops the output; a temporary file is removed.
    void discard();

    Way way() const { return way_; }
    bool failed() const { return writeErrno_ != 0; }
    // The errno of the failure open() or commit() reported; 0 without one.
    int errorNumber() const { return errorNumber_; }

private:
    void close();

    Way way_ = Way::Closed;
    int fd_ = -1;
    std::string target_;
    std::string temp_;
    int slot_ = -1; // in the list of temporary files
    mode_t mode_ = 0;
    int writeErrno_ = 0;
    int errorNumber_ = 0;
};

// True when both paths name one existing file (the same device and inode,
// through links): a hard link, a symbolic link or another spelling.
bool sameFile(const std::string& a, const std::string& b);
// True when path names an existing regular file.
bool isRegularFile(const std::string& path);
// True when standard output or error has the file at path open (a shell's
// redirection): an Output writes into it through that descriptor.
bool isStandardStream(const std::string& path);

// Removes every temporary file an Output holds; async-signal-safe.
void removeTemporaries();
// For a handler of a fatal signal: removes the temporary files, then ends
// the process by that signal, as its default action would; async-signal-safe.
void endBySignal(int signal);

// While it lives, SIGINT, SIGTERM and SIGHUP end the program as their default
// action would, with no temporary file left; the handlers it replaced come
// back when it goes. A signal the program was started to ignore (nohup, Ctrl+C
// in a background job) stays ignored. A program that stops cleanly on Ctrl+C
// gives its own SIGINT handler, which calls endBySignal() to end at once.
class SignalCleanup
{
public:
    explicit SignalCleanup(void (*onInterrupt)(int) = nullptr);
    ~SignalCleanup();
    SignalCleanup(const SignalCleanup&) = delete;
    SignalCleanup& operator=(const SignalCleanup&) = delete;

private:
    static constexpr int kSignals = 3;
    struct sigaction previous_[kSignals] = {};
    bool installed_[kSignals] = {};
};

} // namespace fileout
