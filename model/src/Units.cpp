#include "Units.h"

#include "ShotSummary.h"

#include <cmath>

namespace quillmoor {

double wrappedDegrees(double a)
{
    a = std::remainder(a, 360.0);
    return a == -180.0 ? 180.0 : a;
}

std::string feetAndInchesText(double yards)
{
    const double feet = yards * kYdToFt;
    return feet < 1.0 ? fixedText(feet * 12.0, 2) + " inches" : fixedText(feet, 2) + " feet";
}

} // namespace quillmoor
