#include "ModelFixture.h"

#include <memory>

TEST_F(ModelTest, EveryNotifyingModelReachesEveryListener)
{
    RecordingListener l;
    SwingModel a;
    SwingModel quiet(false);
    SwingModel b;
    quiet.setBallPos({1, 1, 1});
    a.setPuttEnabled(true);
    EXPECT_EQ(l.flags, (Flags{56, BallChanged, 56, BallChanged, PuttModeChanged}));
    EXPECT_EQ(l.senders, (std::vector<const SwingModel*>{&a, &a, &b, &b, &a}));
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
    Ordered a(&order, 1);
    auto b = std::make_unique<Ordered>(&order, 2);
    Ordered c(&order, 3);
    m.setBallPos({});
    b.reset();
    m.setBallPos({}); // no comparison: always sent
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 1, 3}));
}
