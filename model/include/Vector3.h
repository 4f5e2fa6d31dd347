#pragma once
// A point or direction in the hole's frame: x across the hole, y from the tee
// toward the green, z up. Units are those of the data file (yards) unless a
// caller says otherwise.

#include <cmath>

struct Vector3
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    constexpr Vector3() = default;
    constexpr Vector3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    double length() const { return std::sqrt(x * x + y * y + z * z); }

    // Divides each component by the length; a zero vector comes back unchanged.
    Vector3 normalized() const
    {
        const double len = length();
        if (len == 0.0)
            return *this;
        return {x / len, y / len, z / len};
    }

    bool isNonZero() const { return x != 0.0 || y != 0.0 || z != 0.0; }

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator*(double k) const { return {x * k, y * k, z * k}; }
    Vector3 cross(const Vector3& o) const
    {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vector3& o) const { return !(*this == o); }
};
