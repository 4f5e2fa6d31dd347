#pragma once
// Helpers shared by the simulator tests.

#include "SwingModel.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

// Point comparison that names the step and prints the whole actual point.
inline ::testing::AssertionResult pointNear(const Vector3& actual, const Vector3& expected,
                                            double tol)
{
    if (std::abs(actual.x - expected.x) <= tol && std::abs(actual.y - expected.y) <= tol &&
        std::abs(actual.z - expected.z) <= tol)
        return ::testing::AssertionSuccess();
    std::ostringstream s;
    s.precision(10);
    s << "actual (" << actual.x << ", " << actual.y << ", " << actual.z << "), expected ("
      << expected.x << ", " << expected.y << ", " << expected.z << ") within " << tol;
    return ::testing::AssertionFailure() << s.str();
}
