// The putt reader. Whatever it recommends is run through complexPutt here: a
// read is only as good as the putts it names.

#include "../VectorStateProbe.h"
#include "PuttReader.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <thread>
#include <tuple>

using quillmoor::PuttRead;
using quillmoor::readPutt;

namespace {

constexpr double kDegToRad = 0.0174532925;

// Putt mode on a built-in hole, the ball on the ground at (x, y); dt 0 keeps
// the default time step.
SwingModel ballAt(int hole, double x, double y, double dt = 0.0)
{
    SwingModel m(false);
    m.selectHole(hole);
    m.PuttEnabled = true;
    m.BallPos = {x, y, m.groundHeight(x, y)};
    if (dt > 0.0)
        m.TimeStepSize = dt;
    return m;
}

bool holes(const SwingModel& model, double speed, double angle)
{
    SwingModel m = model;
    m.PuttEnabled = true;
    m.PuttBallSpeed = speed;
    m.PuttTargetAngle = angle;
    EXPECT_TRUE(quillmoor::complexPutt(m).ok);
    return !m.puttShot.empty() && m.puttShot.back().second == m.hole.HolePos;
}

constexpr double kCheckStep = 0.05; // deg: aims this close together are checked

// Every putt a holing read names holes, and the numbers hang together. The
// windows at the recommended speed rise, lie apart and hole at every aim (a
// full circle is left to its own case); the widest is recommended, aimed at
// its middle. The first run of aims that miss in a window is reported.
void expectHoling(const SwingModel& m, const PuttRead& r)
{
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(r.holed);
    EXPECT_TRUE(holes(m, r.speedMph, r.targetAngleDeg)) << "the recommendation";
    EXPECT_TRUE(holes(m, r.minSpeedMph, r.minSpeedAngleDeg)) << "the slowest putt";
    EXPECT_TRUE(holes(m, r.maxSpeedMph, r.maxSpeedAngleDeg)) << "the fastest putt";
    const double middle = 0.5 * (r.windowLoDeg + r.windowHiDeg);
    EXPECT_NEAR(std::remainder(r.targetAngleDeg - middle, 360.0), 0.0, 1e-9);
    EXPECT_LE(r.minSpeedMph, r.speedMph);
    EXPECT_GE(r.maxSpeedMph, r.speedMph);
    bool recommended = false;
    double widest = 0.0, previousHi = -HUGE_VAL;
    for (const auto& w : r.windows) {
        EXPECT_GT(w.loDeg, previousHi);
        EXPECT_LE(w.loDeg, w.hiDeg);
        previousHi = w.hiDeg;
        widest = std::max(widest, w.hiDeg - w.loDeg);
        recommended |= w.loDeg == r.windowLoDeg && w.hiDeg == r.windowHiDeg;
        int misses = 0;
        double missFrom = 0.0, missTo = 0.0;
        for (double a = w.loDeg; w.hiDeg - w.loDeg < 360.0; a = std::min(a + kCheckStep, w.hiDeg)) {
            if (!holes(m, r.speedMph, a)) {
                missFrom = misses++ ? missFrom : a;
                missTo = a;
            }
            if (a == w.hiDeg)
                break;
        }
        EXPECT_EQ(misses, 0) << "at " << r.speedMph << " mph the window " << w.loDeg << " to "
                             << w.hiDeg << " misses from " << missFrom << " to " << missTo;
    }
    EXPECT_TRUE(recommended);
    EXPECT_EQ(r.windowHiDeg - r.windowLoDeg, widest);
}

using Check = void (*)(const SwingModel&, const PuttRead&);

// A level green: straight at the hole, the window symmetric about the line.
void levelGreen(const SwingModel&, const PuttRead& r)
{
    EXPECT_NEAR(r.targetAngleDeg, 0.0, 0.001);
    EXPECT_NEAR(r.windowLoDeg, -r.windowHiDeg, 0.001);
    EXPECT_GT(r.windowHiDeg, 0.5);
}

// Inside the cup's reach every aim holes; faster than the cup holds, most
// aims roll out again.
void insideTheCupsReach(const SwingModel& m, const PuttRead& r)
{
    EXPECT_EQ(r.windowLoDeg, -180.0);
    EXPECT_EQ(r.windowHiDeg, 180.0);
    EXPECT_EQ(r.targetAngleDeg, 0.0);
    EXPECT_EQ(r.minSpeedMph, 0.0);
    for (double a = -180.0; a < 180.0; a += 22.5)
        EXPECT_TRUE(holes(m, r.speedMph, a)) << "aim " << a;
    EXPECT_LT(r.maxSpeedMph, 4.0);
}

// Balls whose reads are checked aim by aim, every window, with what more
// their place calls for. A level green, each way round; hole 1's tilt from
// two sides; within the cup's reach. Sliver: on hole 2 a ball up and to the
// left of the hole holes only where it creeps into the cup's reach just as its
// steps run out, a set far narrower than the grid. Hurried: on the level hole
// 4 with half the time step (2 s of roll) only putts that arrive as time runs
// out hole. LongerStep: twice the time step gives twice the time to roll, and
// a ball that cannot be holed at the default step (see below) holes. Then
// balls whose best pace has aims that miss inside the window a first search
// finds (on hole 1 a line through the cup too fast to drop with slower curling
// lines held on either side, and several windows; on the steep hole 3 gaps a
// twentieth of a degree wide, and ragged edges where the ball reaches the cup
// just as it leaves the cup's reach); a few placed from the hole, one just off
// hole 4's green; then balls anywhere on the greens, drawn by a fixed
// sequence. Each ball that holes today must hole.
struct Ball
{
    int hole;
    double x, y;
    Check check = nullptr;
    double dt = 0.0;
    bool mustHole = true;
    friend void PrintTo(const Ball& b, std::ostream* os)
    {
        *os << "hole " << b.hole << " at " << b.x << ", " << b.y << " dt " << b.dt;
    }
};

std::vector<Ball> balls()
{
    std::vector<Ball> list = {{4, 0.0, 95.0, levelGreen},
                              {4, 3.0, 97.0, levelGreen},
                              {1, -15.0, 149.5},
                              {1, -10.5, 154.0},
                              {1, -15.0, 154.1, insideTheCupsReach},
                              {2, -12.946, 156.946},
                              {4, 0.0, 95.0, nullptr, 0.0005},
                              {2, -2.5, 154.0, nullptr, 0.002},
                              {1, -16.18, 153.94},
                              {1, -12.5, 154.0},
                              {3, 10.0825, 147.0778},
                              {3, 13.2933, 150.3553},
                              {3, 11.045384732696974, 152.25223461817203},
                              {3, 9.1052829732366121, 152.45255062936582}};
    std::uint32_t seed = 20240611;
    const auto uniform = [&seed] { // the same numbers on every platform
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1u << 24);
    };
    const std::tuple<int, double, double> placed[] = {
        {1, -3.0, 3.0}, {2, 0.0, -7.5}, {3, -2.0, 0.0}, {4, 0.0, -7.0}};
    for (int hole = 1; hole <= 4; ++hole) {
        const HoleInfo h = ballAt(hole, 0, 0).hole;
        for (const auto& [at, dx, dy] : placed)
            if (at == hole)
                list.push_back({hole, h.HolePos.x + dx, h.HolePos.y + dy});
        for (int k = 0; k < 3; ++k) {
            const double radius = 0.5 * h.GreenSize * std::sqrt(uniform());
            const double turn = 360.0 * uniform() * kDegToRad;
            // No putt holes from the first two drawn on hole 2.
            list.push_back({hole, h.HolePos.x + radius * std::cos(turn),
                            h.HolePos.y + radius * std::sin(turn), nullptr, 0.0,
                            hole != 2 || k == 2});
        }
    }
    return list;
}

