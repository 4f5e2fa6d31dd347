#include "FileOutput.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fileout {

namespace {

// The temporary files open now, in fixed slots a signal handler can walk
// without allocating. A slot is claimed (1), filled and made live (2); the
// handler takes a live one for the moment it removes the file (3), and its
// owner waits for that before freeing it (0).
struct Slot
{
    std::atomic<int> state{0};
    char path[4096];
};
static_assert(std::atomic<int>::is_always_lock_free, "used from signal handlers");

constexpr int kFree = 0, kFilling = 1, kLive = 2, kRemoving = 3;
Slot slots[16];

int claimSlot(const std::string& path)
{
    if (path.size() >= sizeof slots[0].path)
        return -1; // not listed; the file is still removed on every ordinary way out
    for (int i = 0; i < int(sizeof slots / sizeof slots[0]); ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
            slots[i].state.store(kLive);
            return i;
        }
    }
    return -1;
}

void releaseSlot(int i)
{
    if (i < 0)
        return;
    for (;;) {
        int expected = kLive;
        if (slots[i].state.compare_exchange_strong(expected, kFree))
            return;
        std::this_thread::yield(); // a handler on another thread is removing it
    }
}

std::string reason(int error)
{
    return std::strerror(error);
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Where a symbolic link that points at nothing (yet) leads: along a chain of
// links, each read relative to its own directory, to the path that is no
// link. path itself when it is none; empty with errno set when the chain
// does not end.
std::string danglingTarget(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        char to[4096];
        const ssize_t n = ::readlink(path.c_str(), to, sizeof to);
        if (n < 0)
            return path;
        if (n == sizeof to) {
            errno = ENAMETOOLONG;
            return {};
        }
        const std::size_t slash = path.rfind('/');
        path = to[0] == '/' || slash == std::string::npos
                   ? std::string(to, n)
                   : path.substr(0, slash + 1) + std::string(to, n);
    }
    errno = ELOOP;
    return {};
}

// What a plain create would give under the current umask.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool sameNode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The descriptor of standard output or error when it has this file open.
int standardDescriptorFor(const struct stat& file)
{
    for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat st;
        if (::fstat(fd, &st) == 0 && sameNode(st, file))
            return fd;
    }
    return -1;
}

} // namespace

bool Output::open(const std::string& path, std::string& error)
{
    discard();
    writeErrno_ = 0;
    errorNumber_ = 0;
    if (path.empty()) {
        error = "no file name";
        return false;
    }
    struct stat st;
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        errorNumber_ = errno;
        error = reason(errno);
        return false;
    }
    if (exists && S_ISDIR(st.st_mode)) {
        errorNumber_ = EISDIR;
        error = reason(EISDIR);
        return false;
    }
    if (exists) {
        const int standard = standardDescriptorFor(st);
        if (standard >= 0) {
            std::fflush(standard == STDOUT_FILENO ? stdout : stderr); // what stdio holds goes first
            fd_ = standard;
            way_ = Way::Standard;
            return true;
        }
    }
    if (exists && !S_ISREG(st.st_mode)) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) {
            errorNumber_ = errno;
            error = reason(errno);
            return false;
        }
        way_ = Way::Direct;
        return true;
    }

    // Through a symbolic link the file it points to is replaced (or made),
    // not the link.
    target_ = path;
    if (!exists) {
        target_ = danglingTarget(path);
        if (target_.empty()) {
            errorNumber_ = errno;
            error = reason(errno);
            return false;
        }
    } else if (char* real = ::realpath(path.c_str(), nullptr)) {
        target_ = real;
        std::free(real);
    }
    // The rename needs only the directory's permission; a file the user may
    // not write must not be replaced behind its back.
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        errorNumber_ = errno;
        error = reason(errno);
        target_.clear();
        return false;
    }
    mode_ = exists ? st.st_mode & 07777 : newFileMode();
    std::string temp = target_ + ".XXXXXX";
    // No fatal signal between making the file and listing it, where its
    // handler would not know of it: one that comes meanwhile waits until the
    // file is listed.
    sigset_t fatal, previous;
    sigemptyset(&fatal);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&fatal, signal);
    ::pthread_sigmask(SIG_BLOCK, &fatal, &previous);
    fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
    const int made = errno;
    if (fd_ >= 0) {
        temp_ = temp;
        slot_ = claimSlot(temp_);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd_ < 0) {
        errno = errorNumber_ = made;
        // The file itself may be there and fine: say that it is the new one
        // beside it that cannot be made.
        error = exists ? "cannot create a new file in " + directoryOf(target_) +
                             " to take its place: " + reason(errno)
                       : reason(errno);
        return false;
    }
    way_ = Way::Replace;
    return true;
}

