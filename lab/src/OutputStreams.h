#pragma once
// Where the commands' output goes, and how a failure there is told. A file is
// written as fileout::Output writes it: a regular file (or a new path) is
// replaced in one step at commit(), a FIFO or a device is written into, and
// the file standard output has open is written through it. Standard output
// itself ("-", the tables) is the caller's stream; what it could not take is
// an error of the command.

#include "FileOutput.h"

#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace quillmoor::lab {

class FileStream
{
public:
    FileStream();
    ~FileStream();
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    // False with the reason (not naming the path) when path cannot be written.
    bool open(const std::string& path, std::string& error);
    std::ostream& stream() { return stream_; }
    // Completes the file; false with the reason when any of it could not be
    // written (a file replaced is then as it was).
    bool commit(std::string& error);

private:
    class Buffer;
    fileout::Output output_;
    std::unique_ptr<Buffer> buffer_;
    std::ostream stream_;
};

// Standard output for the program itself: its blocks go straight to the
// descriptor, and the reason of a failed write is kept for the message
// (std::cout loses it).
class StandardOutputBuffer : public std::streambuf
{
public:
    explicit StandardOutputBuffer(int fd);
    ~StandardOutputBuffer() override;
    // errno of the first write that failed, else 0.
    int error() const { return error_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();
    int fd_;
    int error_ = 0;
    char block_[64 * 1024];
};

// Flushes out; false with the reason when it did not take everything written
// to it (a full disk, a closed pipe, /dev/full).
bool flushOutput(std::ostream& out, std::string& error);

// The exit status of a command that printed to out: status, or kExitFailure
// after "<who>: standard output: <reason>" on err when out failed.
int finishOutput(std::ostream& out, std::ostream& err, const std::string& who, int status);

} // namespace quillmoor::lab
