// The interactive replay: the play/pause button, the `time` slider and what
// stops a replay. A made-up straight shot of 301 points, 0.01 s apart, keeps
// the timing readable: the whole replay lasts 3 s.

#include "SwingScene.h"
#include "test_window_support.h"

#include <QGraphicsView>
#include <QPropertyAnimation>
#include <QTest>
#include <QToolButton>
#include <tuple>

namespace {

class Replay : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->show(); // the replay runs only in a visible window
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        shot(300);
    }

    // A straight tee shot of n + 1 points down the middle.
    void shot(int last)
    {
        SwingModel& m = model();
        m.TimeStepSize = 0.01;
        m.clearCurrentShot();
        for (int i = 0; i <= last; ++i)
            m.setPoint(i, {0.0, i * 0.5, 0.0});
        m.setCurrentStep(0);
    }

    QPropertyAnimation* animator() const
    {
        return window->findChild<QPropertyAnimation*>(QStringLiteral("animator"));
    }
    bool playing() const
    {
        const QPropertyAnimation* a = animator();
        return a && a->state() == QAbstractAnimation::Running;
    }
    QToolButton* button() const { return child<QToolButton>("btnAnimate"); }
    QSlider* time() const { return child<QSlider>("time"); }
    bool tracking(const char* view) const
    {
        auto* s = static_cast<SwingScene*>(child<QGraphicsView>(view)->scene());
        return s->track->trackState != 0;
    }
    // The button shows what it will do: play (an arrow) or pause (an icon).
    void expectButtonPlays(bool plays) const
    {
        EXPECT_EQ(button()->arrowType(), plays ? Qt::RightArrow : Qt::NoArrow);
        EXPECT_EQ(button()->icon().isNull(), plays);
    }
};

TEST_F(Replay, StartsWhereTheBallIsAndLastsInRealTime)
{
    // start step, first value, duration in ms
    const std::tuple<int, int, int> rows[] = {{0, 0, 3000}, {100, 100, 2000}, {300, 0, 3000}};
    for (const auto& [start, first, duration] : rows) {
        model().setCurrentStep(start);
        button()->click();
        ASSERT_TRUE(playing()) << start;
        EXPECT_EQ(animator()->startValue().toInt(), first) << start;
        EXPECT_EQ(animator()->endValue().toInt(), 300) << start;
        EXPECT_EQ(animator()->duration(), duration) << start;
        EXPECT_TRUE(tracking("topView") && tracking("sideView")) << start;
        expectButtonPlays(false);
        button()->click(); // pause
        EXPECT_FALSE(playing()) << start;
    }
}

TEST_F(Replay, PauseHoldsTheBallAndPlayGoesOnFromThere)
{
    button()->click();
    QTest::qWait(300);
    button()->click();
    ASSERT_FALSE(playing());
    expectButtonPlays(true);
    const int held = time()->value();
    EXPECT_GT(held, 0);
    QTest::qWait(200);
    EXPECT_EQ(time()->value(), held);
    EXPECT_EQ(model().currentStep(), held);

    button()->click();
    ASSERT_TRUE(playing());
    EXPECT_EQ(animator()->startValue().toInt(), held);
}

TEST_F(Replay, DraggingTheSliderPausesAndReleasingResumes)
{
    button()->click();
    QTest::qWait(100);
    time()->setSliderDown(true); // the user grabs the handle
    EXPECT_FALSE(playing());
    time()->setSliderPosition(40);
    QTest::qWait(150);
    EXPECT_EQ(time()->value(), 40) << "the replay must not take the handle back";
    EXPECT_EQ(model().currentStep(), 40);
    time()->setSliderDown(false);
    ASSERT_TRUE(playing());
    EXPECT_EQ(animator()->startValue().toInt(), 40);

    // Grabbed while paused, released: still paused.
    button()->click();
    time()->setSliderDown(true);
    time()->setSliderPosition(20);
    time()->setSliderDown(false);
    EXPECT_FALSE(playing());
    EXPECT_EQ(model().currentStep(), 20);
}

TEST_F(Replay, EndsAtTheLastPointAndStopsTracking)
{
    shot(20); // 0.2 s
    button()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !animator(); }, 3000));
    EXPECT_EQ(time()->value(), 20);
    EXPECT_FALSE(tracking("topView") || tracking("sideView"));
    expectButtonPlays(true);
    button()->click(); // from the end: starts again at 0
    ASSERT_TRUE(playing());
    EXPECT_EQ(animator()->startValue().toInt(), 0);
}

TEST_F(Replay, AHoleChangeStopsTheReplayFirst)
{
    button()->click();
    QTest::qWait(100);
    child<QComboBox>("cmbHoleId")->setCurrentIndex(1);
    EXPECT_FALSE(animator());
    EXPECT_FALSE(tracking("topView") || tracking("sideView"));
    EXPECT_FALSE(time()->isEnabled());
    EXPECT_FALSE(button()->isEnabled());
    expectButtonPlays(true);
    const int value = time()->value();
    QTest::qWait(100);
    EXPECT_EQ(time()->value(), value);
}

TEST_F(Replay, ARunIsReplayedFromItsFirstPoint)
{
    child<QPushButton>("btnSwing")->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return playing(); }, 8000));
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 1");
    EXPECT_EQ(animator()->startValue().toInt(), 0);
    EXPECT_EQ(animator()->endValue().toInt(), model().currentStepCount() - 1);
    EXPECT_TRUE(tracking("topView") && tracking("sideView"));
}

} // namespace
