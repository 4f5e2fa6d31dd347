#include "FileInput.h"

#include <cerrno>
#include <unistd.h>

namespace fileinput {

ReadEnd readBounded(int fd, std::size_t limit, std::string& text, int& error)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            return ReadEnd::Failed;
        }
        if (n == 0)
            return ReadEnd::Whole;
        if (text.size() + static_cast<std::size_t>(n) > limit)
            return ReadEnd::TooLong;
        text.append(buf, static_cast<std::size_t>(n));
    }
}

} // namespace fileinput
