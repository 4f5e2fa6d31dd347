// The interactive replay: the play/pause button, the `time` slider and what
// stops a replay. A made-up straight shot of 301 points, 0.01 s apart, keeps
// the timing readable: the whole replay lasts 3 s.

#include "ShotDataPanel.h"
#include "SwingScene.h"
#include "test_window_support.h"

#include <QPropertyAnimation>
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
        return animator() && animator()->state() == QAbstractAnimation::Running;
    }
    QToolButton* button() const { return child<QToolButton>("btnAnimate"); }
    QSlider* time() const { return child<QSlider>("time"); }
    bool tracking() const
    {
        return static_cast<SwingScene*>(child<QGraphicsView>("sideView")->scene())
                   ->track->trackState != 0;
    }
    // The button shows what it will do: play (an arrow) or pause.
    bool buttonPlays() const { return button()->arrowType() == Qt::RightArrow; }
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
        EXPECT_TRUE(tracking() && !buttonPlays());
        button()->click(); // pause
        EXPECT_TRUE(!playing() && buttonPlays()) << start;
    }
}

// Pressing pauses, pressing again goes on from there; holding the slider
// pauses and letting it go goes on from where it was let go.
TEST_F(Replay, PauseAndTheSliderHandle)
{
    button()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return time()->value() > 0; }, 5000));
    button()->click();
    const int held = time()->value();
    EXPECT_FALSE(playing());
    button()->click();
    ASSERT_TRUE(playing());
    EXPECT_EQ(animator()->startValue().toInt(), held);

    time()->setSliderDown(true); // the user grabs the handle
    EXPECT_FALSE(playing());
    time()->setSliderPosition(40);
    EXPECT_FALSE(playing()) << "the replay must not take the handle back";
    EXPECT_EQ(model().currentStep(), 40);
    time()->setSliderDown(false);
    ASSERT_TRUE(playing());
    EXPECT_EQ(animator()->startValue().toInt(), 40);
}

TEST_F(Replay, EndsAtTheLastPointAndAHoleChangeStopsIt)
{
    shot(20); // 0.2 s
    button()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !animator(); }, 3000));
    EXPECT_EQ(time()->value(), 20);
    EXPECT_TRUE(!tracking() && buttonPlays());

    shot(300);
    button()->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return time()->value() > 0; }, 5000));
    child<QComboBox>("cmbHoleId")->setCurrentIndex(1);
    EXPECT_FALSE(animator() || tracking());
    EXPECT_FALSE(time()->isEnabled() || button()->isEnabled());
    // The handle of the disabled slider goes back to its start with the shot.
    EXPECT_EQ(time()->value(), 0);
    EXPECT_EQ(time()->maximum(), 0);
}

// The verdict and the shot's numbers wait for the ball to arrive: shown at
// the end of the replay, not while the ball is still in the air.
TEST_F(Replay, ARunIsReplayedFromItsFirstPointAndTheNumbersComeAtItsEnd)
{
    auto* table = window->findChild<ShotDataPanel*>()->table();
    const QString none = QStringLiteral("\u2013");
    child<QPushButton>("btnSwing")->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return playing(); }, 8000));
    EXPECT_EQ(animator()->startValue().toInt(), 0);
    EXPECT_EQ(child<QLabel>("info")->text(), "");
    EXPECT_EQ(table->item(0, 0)->text(), none);

    button()->click(); // paused: the ball has not arrived
    EXPECT_EQ(child<QLabel>("info")->text(), "");
    button()->click();
    ASSERT_TRUE(playing());
    animator()->setCurrentTime(animator()->duration()); // the end, without the wait
    ASSERT_FALSE(animator());
    EXPECT_TRUE(child<QLabel>("info")->text().startsWith("Carry "));
    EXPECT_NE(table->item(0, 0)->text(), none);
}

} // namespace
