#include "Trajectory.h"

#include <algorithm>

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

void Trajectory::assign(std::vector<value_type> points)
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
    std::vector<value_type> unique;
    unique.reserve(points.size());
    for (const auto& p : points) {
        if (!unique.empty() && unique.back().first == p.first)
            unique.back().second = p.second;
        else
            unique.push_back(p);
    }
    points_ = std::move(unique);
}