class Read : public ::testing::TestWithParam<Ball>
{
};

TEST_P(Read, NamesPuttsThatHoleAtEveryAimOfEveryWindow)
{
    const Ball& b = GetParam();
    const SwingModel m = ballAt(b.hole, b.x, b.y, b.dt);
    const PuttRead r = readPutt(m);
    ASSERT_TRUE(r.ok) << r.error;
    if (r.holed || b.mustHole)
        expectHoling(m, r);
    if (b.check)
        b.check(m, r);
}

INSTANTIATE_TEST_SUITE_P(PuttReader, Read, ::testing::ValuesIn(balls()));

// Balls that no putt holes, each for a reason of its own, which the read
// gives:
// - hole 3 falls 5.5 degrees toward +x; from 4 yd on its high side (the rim
//   of the green) every line gathers speed on the way and crosses the cup
//   above 4.297 ft/s;
// - hole 4 tilted 20 degrees toward the hole: along the fall line the pull
//   (11.0 ft/s^2) beats the largest friction (6.0) whichever way the ball is
//   aimed, so it comes down the last 11.4 ft to the cup at 10.7 ft/s or more;
// - 40 yd short on the level hole 4, off the green, the ball slows by 3.01
//   ft/s^2 and has 4.001 s of steps: to arrive below 4.297 ft/s it covers at
//   most 4.297 * 4.001 + 3.01 * 4.001^2 / 2 = 41 ft of the 119.4 it needs;
// - 7.5 yd across hole 2 a putt slow enough at the cup needs more than its
//   4.001 s (with twice the time step it holes: LongerStep above).
TEST(PuttReader, SaysSoAndWhyWhenNoPuttHoles)
{
    using quillmoor::NoHoleReason;
    SwingModel steep = ballAt(4, 0.0, 104.0);
    steep.hole.GreenXRot = 20.0; // the model alone, not the catalogue
    steep.BallPos.z = steep.groundHeight(0.0, 104.0);
    const std::tuple<SwingModel, NoHoleReason, bool, const char*> cases[] = {
        {ballAt(3, 6.0, 150.0), NoHoleReason::TooFast, true,
         "the ball lies off the green, and every putt that gets to the cup is too fast to drop"},
        {steep, NoHoleReason::TooFast, false,
         "every putt that gets to the cup is too fast to drop"},
        {ballAt(4, 0.0, 60.0), NoHoleReason::OutOfTime, true,
         "the ball lies off the green, and a putt slow enough to drop needs more than its 4.0 s "
         "of roll"},
        {ballAt(2, -2.5, 154.0), NoHoleReason::OutOfTime, false,
         "a putt slow enough to drop needs more than its 4.0 s of roll"}};
    for (const auto& [m, why, offTheGreen, text] : cases) {
        SCOPED_TRACE(testing::Message() << "hole " << m.hole.HoleId << " tilt " << m.hole.GreenXRot
                                        << ", ball " << m.BallPos.x << ", " << m.BallPos.y);
        const PuttRead r = readPutt(m);
        EXPECT_TRUE(r.ok);
        EXPECT_FALSE(r.holed);
        EXPECT_GT(r.runs, 1000);
        EXPECT_EQ(r.whyNot, why);
        EXPECT_EQ(r.offTheGreen, offTheGreen);
        EXPECT_EQ(quillmoor::noHoleText(r), text);
    }
}

