#include "ModelFixture.h"

#include <cmath>
#include <limits>

using Flags = std::vector<ChangeFlags>;

TEST_F(ModelTest, FreshModelHasHoleOneAndDefaults)
{
    SwingModel m;
    EXPECT_EQ(m.hole.HoleId, 1);
    EXPECT_EQ(m.hole.HolePos, Vector3(-15, 154, -7));
    EXPECT_TRUE(m.hole.TreeType.empty());
    EXPECT_EQ(m.TeeBackSpin, 4000.0);
    EXPECT_EQ(m.TimeStepSize, 0.001);
    EXPECT_EQ(m.FirstImpact, -1);
    EXPECT_EQ(m.exitCode, 0);
    EXPECT_EQ(SwingModel::holeCount(), 4);
    EXPECT_EQ(holeCatalogue().at(2).GreenSize, 16.6667);
    EXPECT_EQ(holeCatalogue().at(2).TreeType, "Oak");
    EXPECT_EQ(holeCatalogue().at(3).GreenRho, 0.131);
}

TEST_F(ModelTest, LaterModelsKeepHolesDefinedEarlier)
{
    SwingModel a;
    a.defineHole(9, 12, {}, {1, 2, 3}, {}, {}, "");
    SwingModel b;
    EXPECT_EQ(SwingModel::holeCount(), 5);
    b.selectHole(5);
    EXPECT_EQ(b.hole.HolePos, Vector3(1, 2, 3));
}

TEST_F(ModelTest, SelectHoleKeepsResultsForSameIdAndIgnoresUnknown)
{
    SwingModel m;
    m.setPoint(0, {1, 2, 3});
    m.selectHole(1);
    EXPECT_EQ(m.teeShot.size(), 1);
    RecordingListener l;
    m.selectHole(99);
    EXPECT_TRUE(l.calls.empty());
    EXPECT_EQ(m.hole.HoleId, 1);

    m.selectHole(2);
    EXPECT_EQ(l.flags(), (Flags{56, BallChanged}));
    EXPECT_TRUE(m.teeShot.empty());
    EXPECT_EQ(m.hole.TreeType, "Oak");

    l.calls.clear();
    EXPECT_TRUE(m.setValue("HoleId", 3.9)); // truncated toward zero
    EXPECT_EQ(m.hole.HoleId, 3);
    EXPECT_EQ(l.flags(), (Flags{56, BallChanged}));
}

struct SetValueCase
{
    const char* key;
    double value;
    double expected; // read back through getValue under the same key
    ChangeFlags flags;
};

class SetValueTest : public ModelTest, public ::testing::WithParamInterface<SetValueCase>
{
};

TEST_P(SetValueTest, StoresAndNotifies)
{
    const auto& c = GetParam();
    SwingModel m;
    RecordingListener l;
    EXPECT_TRUE(m.setValue(c.key, c.value));
    bool ok = false;
    EXPECT_EQ(m.getValue(c.key, &ok), c.expected);
    EXPECT_TRUE(ok);
    EXPECT_EQ(l.flags(), c.flags == 0 ? Flags{} : Flags{c.flags});
}

INSTANTIATE_TEST_SUITE_P(
    KeyTable, SetValueTest,
    ::testing::Values(SetValueCase{"WindDir", 100, 100, WindChanged},
                      SetValueCase{"WindSpeed", 7, 7, WindChanged},
                      SetValueCase{"GreenXRot", 1, 1, GreenChanged},
                      SetValueCase{"GreenYRot", 2, 2, GreenChanged},
                      SetValueCase{"GreenRho", 0.2, 0.2, GreenChanged},
                      SetValueCase{"TeeClubSpeed", 120, 120, TeeShotChanged},
                      SetValueCase{"TeeBallSpeed", 130, 130, TeeShotChanged},
                      SetValueCase{"TeeLaunchAngle", 30, 30, TeeShotChanged},
                      SetValueCase{"TeeTargetAngle", -5, -5, TeeShotChanged},
                      SetValueCase{"TeeBackSpin", 100, 100, TeeShotChanged},
                      SetValueCase{"TeeZSpin", 300, 300, TeeShotChanged},
                      SetValueCase{"TeeSideSpin", -300, -300, TeeShotChanged},
                      SetValueCase{"PuttEnabled", 0.5, 1, PuttModeChanged},
                      SetValueCase{"PuttClubSpeed", 3, 3, PuttShotChanged},
                      SetValueCase{"PuttBallSpeed", 4, 4, PuttShotChanged},
                      SetValueCase{"PuttTargetAngle", 9, 9, PuttShotChanged},
                      SetValueCase{"GreenSize", 20, 20, 0}),
    [](const auto& info) { return std::string(info.param.key); });

