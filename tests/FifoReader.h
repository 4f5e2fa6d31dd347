#pragma once
// Reads everything written into a FIFO while a test writes to it by name.
// Both ends are opened before the writer runs and a spare write end is held,
// so the reader neither waits for a writer nor sees the end too early; a
// writer that never opens the FIFO (it replaced it instead) makes text()
// return at once with nothing, rather than hang the test.

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class FifoReader
{
public:
    // Makes the FIFO at path.
    explicit FifoReader(const std::string& path)
    {
        if (::mkfifo(path.c_str(), 0600) != 0)
            return;
        read_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
        spare_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (read_ < 0 || spare_ < 0)
            return;
        ::fcntl(read_, F_SETFL, ::fcntl(read_, F_GETFL) & ~O_NONBLOCK);
        thread_ = std::thread([this] {
            char buf[65536];
            ssize_t n;
            while ((n = ::read(read_, buf, sizeof buf)) > 0)
                text_.append(buf, static_cast<std::size_t>(n));
        });
    }
    ~FifoReader() { text(); }
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    bool ok() const { return thread_.joinable(); }

    // Call once the writer is done: what came through the FIFO.
    const std::string& text()
    {
        if (spare_ >= 0)
            ::close(spare_);
        spare_ = -1;
        if (thread_.joinable())
            thread_.join();
        if (read_ >= 0)
            ::close(read_);
        read_ = -1;
        return text_;
    }

private:
    int read_ = -1;
    int spare_ = -1;
    std::thread thread_;
    std::string text_;
};
