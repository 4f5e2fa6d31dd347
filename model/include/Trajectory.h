#pragma once
// The sampled path of one shot: an ordered map from step index to point (yards).
//
// Backed by a vector kept sorted by step, because the simulator appends points
// in rising order (one per time step) and the writer walks them in that order;
// a std::map would spend most of a run allocating nodes. Storing under an
// existing step replaces its point, as a map would.

#include "Vector3.h"

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

// Memory for the points. A long path is written once, front to back; taking
// each of its pages from the system one fault at a time (about a hundred for a
// drive) was much of a whole Trajex run, so blocks of kLargePathBytes and more
// get a mapping of their own, aligned so that the system can back it with huge
// pages. Smaller ones come from operator new.
namespace pathmemory {
constexpr std::size_t kLargePathBytes = std::size_t(1) << 20;
void* allocateLarge(std::size_t bytes); // nullptr when no memory is left
void releaseLarge(void* p, std::size_t bytes);
} // namespace pathmemory

template <typename T> struct PathAllocator
{
    using value_type = T;
    PathAllocator() = default;
    template <typename U> PathAllocator(const PathAllocator<U>&) {}
    T* allocate(std::size_t n)
    {
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < pathmemory::kLargePathBytes)
            return static_cast<T*>(::operator new(bytes));
        if (void* p = pathmemory::allocateLarge(bytes))
            return static_cast<T*>(p);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < pathmemory::kLargePathBytes)
            ::operator delete(p);
        else
            pathmemory::releaseLarge(p, bytes);
    }
    friend bool operator==(const PathAllocator&, const PathAllocator&) { return true; }
    friend bool operator!=(const PathAllocator&, const PathAllocator&) { return false; }
};

class Trajectory
{
public:
    using value_type = std::pair<int, Vector3>;
    using Points = std::vector<value_type, PathAllocator<value_type>>;
    using const_iterator = Points::const_iterator;

    bool empty() const { return points_.empty(); }
    int size() const { return static_cast<int>(points_.size()); }
    void clear() { points_.clear(); }
    void reserve(std::size_t n) { points_.reserve(n); }

    const_iterator begin() const { return points_.begin(); }
    const_iterator end() const { return points_.end(); }
    // The entry with the largest step; the trajectory must not be empty.
    const value_type& back() const { return points_.back(); }

    // The point stored under step, or nullptr.
    const Vector3* find(int step) const;
    bool contains(int step) const { return find(step) != nullptr; }

    // Insert, or replace the point of an existing step.
    void set(int step, const Vector3& p);

    // Replace the whole content by points given in any order; for equal steps
    // the later one wins. Sorting once keeps a reader fed with points in
    // reverse order from becoming quadratic.
    void assign(Points points);
    void assign(const std::vector<value_type>& points);

    bool operator==(const Trajectory& o) const { return points_ == o.points_; }

private:
    Points points_;
};

inline bool operator==(const Trajectory::value_type& a, const Trajectory::value_type& b)
{
    return a.first == b.first && a.second == b.second;
}
