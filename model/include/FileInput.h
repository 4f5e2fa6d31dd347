#pragma once
// Reading what a file descriptor gives, up to a bound: a pipe or a device
// (/dev/zero) may never end, so every reader of user files stops at a size.

#include <cstddef>
#include <string>

namespace fileinput {

enum class ReadEnd { Whole, Failed, TooLong };

// Appends to `text` what `fd` gives until its end, retrying interrupted reads.
// TooLong when the whole would pass `limit` bytes (the piece that would is
// not appended); Failed with errno in `error` when a read fails.
ReadEnd readBounded(int fd, std::size_t limit, std::string& text, int& error);

} // namespace fileinput
