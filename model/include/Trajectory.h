#pragma once
// The sampled path of one shot: an ordered map from step index to point (yards).
//
// Backed by a vector kept sorted by step, because the simulator appends points
// in rising order (one per time step) and the writer walks them in that order;
// a std::map would spend most of a run allocating nodes. Storing under an
// existing step replaces its point, as a map would.

#include "Vector3.h"

#include <utility>
#include <vector>

class Trajectory
{
public:
    using value_type = std::pair<int, Vector3>;
    using const_iterator = std::vector<value_type>::const_iterator;

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
    void assign(std::vector<value_type> points);

    bool operator==(const Trajectory& o) const { return points_ == o.points_; }

private:
    std::vector<value_type> points_;
};

inline bool operator==(const Trajectory::value_type& a, const Trajectory::value_type& b)
{
    return a.first == b.first && a.second == b.second;
}
