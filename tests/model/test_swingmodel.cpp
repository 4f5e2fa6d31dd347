#include "ModelFixture.h"

#include <cmath>
#include <limits>
#include <memory>

TEST_F(ModelTest, SelectHoleKeepsResultsForSameIdAndIgnoresUnknown)
{
    SwingModel m;
    m.setPoint(0, {1, 2, 3});
    RecordingListener l;
    m.selectHole(1);
    m.selectHole(99);
    EXPECT_EQ(m.teeShot.size(), 1);
    EXPECT_TRUE(l.flags.empty());

    EXPECT_TRUE(m.setValue("HoleId", 2.9)); // truncated toward zero
    EXPECT_EQ(m.hole.GreenSize, 16.6667);   // the decimal, not 50/3
    EXPECT_TRUE(m.teeShot.empty());
    EXPECT_EQ(l.flags, (Flags{56, BallChanged}));

    m.setValue("WindSpeed", 12); // written through to the catalogue
    m.setValue("GreenSize", 20); // not written through
    m.selectHole(1);
    m.selectHole(2);
    EXPECT_EQ(m.hole.WindSpeed, 12.0);
    EXPECT_EQ(m.hole.GreenSize, 16.6667);
}

TEST_F(ModelTest, SetValueByKey)
{
    SwingModel m;
    RecordingListener l;
    for (const char* key : {"WindDir", "GreenYRot", "TeeClubSpeed", "TeeZSpin", "PuttEnabled",
                            "PuttClubSpeed", "GreenSize", "GreenType", "TimeStepSize"})
        EXPECT_TRUE(m.setValue(key, -1.5)) << key;
    EXPECT_EQ(l.flags, (Flags{WindChanged, GreenChanged, TeeShotChanged, TeeShotChanged,
                              PuttModeChanged, PuttShotChanged}));
    EXPECT_EQ(m.TeeBallSpeed, -1.5); // the alternative names reach the same fields
    EXPECT_EQ(m.TeeSideSpin, -1.5);
    EXPECT_EQ(m.PuttBallSpeed, -1.5);
    EXPECT_EQ(m.hole.GreenType, -1);        // truncated toward zero
    EXPECT_FALSE(m.setValue("windDir", 3)); // keys are case-sensitive

    l.flags.clear();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double v : {-1.5, nan, nan}) // the same value sends nothing, a NaN always counts
        m.setValue("WindDir", v);
    EXPECT_EQ(l.flags, (Flags{WindChanged, WindChanged}));
}

TEST_F(ModelTest, ResetForgetsDefinedHolesAndNotifiesEverything)
{
    SwingModel m(false);
    m.defineHole(9, 5, {}, {}, {}, {}, "");
    m.setValue("WindSpeed", 12);
    m.fileName = "x.txt";
    RecordingListener l;
    m.reset();
    EXPECT_EQ(SwingModel::holeCount(), 4);
    EXPECT_EQ(m.hole.WindSpeed, 4.5); // the built-in environment again
    EXPECT_TRUE(m.fileName.empty());
    // The temporary model speaks first; the reset model is no longer quiet.
    EXPECT_EQ(l.flags, (Flags{56, BallChanged, AllChanged}));
}

TEST_F(ModelTest, CurrentStepAndClearFollowTheActiveShot)
{
    SwingModel m;
    RecordingListener l;
    m.setCurrentStep(-1);        // empty: nothing happens
    for (int i = 9; i >= 0; --i) // stored out of order, kept in step order
        m.setPoint(i, {double(i), 2.0 * i, 0});
    m.setCurrentStep(-1);
    m.setCurrentStep(42);
    EXPECT_EQ(m.teeStep, 9);
    EXPECT_EQ(m.BallPos, Vector3(9, 18, 0));
    EXPECT_EQ(m.teePoint(42), Vector3()); // and does not insert it

    m.FirstImpact = 4;
    m.setPuttEnabled(true);
    m.setPoint(0, {5, 5, 5});
    EXPECT_EQ(m.currentStepCount(), 1);
    m.clearCurrentShot();
    EXPECT_TRUE(m.puttShot.empty());
    EXPECT_EQ(m.teeShot.size(), 10);
    EXPECT_EQ(m.FirstImpact, 4);
    EXPECT_EQ(m.BallPos, Vector3());
    m.setPuttEnabled(false);
    m.clearCurrentShot();
    EXPECT_EQ(m.FirstImpact, -1);
    EXPECT_EQ(l.flags,
              (Flags{BallChanged, PuttModeChanged, BallChanged, PuttModeChanged, BallChanged}));
}