struct CountingListener : SwingModelListener
{
    int heard = 0;
    void modelChanged(SwingModel&, ChangeFlags) override { ++heard; }
};

// A window reads on a worker thread while it keeps its own model: the read
// must not touch that model, its listeners or the hole catalogue, and gives
// the same answer on any number of threads. A thread left with its upper AVX
// state in use (Qt's start-up leaves the window's so) runs SSE code many
// times slower, and so do the threads it starts: the reader clears it first.
TEST(PuttReader, OnAWorkerThreadTheSameAnswerAndTheModelLeftAlone)
{
    SwingModel m(true); // tee-shot mode, as a window may be
    m.selectHole(1);
    m.BallPos = {-12.5, 154.0, m.groundHeight(-12.5, 154.0)}; // several windows
    CountingListener listener;
    const std::string before = m.toText();
    const auto catalogue = holeCatalogue();
    const bool probe = vectorprobe::available();
    PuttRead two;
    bool dirtied = false, dirtyAfter = false;
    std::thread reader([&] {
        if (probe) {
            vectorprobe::dirtyUpper();
            dirtied = vectorprobe::upperInUse();
        }
        two = readPutt(m, 2);
        dirtyAfter = probe && vectorprobe::upperInUse();
    });
    reader.join();
    EXPECT_EQ(dirtied, probe);
    EXPECT_FALSE(dirtyAfter);
    EXPECT_EQ(m.toText(), before);
    EXPECT_EQ(listener.heard, 0);
    EXPECT_EQ(holeCatalogue(), catalogue);

    const PuttRead one = readPutt(m, 1);
    const auto fields = [](const PuttRead& x) {
        std::vector<double> v{x.speedMph, x.targetAngleDeg, x.minSpeedMph, x.maxSpeedMph,
                              double(x.runs)};
        for (const auto& w : x.windows)
            v.insert(v.end(), {w.loDeg, w.hiDeg});
        return v;
    };
    EXPECT_EQ(fields(two), fields(one));
}

TEST(PuttReader, RefusesAPuttTheRoutineRefuses)
{
    SwingModel lost = ballAt(1, -15.0, 150.0);
    lost.BallPos.x = std::numeric_limits<double>::quiet_NaN();
    SwingModel frictionless = ballAt(4, 0.0, 95.0);
    frictionless.hole.GreenRho = 0.0; // 0/0 on a level green
    for (const SwingModel& m : {lost, frictionless}) {
        const PuttRead r = readPutt(m);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.empty());
        EXPECT_FALSE(r.holed);
    }
}

} // namespace