bool Output::write(const char* data, std::size_t size)
{
    if (way_ == Way::Closed || writeErrno_ != 0)
        return false;
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            writeErrno_ = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Output::commit(std::string& error)
{
    if (way_ == Way::Closed) {
        error = "not open";
        return false;
    }
    if (writeErrno_ != 0) {
        errorNumber_ = writeErrno_;
        error = reason(writeErrno_);
        discard();
        return false;
    }
    if (way_ == Way::Standard) {
        way_ = Way::Closed;
        fd_ = -1;
        return true;
    }
    if (way_ == Way::Direct) {
        const int fd = fd_;
        fd_ = -1;
        way_ = Way::Closed;
        if (::close(fd) != 0) {
            errorNumber_ = errno;
            error = reason(errno);
            return false;
        }
        return true;
    }

    bool ok = ::fchmod(fd_, mode_) == 0;
    int failure = errno;
    if (ok) {
        ok = ::close(fd_) == 0;
        failure = errno;
    } else {
        ::close(fd_);
    }
    fd_ = -1;
    if (ok) {
        // Only a regular file is ever replaced, even one that became
        // something else while the output was written.
        struct stat st;
        if (::lstat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
            errorNumber_ = EEXIST;
            error = "is no longer a regular file; it was left as it is";
            discard();
            return false;
        }
        ok = ::rename(temp_.c_str(), target_.c_str()) == 0;
        failure = errno;
    }
    if (!ok) {
        errorNumber_ = failure;
        error = reason(failure);
        discard();
        return false;
    }
    releaseSlot(slot_);
    slot_ = -1;
    temp_.clear();
    way_ = Way::Closed;
    return true;
}

void Output::discard()
{
    if (way_ == Way::Direct || (way_ == Way::Replace && fd_ >= 0))
        ::close(fd_);
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    releaseSlot(slot_);
    slot_ = -1;
    temp_.clear();
    fd_ = -1;
    way_ = Way::Closed;
}

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sameNode(sa, sb);
}

bool isRegularFile(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isStandardStream(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && standardDescriptorFor(st) >= 0;
}

void removeTemporaries()
{
    for (Slot& slot : slots) {
        int expected = kLive;
        if (slot.state.compare_exchange_strong(expected, kRemoving)) {
            ::unlink(slot.path);
            slot.state.store(kLive);
        }
    }
}

void endBySignal(int signal)
{
    removeTemporaries();
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    // Blocked while its handler runs: delivered, with the default action,
    // as soon as the handler returns.
    ::raise(signal);
}

namespace {

extern "C" void onFatalSignal(int signal)
{
    endBySignal(signal);
}

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

SignalCleanup::SignalCleanup(void (*onInterrupt)(int))
{
    static_assert(sizeof kCleanedSignals / sizeof kCleanedSignals[0] == kSignals);
    for (int i = 0; i < kSignals; ++i) {
        const int signal = kCleanedSignals[i];
        if (::sigaction(signal, nullptr, &previous_[i]) != 0 || previous_[i].sa_handler == SIG_IGN)
            continue;
        struct sigaction action = {};
        action.sa_handler = signal == SIGINT && onInterrupt ? onInterrupt : onFatalSignal;
        sigemptyset(&action.sa_mask);
        installed_[i] = ::sigaction(signal, &action, nullptr) == 0;
    }
}

SignalCleanup::~SignalCleanup()
{
    for (int i = 0; i < kSignals; ++i)
        if (installed_[i])
            ::sigaction(kCleanedSignals[i], &previous_[i], nullptr);
}

} // namespace fileout
