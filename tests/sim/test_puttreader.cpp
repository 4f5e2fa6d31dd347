// The putt reader. Whatever it recommends is run through complexPutt here: a
// read is only as good as the putts it names.

#include "../VectorStateProbe.h"
#include "PuttReader.h"
#include "Simulation.h"
#include "SwingModel.h"
#include "VectorState.h"

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

// Every putt a holing read names holes, and the numbers hang together.
void expectHoling(const SwingModel& m, const PuttRead& r)
{
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_TRUE(r.holed);
    EXPECT_TRUE(holes(m, r.speedMph, r.targetAngleDeg)) << "the recommendation";
    EXPECT_TRUE(holes(m, r.speedMph, r.windowLoDeg)) << "the window's low edge";
    EXPECT_TRUE(holes(m, r.speedMph, r.windowHiDeg)) << "the window's high edge";
    EXPECT_TRUE(holes(m, r.minSpeedMph, r.minSpeedAngleDeg)) << "the slowest putt";
    EXPECT_TRUE(holes(m, r.maxSpeedMph, r.maxSpeedAngleDeg)) << "the fastest putt";
    EXPECT_LE(r.windowLoDeg, r.windowHiDeg);
    const double middle = 0.5 * (r.windowLoDeg + r.windowHiDeg);
    EXPECT_NEAR(std::remainder(r.targetAngleDeg - middle, 360.0), 0.0, 1e-9);
    EXPECT_LE(r.minSpeedMph, r.speedMph);
    EXPECT_GE(r.maxSpeedMph, r.speedMph);
    EXPECT_GT(r.runs, 0);
}

constexpr double kCheckStep = 0.05; // deg: aims this close together are checked

// Every aim of [lo, hi] no more than kCheckStep apart holes at speed; the
// first run of aims that miss is reported.
void expectEveryAimHoles(const SwingModel& m, double speed, double lo, double hi)
{
    const int n = static_cast<int>(std::ceil((hi - lo) / kCheckStep));
    double missFrom = 0.0, missTo = 0.0;
    int misses = 0;
    for (int i = 0; i <= n; ++i) {
        const double a = i == n ? hi : lo + i * kCheckStep;
        if (holes(m, speed, a))
            continue;
        if (misses++ == 0)
            missFrom = a;
        missTo = a;
    }
    EXPECT_EQ(misses, 0) << "at " << speed << " mph the window " << lo << " to " << hi
                         << " misses from " << missFrom << " to " << missTo;
}

// The windows at the recommended speed: rising, apart, each holing at every
// aim; the widest one recommended, aimed at its middle.
void expectWindowsHole(const SwingModel& m, const PuttRead& r)
{
    ASSERT_FALSE(r.windows.empty());
    bool recommended = false;
    double widest = 0.0;
    for (std::size_t i = 0; i < r.windows.size(); ++i) {
        const auto& w = r.windows[i];
        EXPECT_LE(w.loDeg, w.hiDeg);
        if (i > 0) {
            EXPECT_GT(w.loDeg, r.windows[i - 1].hiDeg) << "window " << i;
        }
        widest = std::max(widest, w.hiDeg - w.loDeg);
        recommended |= w.loDeg == r.windowLoDeg && w.hiDeg == r.windowHiDeg;
        if (w.hiDeg - w.loDeg < 360.0)
            expectEveryAimHoles(m, r.speedMph, w.loDeg, w.hiDeg);
    }
    EXPECT_TRUE(recommended);
    EXPECT_EQ(r.windowHiDeg - r.windowLoDeg, widest);
}

// How far the aim turns down the slope across the straight line to the hole
// (sine of the turn, weighted by the slope's part across that line).
double downhillTurn(const SwingModel& m, double targetAngle)
{
    SwingModel straight = m;
    straight.PuttTargetAngle = 0.0;
    const double line = straight.puttAimAngle() * kDegToRad;
    const double aim = line + targetAngle * kDegToRad;
    const double lx = -std::sin(line), ly = std::cos(line);
    const Vector3 down = m.greenSlope();
    const double along = down.x * lx + down.y * ly;
    const double ax = down.x - along * lx, ay = down.y - along * ly; // across the line
    return -std::sin(aim) * ax + std::cos(aim) * ay;
}