TEST_F(ModelTest, SetValueSpecialKeys)
{
    SwingModel m;
    RecordingListener l;
    EXPECT_TRUE(m.setValue("TimeStepSize", 0.01));
    EXPECT_TRUE(m.setValue("GreenType", -1.5));
    EXPECT_TRUE(l.calls.empty());
    EXPECT_EQ(m.TimeStepSize, 0.01);
    EXPECT_EQ(m.hole.GreenType, -1);

    bool ok = true;
    EXPECT_EQ(m.getValue("TimeStepSize", &ok), 0.0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(m.getValue("BallPosX", &ok), 0.0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(m.getValue("TreeSizeZ", &ok), 25.0);
    EXPECT_TRUE(ok);

    EXPECT_FALSE(m.setValue("windDir", 3)); // keys are case-sensitive
    EXPECT_FALSE(m.setValue("HolePosX", 3)); // components are read-only
    EXPECT_EQ(m.hole.WindDir, 22.0);
}

TEST_F(ModelTest, UnchangedValueSendsNothingButNanAlwaysCounts)
{
    SwingModel m;
    RecordingListener l;
    EXPECT_TRUE(m.setValue("WindDir", 22.0));
    EXPECT_TRUE(m.setValue("TeeBallSpeed", 110.0));
    EXPECT_TRUE(l.calls.empty());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    m.setValue("WindDir", nan);
    m.setValue("WindDir", nan);
    EXPECT_EQ(l.flags(), (Flags{WindChanged, WindChanged}));
}

TEST_F(ModelTest, EnvironmentWritesThroughButGreenSizeDoesNot)
{
    SwingModel m;
    m.selectHole(2);
    m.setValue("WindSpeed", 12);
    m.setValue("GreenSize", 20);
    m.selectHole(1);
    m.selectHole(2);
    EXPECT_EQ(m.hole.WindSpeed, 12.0);
    EXPECT_EQ(m.hole.GreenSize, 16.6667);
}

TEST_F(ModelTest, DefineHoleReplacesKnownIdAndNumbersNewOnes)
{
    SwingModel m;
    m.setValue("WindSpeed", 8); // carried into the defined holes
    RecordingListener l;
    EXPECT_EQ(m.defineHole(3, 5, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, "Elm"), 3);
    EXPECT_EQ(holeCatalogue().at(3).TreeType, "Elm");
    EXPECT_EQ(holeCatalogue().at(3).WindSpeed, 8.0);
    EXPECT_EQ(m.defineHole(9, 5, {}, {}, {}, {}, ""), 5);
    EXPECT_EQ(m.defineHole(9, 5, {}, {}, {}, {}, ""), 6);
    EXPECT_EQ(m.hole.HoleId, 6);
    EXPECT_EQ(l.flags(), (Flags{56, 56, 56}));
}

TEST_F(ModelTest, ResetForgetsDefinedHolesAndNotifiesEverything)
{
    SwingModel m(false);
    m.defineHole(9, 5, {}, {}, {}, {}, "");
    m.selectHole(2);
    m.setValue("WindSpeed", 12);
    m.fileName = "x.txt";
    RecordingListener l;
    m.reset();
    EXPECT_EQ(SwingModel::holeCount(), 4);
    EXPECT_EQ(holeCatalogue().at(2).WindSpeed, 4.0);
    EXPECT_EQ(m.hole.HoleId, 1);
    EXPECT_TRUE(m.fileName.empty());
    EXPECT_TRUE(m.notifyEnabled);
    ASSERT_EQ(l.flags(), (Flags{56, BallChanged, AllChanged}));
    EXPECT_NE(l.calls[0].model, &m); // the temporary model speaks first
    EXPECT_EQ(l.calls[2].model, &m);
}

TEST_F(ModelTest, CurrentStepFollowsTheActiveShot)
{
    SwingModel m;
    m.setCurrentStep(-1); // empty: nothing happens
    EXPECT_EQ(m.teeStep, -1);
    for (int i = 0; i < 10; ++i)
        m.setPoint(i, {double(i), 2.0 * i, 0});
    m.setCurrentStep(-1);
    EXPECT_EQ(m.teeStep, 9);
    EXPECT_EQ(m.BallPos, Vector3(9, 18, 0));
    m.setCurrentStep(42);
    EXPECT_EQ(m.teeStep, 9);
    EXPECT_EQ(m.teePoint(42), Vector3());
    EXPECT_EQ(m.teeShot.size(), 10); // absent steps are never inserted

    m.FirstImpact = 4;
    m.setPuttEnabled(true);
    m.setPoint(0, {5, 5, 5});
    EXPECT_EQ(m.currentStepCount(), 1);
    m.clearCurrentShot();
    EXPECT_TRUE(m.puttShot.empty());
    EXPECT_EQ(m.teeShot.size(), 10);
    EXPECT_EQ(m.FirstImpact, 4);
    EXPECT_EQ(m.BallPos, Vector3());
}

TEST(Trajectory, OutOfOrderStoresStaySortedAndReplace)
{
    Trajectory t;
    t.set(5, {5, 0, 0});
    t.set(1, {1, 0, 0});
    t.set(3, {3, 0, 0});
    t.set(3, {33, 0, 0});
    std::vector<int> steps;
    for (const auto& [s, p] : t)
        steps.push_back(s);
    EXPECT_EQ(steps, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(t.find(3)->x, 33);
    t.assign({{2, {1, 0, 0}}, {0, {0, 0, 0}}, {2, {7, 0, 0}}});
    EXPECT_EQ(t.size(), 2);
    EXPECT_EQ(t.find(2)->x, 7); // the later of equal steps wins
}
