#include "Trajectory.h"

#include <algorithm>
#include <cstdint>
#include <sys/mman.h>

// Under the address sanitizer the memory must come from its allocator, which
// checks every access to it. GCC says so with a macro, clang with a feature.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLMOOR_PLAIN_PATH_MEMORY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLMOOR_PLAIN_PATH_MEMORY 1
#endif
#endif
#if !defined(MADV_HUGEPAGE)
#define QUILLMOOR_PLAIN_PATH_MEMORY 1
#endif

namespace pathmemory {

#ifdef QUILLMOOR_PLAIN_PATH_MEMORY
void* allocateLarge(std::size_t bytes)
{
    return ::operator new(bytes, std::nothrow);
}

void releaseLarge(void* p, std::size_t)
{
    ::operator delete(p);
}
#else
namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::size_t mappedSize(std::size_t bytes)
{
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}
} // namespace

void* allocateLarge(std::size_t bytes)
{
    // Map one huge page more than needed and trim to a huge-page boundary.
    const std::size_t size = mappedSize(bytes);
    void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    char* const start = static_cast<char*>(raw);
    char* const aligned = reinterpret_cast<char*>(
        (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1));
    if (aligned != start)
        ::munmap(start, static_cast<std::size_t>(aligned - start));
    const std::size_t tail = static_cast<std::size_t>(start + size + kHugePage - (aligned + size));
    if (tail > 0)
        ::munmap(aligned + size, tail);
    ::madvise(aligned, size, MADV_HUGEPAGE); // a hint: without huge pages it works as before
    return aligned;
}

void releaseLarge(void* p, std::size_t bytes)
{
    ::munmap(p, mappedSize(bytes));
}
#endif

} // namespace pathmemory

namespace {
bool stepLess(const Trajectory::value_type& a, const Trajectory::value_type& b)
{
    return a.first < b.first;
}
} // namespace

const Vector3* Trajectory::find(int step) const
{
    auto it = std::lower_bound(points_.begin(), points_.end(), value_type{step, {}}, stepLess);
    if (it == points_.end() || it->first != step)
        return nullptr;
    return &it->second;
}

void Trajectory::set(int step, const Vector3& p)
{
    if (points_.empty() || points_.back().first < step) {
        points_.emplace_back(step, p);
        return;
    }
    auto it = std::lower_bound(points_.begin(), points_.end(), value_type{step, {}}, stepLess);
    if (it != points_.end() && it->first == step)
        it->second = p;
    else
        points_.insert(it, value_type{step, p});
}

void Trajectory::assign(const std::vector<value_type>& points)
{
    assign(Points(points.begin(), points.end()));
}

void Trajectory::assign(Points points)
{
    const auto strictlyRising = [](const value_type& a, const value_type& b) {
        return a.first >= b.first;
    };
    if (std::adjacent_find(points.begin(), points.end(), strictlyRising) == points.end()) {
        points_ = std::move(points); // the usual case: a file as the writer lays it out
        return;
    }
    std::stable_sort(points.begin(), points.end(), stepLess);
    // Keep the last of each run of equal steps: that is what repeated stores do.
    Points unique;
    unique.reserve(points.size());
    for (const auto& p : points) {
        if (!unique.empty() && unique.back().first == p.first)
            unique.back().second = p.second;
        else
            unique.push_back(p);
    }
    points_ = std::move(unique);
}
