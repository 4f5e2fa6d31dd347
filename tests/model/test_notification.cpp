#include "ModelFixture.h"

#include <memory>

using Flags = std::vector<ChangeFlags>;

TEST_F(ModelTest, ConstructionNotifiesHoleThenBall)
{
    RecordingListener l;
    SwingModel m;
    EXPECT_EQ(l.flags(), (Flags{56, BallChanged}));
    SwingModel quiet(false);
    quiet.setWindDir(1);
    quiet.setBallPos({1, 1, 1});
    EXPECT_EQ(l.calls.size(), 2u);
}

TEST_F(ModelTest, ListenersHearInRegistrationOrderUntilDestroyed)
{
    SwingModel m;
    std::vector<int> order;
    struct Ordered : SwingModelListener
    {
        std::vector<int>* order;
        int id;
        Ordered(std::vector<int>* o, int i) : order(o), id(i) {}
        void modelChanged(SwingModel&, ChangeFlags) override { order->push_back(id); }
    };
    auto a = std::make_unique<Ordered>(&order, 1);
    auto b = std::make_unique<Ordered>(&order, 2);
    auto c = std::make_unique<Ordered>(&order, 3);
    m.setBallPos({});
    b.reset();
    m.setBallPos({}); // no comparison: always sent
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 1, 3}));
}

TEST_F(ModelTest, TwoModelsReachTheSameListener)
{
    SwingModel a, b;
    RecordingListener l;
    a.setPuttEnabled(true);
    b.setWindSpeed(9);
    ASSERT_EQ(l.calls.size(), 2u);
    EXPECT_EQ(l.calls[0].model, &a);
    EXPECT_EQ(l.calls[1].flags, WindChanged);
    EXPECT_EQ(l.calls[1].model, &b);
}

TEST_F(ModelTest, SilentChanges)
{
    SwingModel m;
    RecordingListener l;
    m.setPoint(0, {1, 2, 3});
    m.setExitCode(1);
    m.setFirstImpact(0);
    m.setValue("TimeStepSize", 0.5);
    m.setValue("GreenSize", 3);
    m.setValue("GreenType", 0);
    SwingModel copy(false);
    copy = m;
    m.setPuttEnabled(false); // already off
    EXPECT_TRUE(l.calls.empty());
    m.setCurrentStep(0);
    m.clearCurrentShot();
    EXPECT_EQ(l.flags(), (Flags{BallChanged, BallChanged}));
}