using Check = void (*)(const SwingModel&, const PuttRead&);

// A level green: straight at the hole, the window symmetric about the line.
void levelGreen(const SwingModel&, const PuttRead& r)
{
    EXPECT_NEAR(r.targetAngleDeg, 0.0, 0.001);
    EXPECT_NEAR(r.windowLoDeg, -r.windowHiDeg, 0.001);
    EXPECT_GT(r.windowHiDeg, 0.5);
}

// Hole 1 falls toward +y and -x: whichever way the ball goes to the hole, the
// aim turns up the slope from the straight line.
void aboveTheHole(const SwingModel& m, const PuttRead& r)
{
    EXPECT_LT(downhillTurn(m, r.targetAngleDeg), 0.0) << "aim " << r.targetAngleDeg;
    EXPECT_GT(r.windowHiDeg - r.windowLoDeg, 1.0);
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

void narrowerThanAQuarterDegree(const SwingModel&, const PuttRead& r)
{
    EXPECT_LT(r.windowHiDeg - r.windowLoDeg, 0.5);
}

void speedsWithinATenthMph(const SwingModel&, const PuttRead& r)
{
    EXPECT_LT(r.maxSpeedMph - r.minSpeedMph, 0.1);
}

void nothingMore(const SwingModel&, const PuttRead&) {}

struct HolingCase
{
    const char* name;
    int hole;
    double x, y, dt;
    Check check;
};

class HolingRead : public ::testing::TestWithParam<HolingCase>
{
};

TEST_P(HolingRead, NamesPuttsThatHole)
{
    const HolingCase& c = GetParam();
    const SwingModel m = ballAt(c.hole, c.x, c.y, c.dt);
    const PuttRead r = readPutt(m);
    expectHoling(m, r);
    c.check(m, r);
}

// Sliver: on hole 2 a ball up and to the left of the hole holes only where it
// creeps into the cup's reach just as its steps run out, a set far narrower
// than the grid. Hurried: on the level hole 4 with half the time step (2 s of
// roll) only putts that arrive as time runs out hole. LongerStep: twice the
// time step gives twice the time to roll, and a ball that cannot be holed at
// the default step (see below) holes.
// clang-format off
INSTANTIATE_TEST_SUITE_P(PuttReader, HolingRead, ::testing::Values(
    HolingCase{"Level", 4, 0.0, 95.0, 0, levelGreen},
    HolingCase{"LevelRight", 4, 3.0, 97.0, 0, levelGreen},
    HolingCase{"LevelLeftLong", 4, -4.0, 102.0, 0, levelGreen},
    HolingCase{"TiltedBelow", 1, -15.0, 149.5, 0, aboveTheHole},
    HolingCase{"TiltedRight", 1, -10.5, 154.0, 0, aboveTheHole},
    HolingCase{"TiltedLeft", 1, -19.5, 154.0, 0, aboveTheHole},
    HolingCase{"TiltedAbove", 1, -15.0, 158.5, 0, aboveTheHole},
    HolingCase{"InsideTheCupsReach", 1, -15.0, 154.1, 0, insideTheCupsReach},
    HolingCase{"Sliver", 2, -12.946, 156.946, 0, narrowerThanAQuarterDegree},
    HolingCase{"Hurried", 4, 0.0, 95.0, 0.0005, speedsWithinATenthMph},
    HolingCase{"LongerStep", 2, -2.5, 154.0, 0.002, nothingMore}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Balls whose windows are checked aim by aim, every window: first balls whose
// best pace has aims that miss inside the window a first search finds (on hole
// 1 a line through the cup too fast to drop with slower curling lines held on
// either side; on the steep hole 3 gaps a twentieth of a degree wide, and
// ragged edges where the ball reaches the cup just as it leaves the cup's
// reach); then a spread on every built-in green, near and far, up, down and
// across the slope, one just off hole 4's green (dx, dy from the hole); then
// balls anywhere on the greens, drawn by a fixed sequence. Each ball that
// holes today must hole.
struct Ball
{
    int hole;
    double x, y;
    bool fromTheHole, mustHole;
    friend void PrintTo(const Ball& b, std::ostream* os)
    {
        *os << "hole " << b.hole << (b.fromTheHole ? " from the hole " : " at ") << b.x << ", "
            << b.y;
    }
};

std::vector<Ball> balls()
{
    std::vector<Ball> list = {{1, -16.18, 153.94, false, true},
                              {3, 10.0825, 147.0778, false, true},
                              {3, 13.2933, 150.3553, false, true},
                              {3, 11.045384732696974, 152.25223461817203, false, true},
                              {3, 9.1052829732366121, 152.45255062936582, false, true},
                              {1, 1.8, -1.8, true, true},
                              {1, -3.0, 3.0, true, true},
                              {2, -6.0, 0.0, true, true},
                              {2, 0.0, -7.5, true, true},
                              {3, 2.5, -2.5, true, true},
                              {3, -2.0, 0.0, true, true},
                              {4, 2.0, 2.0, true, true},
                              {4, 0.0, -7.0, true, true}};
    std::uint32_t seed = 20240611;
    const auto uniform = [&seed] { // the same numbers on every platform
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1u << 24);
    };
    for (int hole = 1; hole <= 4; ++hole)
        for (int k = 0; k < 3; ++k) {
            const double size = ballAt(hole, 0, 0).hole.GreenSize;
            const double radius = 0.5 * size * std::sqrt(uniform());
            const double turn = 360.0 * uniform() * kDegToRad;
            // No putt holes from the first two drawn on hole 2.
            const bool mustHole = hole != 2 || k == 2;
            list.push_back(
                {hole, radius * std::cos(turn), radius * std::sin(turn), true, mustHole});
        }
    return list;
}

class AnyBall : public ::testing::TestWithParam<Ball>
{
};

TEST_P(AnyBall, EveryWindowHolesAtEveryAim)
{
    const Ball& b = GetParam();
    SwingModel m = ballAt(b.hole, b.x, b.y);
    if (b.fromTheHole)
        m = ballAt(b.hole, m.hole.HolePos.x + b.x, m.hole.HolePos.y + b.y);
    const PuttRead r = readPutt(m);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.holed || !b.mustHole);
    if (r.holed) {
        expectHoling(m, r);
        expectWindowsHole(m, r);
    }
}

INSTANTIATE_TEST_SUITE_P(PuttReader, AnyBall, ::testing::ValuesIn(balls()));

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
    m.BallPos = {-12.5, 154.0, m.groundHeight(-12.5, 154.0)}; // several windows, split ones
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
    EXPECT_FALSE(m.PuttEnabled);
    EXPECT_EQ(listener.heard, 0);
    EXPECT_EQ(holeCatalogue(), catalogue);

    const PuttRead one = readPutt(m, 1);
    expectHoling(ballAt(1, -12.5, 154.0), one);
    const auto fields = [](const PuttRead& x) {
        return std::tie(x.ok, x.holed, x.speedMph, x.targetAngleDeg, x.windowLoDeg, x.windowHiDeg,
                        x.minSpeedMph, x.minSpeedAngleDeg, x.maxSpeedMph, x.maxSpeedAngleDeg,
                        x.runs);
    };
    EXPECT_EQ(fields(two), fields(one));
    ASSERT_EQ(two.windows.size(), one.windows.size());
    for (std::size_t i = 0; i < one.windows.size(); ++i) {
        EXPECT_EQ(two.windows[i].loDeg, one.windows[i].loDeg);
        EXPECT_EQ(two.windows[i].hiDeg, one.windows[i].hiDeg);
    }
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