// Paths of a megabyte and more live in memory of their own: growing into it,
// copying, replacing and clearing must keep every point.
TEST_F(ModelTest, LongPathsKeepEveryPoint)
{
    SwingModel m(false);
    const int n = 100000; // 3.2 MB of points, grown from nothing
    for (int i = 0; i < n; ++i)
        m.setPoint(i, {0.5 * i, -1.0 * i, 2.0});
    SwingModel copy = m;
    m.setPoint(n / 2, {7, 7, 7}); // replaces in the original only
    EXPECT_EQ(copy.teeShot.size(), n);
    EXPECT_EQ(copy.teePoint(n / 2), Vector3(0.5 * (n / 2), -1.0 * (n / 2), 2.0));
    EXPECT_EQ(m.teePoint(n / 2), Vector3(7, 7, 7));

    m = copy; // the large block of m goes back, m takes a copy of copy's
    m.clearCurrentShot();
    m.teeShot.reserve(70000);
    m.setPoint(3, {1, 2, 3});
    EXPECT_EQ(m.teeShot.size(), 1);
    EXPECT_EQ(copy.teeShot.size(), n);
}

// Listeners hear every notifying model, in the order they registered, until
// they are destroyed; a quiet model speaks to none.
TEST_F(ModelTest, ListenersHearInRegistrationOrderUntilDestroyed)
{
    using Heard = std::vector<std::pair<int, const SwingModel*>>;
    struct Logged : SwingModelListener
    {
        Heard* heard;
        int id;
        Logged(Heard* h, int i) : heard(h), id(i) {}
        void modelChanged(SwingModel& m, ChangeFlags) override { heard->emplace_back(id, &m); }
    };
    Heard heard;
    Logged a(&heard, 1);
    auto b = std::make_unique<Logged>(&heard, 2);
    SwingModel quiet(false);
    quiet.setBallPos({1, 1, 1});
    SwingModel m;
    SwingModel n;
    EXPECT_EQ(heard.size(), 8u); // m and n, twice each on construction, to a and b
    heard.clear();
    n.setBallPos({});
    b.reset();
    m.setBallPos({}); // no comparison: always sent
    EXPECT_EQ(heard, (Heard{{1, &n}, {2, &n}, {1, &m}}));
}

namespace {
constexpr double deg = 0.0174532925;
}

TEST_F(ModelTest, GroundFollowsTheProfileOntoTheGreen)
{
    SwingModel m; // hole 1 at (-15, 154, -7): no tree, green radius 5, tilts -3.8 and -2.5
    const double farEdge = -7 + 6 * std::sin(-3.8 * deg);
    EXPECT_NEAR(m.groundHeight(0, 0), farEdge, 1e-12); // at the tee line, not -3
    const double nearY = 154 - 6 * std::cos(-3.8 * deg);
    const double nearZ = -7 - 6 * std::sin(-3.8 * deg);
    EXPECT_NEAR(m.groundHeight(0, 20), -3 + (nearZ + 3) * 20 / nearY, 1e-12);

    // The green: a plane tilted about the hole, clamped to its rim (radius 6).
    const auto plane = [](double dx, double dy) {
        return -7 + std::sin(-3.8 * deg) * dy - std::sin(-2.5 * deg) * dx;
    };
    EXPECT_NEAR(m.groundHeight(-15 + 1, 154 + 2), plane(1, 2), 1e-12);
    EXPECT_NEAR(m.groundHeight(-15 - 100, 154 + 1), plane(-std::sqrt(35.0), 1), 1e-12);

    m.selectHole(2);                               // tree at (0, 30, 0)
    EXPECT_DOUBLE_EQ(m.groundHeight(7, 15), -1.5); // x plays no part off the green
}

TEST_F(ModelTest, AimAndDistanceFromTheBall)
{
    SwingModel m;
    EXPECT_NEAR(m.puttAimAngle(), std::atan(15.0 / 154.0) / deg, 1e-9); // toward -x
    m.setPoint(0, {0, 0, 0});
    m.setPoint(1, {-15, 150, -7});
    EXPECT_DOUBLE_EQ(m.distanceToHole(), 4.0); // from the active shot's last point
    EXPECT_TRUE(m.isOnGreen());
    m.setPoint(2, {-15, 149, -7}); // exactly on the rim is off the green
    EXPECT_FALSE(m.isOnGreen());
    Vector3 point, offset;
    double distance = 0;
    m.setPoint(3, {0, 40, 29}); // through the top of hole 1's tree, which has no type
    EXPECT_FALSE(m.treeProximity(point, offset, distance));

    m.setPuttEnabled(true); // empty putt: measured from BallPos
    m.BallPos = {-30, 154, -7};
    EXPECT_DOUBLE_EQ(m.distanceToHole(), 15.0);
    EXPECT_NEAR(m.puttAimAngle(), -90, 1e-6); // hole to +x: negative
    m.BallPos = m.hole.HolePos;
    m.PuttTargetAngle = 10;
    EXPECT_NEAR(m.puttAimAngle(), 100.0, 1e-6);
}
