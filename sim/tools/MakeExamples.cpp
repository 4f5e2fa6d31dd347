// Writes the example models of examples/: for each built-in hole a fresh
// model ready for a tee shot, and one set up for a putt from the green a few
// yards short of the hole. Usage: make_examples <examples directory>

#include "SwingModel.h"

#include <iostream>
#include <string>

namespace {

struct PuttSetup
{
    double dx, dy; // start, yards from the hole
    double speed;  // mph
    double aim;    // PuttTargetAngle, degrees: allowance for the break
};

// A few yards short of the hole; each of these drops in on the complex green.
constexpr PuttSetup kPutts[] = {
    {1.0, -3.0, 2.5, -19.0},
    {-1.5, -3.0, 7.5, -9.0},
    {1.0, -2.5, 7.25, 7.0},
    {0.0, -3.0, 5.0, 0.0},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Usage:\n  make_examples directory\n";
        return 1;
    }
    const std::string dir = argv[1];
    for (int hole = 1; hole <= 4; ++hole) {
        const std::string stem = dir + "/hole" + std::to_string(hole);
        SwingModel tee(false);
        tee.selectHole(hole);
        if (!tee.write(stem + "-teeshot.txt")) {
            std::cerr << "Unable to write output file: " << stem << "-teeshot.txt\n";
            return 1;
        }

        SwingModel putt(false);
        putt.selectHole(hole);
        const PuttSetup& s = kPutts[hole - 1];
        const Vector3 h = putt.hole.HolePos;
        putt.setPuttEnabled(true);
        putt.setValue("PuttBallSpeed", s.speed);
        putt.setValue("PuttTargetAngle", s.aim);
        putt.setBallPos({h.x + s.dx, h.y + s.dy, putt.groundHeight(h.x + s.dx, h.y + s.dy)});
        if (!putt.write(stem + "-putt.txt")) {
            std::cerr << "Unable to write output file: " << stem << "-putt.txt\n";
            return 1;
        }
    }
    return 0;
}
