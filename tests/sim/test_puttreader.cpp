// The putt reader. Whatever it recommends is run through complexPutt here: a
// read is only as good as the putts it names.

#include "PuttReader.h"
#include "Simulation.h"
#include "SwingModel.h"
#include "VectorState.h"
#include "../VectorStateProbe.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

using quillmoor::PuttRead;
using quillmoor::readPutt;

namespace {

constexpr double kDegToRad = 0.0174532925;

// Putt mode on a built-in hole, the ball on the ground at (x, y).
SwingModel ballAt(int hole, double x, double y)
{
    SwingModel m(false);
    m.selectHole(hole);
    m.PuttEnabled = true;
    m.BallPos = {x, y, m.groundHeight(x, y)};
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

TEST(PuttReader, LevelGreenAimsStraightWithAWindowSymmetricAboutTheLine)
{
    for (const auto& [x, y] : {std::pair{0.0, 95.0}, {3.0, 97.0}, {-4.0, 102.0}}) {
        SCOPED_TRACE(testing::Message() << "ball at " << x << ", " << y);
        const SwingModel m = ballAt(4, x, y);
        const PuttRead r = readPutt(m);
        expectHoling(m, r);
        EXPECT_NEAR(r.targetAngleDeg, 0.0, 0.001);
        EXPECT_NEAR(r.windowLoDeg, -r.windowHiDeg, 0.001);
        EXPECT_GT(r.windowHiDeg, 0.5);
    }
}

// Hole 1 falls toward +y and -x: whichever way the ball goes to the hole, the
// aim turns up the slope from the straight line.
TEST(PuttReader, TiltedGreenAimsAboveTheHole)
{
    for (const auto& [x, y] :
         {std::pair{-15.0, 149.5}, {-10.5, 154.0}, {-19.5, 154.0}, {-15.0, 158.5}}) {
        SCOPED_TRACE(testing::Message() << "ball at " << x << ", " << y);
        const SwingModel m = ballAt(1, x, y);
        const PuttRead r = readPutt(m);
        expectHoling(m, r);
        EXPECT_LT(downhillTurn(m, r.targetAngleDeg), 0.0) << "aim " << r.targetAngleDeg;
        EXPECT_GT(r.windowHiDeg - r.windowLoDeg, 1.0);
    }
}

TEST(PuttReader, BallInsideTheCupsReachHolesFromEveryAim)
{
    const SwingModel m = ballAt(1, -15.0, 154.1); // 0.1 yd from the hole
    const PuttRead r = readPutt(m);
    expectHoling(m, r);
    EXPECT_EQ(r.windowLoDeg, -180.0);
    EXPECT_EQ(r.windowHiDeg, 180.0);
    EXPECT_EQ(r.targetAngleDeg, 0.0);
    EXPECT_EQ(r.minSpeedMph, 0.0);
    for (double a = -180.0; a < 180.0; a += 22.5)
        EXPECT_TRUE(holes(m, r.speedMph, a)) << "aim " << a;
    // Faster than the cup holds, most aims roll out again.
    EXPECT_LT(r.maxSpeedMph, 4.0);
}

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
//   4.001 s (with twice the time step it holes, see below).
TEST(PuttReader, SaysSoAndWhyWhenNoPuttHoles)
{
    using quillmoor::NoHoleReason;
    SwingModel steep = ballAt(4, 0.0, 104.0);
    steep.hole.GreenXRot = 20.0; // the model alone, not the catalogue
    steep.BallPos.z = steep.groundHeight(0.0, 104.0);
    const struct
    {
        SwingModel model;
        NoHoleReason why;
        bool offTheGreen;
        const char* text;
    } cases[] = {
        {ballAt(3, 6.0, 150.0), NoHoleReason::TooFast, true,
         "the ball lies off the green, and every putt that gets to the cup is too fast to drop"},
        {steep, NoHoleReason::TooFast, false,
         "every putt that gets to the cup is too fast to drop"},
        {ballAt(4, 0.0, 60.0), NoHoleReason::OutOfTime, true,
         "the ball lies off the green, and a putt slow enough to drop needs more than its 4.0 s "
         "of roll"},
        {ballAt(2, -2.5, 154.0), NoHoleReason::OutOfTime, false,
         "a putt slow enough to drop needs more than its 4.0 s of roll"},
    };
    for (const auto& c : cases) {
        const SwingModel& m = c.model;
        SCOPED_TRACE(testing::Message() << "hole " << m.hole.HoleId << " tilt " << m.hole.GreenXRot
                                        << ", ball " << m.BallPos.x << ", " << m.BallPos.y);
        const PuttRead r = readPutt(m);
        EXPECT_TRUE(r.ok);
        EXPECT_FALSE(r.holed);
        EXPECT_GT(r.runs, 1000);
        EXPECT_EQ(r.whyNot, c.why);
        EXPECT_EQ(r.offTheGreen, c.offTheGreen);
        EXPECT_EQ(quillmoor::noHoleText(r), c.text);
    }
}

// Holing sets far narrower than the grid. On hole 2 a ball up and to the
// left of the hole holes only where it creeps into the cup's reach just as its
// steps run out: a quarter of a degree wide. On the level hole 4 with half the
// time step (2 s of roll) only putts that arrive as time runs out hole, a
// band of speeds under a tenth of a mph.
TEST(PuttReader, FindsHolingSetsNarrowerThanItsGrid)
{
    SwingModel sliver = ballAt(2, -10.0 - 2.946, 154.0 + 2.946);
    const PuttRead a = readPutt(sliver);
    expectHoling(sliver, a);
    EXPECT_LT(a.windowHiDeg - a.windowLoDeg, 0.5);

    SwingModel hurried = ballAt(4, 0.0, 95.0);
    hurried.TimeStepSize = 0.0005;
    const PuttRead b = readPutt(hurried);
    expectHoling(hurried, b);
    EXPECT_LT(b.maxSpeedMph - b.minSpeedMph, 0.1);
}

// With twice the time step the putt has twice the time to roll: a ball that
// cannot be holed at the default step can be at the longer one.
TEST(PuttReader, ReadsWithTheModelsTimeStep)
{
    SwingModel m = ballAt(2, -2.5, 154.0);
    EXPECT_FALSE(readPutt(m).holed);
    m.TimeStepSize = 0.002;
    expectHoling(m, readPutt(m));
}

TEST(PuttReader, TheAnswerDoesNotDependOnTheThreads)
{
    const SwingModel m = ballAt(1, -12.5, 154.0); // several windows, split ones among them
    const auto fields = [](const PuttRead& x) {
        return std::tie(x.ok, x.holed, x.speedMph, x.targetAngleDeg, x.windowLoDeg, x.windowHiDeg,
                        x.minSpeedMph, x.minSpeedAngleDeg, x.maxSpeedMph, x.maxSpeedAngleDeg,
                        x.runs);
    };
    const PuttRead one = readPutt(m, 1), two = readPutt(m, 2);
    expectHoling(m, one);
    EXPECT_EQ(fields(two), fields(one));
    ASSERT_EQ(two.windows.size(), one.windows.size());
    for (std::size_t i = 0; i < one.windows.size(); ++i) {
        EXPECT_EQ(two.windows[i].loDeg, one.windows[i].loDeg);
        EXPECT_EQ(two.windows[i].hiDeg, one.windows[i].hiDeg);
    }
}

struct CountingListener : SwingModelListener
{
    int heard = 0;
    void modelChanged(SwingModel&, ChangeFlags) override { ++heard; }
};

// A window reads on a worker thread while it keeps its own model: the read
// must not touch that model, its listeners or the hole catalogue.
TEST(PuttReader, LeavesTheModelItsListenersAndTheCatalogueAlone)
{
    SwingModel m(true);
    m.selectHole(2);
    m.BallPos = {-10.0, 149.0, m.groundHeight(-10.0, 149.0)}; // tee-shot mode, as a window may be
    CountingListener listener;
    const std::string before = m.toText();
    const auto catalogue = holeCatalogue();
    PuttRead r;
    std::thread reader([&] { r = readPutt(m, 2); });
    reader.join();
    expectHoling(ballAt(2, -10.0, 149.0), r);
    EXPECT_EQ(m.toText(), before);
    EXPECT_FALSE(m.PuttEnabled);
    EXPECT_EQ(listener.heard, 0);
    EXPECT_EQ(holeCatalogue(), catalogue);
}

// Balls whose best pace has aims that miss inside the window the first
// search finds: on hole 1 a line through the cup too fast to drop, with
// slower curling lines held on either side (-19.6 to -19.1 degrees); on the
// steep hole 3 gaps a twentieth of a degree wide, and ragged edges where the
// ball reaches the cup just as it leaves the cup's reach.
TEST(PuttReader, AWindowHasNoAimsThatMiss)
{
    for (const auto& [hole, x, y] : {std::tuple{1, -16.18, 153.94},
                                     {3, 10.0825, 147.0778},
                                     {3, 13.2933, 150.3553},
                                     {3, 11.045384732696974, 152.25223461817203},
                                     {3, 9.1052829732366121, 152.45255062936582}}) {
        SCOPED_TRACE(testing::Message() << "hole " << hole << ", ball at " << x << ", " << y);
        const SwingModel m = ballAt(hole, x, y);
        const PuttRead r = readPutt(m);
        expectHoling(m, r);
        expectEveryAimHoles(m, r.speedMph, r.windowLoDeg, r.windowHiDeg);
        expectWindowsHole(m, r);
    }
}

// Balls anywhere on the built-in greens, drawn by a fixed sequence: every
// window a read reports holes at every aim.
TEST(PuttReader, WindowsHoleAtEveryAimOnTheBuiltInGreens)
{
    std::uint32_t seed = 20240611;
    const auto uniform = [&seed] { // the same numbers on every platform
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1u << 24);
    };
    int holed = 0;
    for (int hole = 1; hole <= 4; ++hole)
        for (int k = 0; k < 3; ++k) {
            SwingModel m = ballAt(hole, 0.0, 0.0);
            const Vector3 h = m.hole.HolePos;
            const double radius = 0.5 * m.hole.GreenSize * std::sqrt(uniform());
            const double turn = 360.0 * uniform() * kDegToRad;
            m = ballAt(hole, h.x + radius * std::cos(turn), h.y + radius * std::sin(turn));
            SCOPED_TRACE(testing::Message()
                         << "hole " << hole << ", ball at " << m.BallPos.x << ", " << m.BallPos.y);
            const PuttRead r = readPutt(m);
            ASSERT_TRUE(r.ok);
            if (!r.holed)
                continue;
            ++holed;
            expectHoling(m, r);
            expectWindowsHole(m, r);
        }
    EXPECT_GE(holed, 8);
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

// Not a timing test: a spread of balls on every built-in green, near and far,
// up, down and across the slope, one of them just off hole 4's green.
TEST(PuttReader, EveryRecommendationOnTheBuiltInGreensHoles)
{
    struct Ball
    {
        int hole;
        double dx, dy; // from the hole, yd
    };
    int holed = 0;
    for (const Ball& b :
         {Ball{1, 1.8, -1.8}, Ball{1, -3.0, 3.0}, Ball{2, -6.0, 0.0}, Ball{2, 0.0, -7.5},
          Ball{3, 2.5, -2.5}, Ball{3, -2.0, 0.0}, Ball{4, 2.0, 2.0}, Ball{4, 0.0, -7.0}}) {
        SCOPED_TRACE(testing::Message() << "hole " << b.hole << ", " << b.dx << ", " << b.dy);
        SwingModel m = ballAt(b.hole, 0.0, 0.0);
        const Vector3 h = m.hole.HolePos;
        m = ballAt(b.hole, h.x + b.dx, h.y + b.dy);
        const PuttRead r = readPutt(m);
        ASSERT_TRUE(r.ok);
        if (r.holed) {
            expectHoling(m, r);
            ++holed;
        }
    }
    EXPECT_GE(holed, 7);
}

} // namespace

// A thread left with its upper AVX state in use (Qt's start-up leaves the
// window's so) runs SSE code many times slower, and so do the threads it
// starts: the reader begins by clearing it.
TEST(PuttReader, ClearsTheUpperVectorStateOfItsThreads)
{
    if (!vectorprobe::available())
        GTEST_SKIP() << "no XGETBV with ECX 1 here";
    const SwingModel m = ballAt(1, -15.0, 149.5);
    vectorprobe::dirtyUpper();
    ASSERT_TRUE(vectorprobe::upperInUse());
    const PuttRead r = readPutt(m, 2);
    const bool dirty = vectorprobe::upperInUse();
    quillmoor::cleanVectorState(); // for the tests after this one
    expectHoling(m, r);
    EXPECT_FALSE(dirty);
}
