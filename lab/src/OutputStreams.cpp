#include "OutputStreams.h"

#include "Shotlab.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace quillmoor::lab {

// Collects what the stream is given and hands it to the output in blocks.
class FileStream::Buffer : public std::streambuf
{
public:
    explicit Buffer(fileout::Output& output) : output_(output), block_(64 * 1024)
    {
        setp(block_.data(), block_.data() + block_.size());
    }

protected:
    int_type overflow(int_type c) override
    {
        if (!drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override { return drain() ? 0 : -1; }

private:
    bool drain()
    {
        const std::size_t n = static_cast<std::size_t>(pptr() - pbase());
        setp(block_.data(), block_.data() + block_.size());
        return n == 0 || output_.write(block_.data(), n);
    }

    fileout::Output& output_;
    std::vector<char> block_;
};

FileStream::FileStream() : buffer_(std::make_unique<Buffer>(output_)), stream_(buffer_.get()) {}

FileStream::~FileStream() = default;

bool FileStream::open(const std::string& path, std::string& error)
{
    return output_.open(path, error);
}

bool FileStream::commit(std::string& error)
{
    stream_.flush();
    return output_.commit(error);
}

StandardOutputBuffer::StandardOutputBuffer(int fd) : fd_(fd)
{
    setp(block_, block_ + sizeof block_);
}

StandardOutputBuffer::~StandardOutputBuffer()
{
    drain();
}

StandardOutputBuffer::int_type StandardOutputBuffer::overflow(int_type c)
{
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int StandardOutputBuffer::sync()
{
    return drain() ? 0 : -1;
}

bool StandardOutputBuffer::drain()
{
    const char* p = pbase();
    std::size_t left = static_cast<std::size_t>(pptr() - pbase());
    setp(block_, block_ + sizeof block_);
    while (left > 0 && error_ == 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_ = errno;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return error_ == 0;
}

bool flushOutput(std::ostream& out, std::string& error)
{
    errno = 0;
    out.flush();
    if (out)
        return true;
    const auto* standard = dynamic_cast<const StandardOutputBuffer*>(out.rdbuf());
    const int why = standard && standard->error() != 0 ? standard->error() : errno;
    error = why != 0 ? std::strerror(why) : "not everything could be written";
    return false;
}

int finishOutput(std::ostream& out, std::ostream& err, const std::string& who, int status)
{
    std::string error;
    if (flushOutput(out, error))
        return status;
    err << who << ": standard output: " << error << '\n';
    return kExitFailure;
}

} // namespace quillmoor::lab
