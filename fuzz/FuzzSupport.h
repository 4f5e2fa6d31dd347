#pragma once
// Shared by the fuzz targets: the model reads and writes paths, so inputs go
// through a per-process file in memory-backed storage.

#include "SwingModel.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzz {

inline std::string scratch(const char* tag)
{
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(base) + "/quillmoor-fuzz-" + tag + "-" + std::to_string(getpid());
}

inline void putFile(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}

inline std::string slurp(const std::string& path)
{
    std::string text;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    return text;
}

// Every input starts from the built-in course, as a fresh process would.
inline void freshCatalogue()
{
    holeCatalogue().clear();
}

} // namespace fuzz
