// "Read" in the window: the recommendation reaches the controls and the
// model, the band of holing lines stands in the plan view until the
// situation it was read for changes, a read overtaken by a change is
// dropped, and the button follows putt mode. The read itself runs on a
// worker; these tests wait for its answer through the event loop.

#include "HoleBand.h"
#include "PuttReading.h"
#include "test_window_support.h"

#include <QPointer>
#include <QThreadPool>
#include <algorithm>

namespace {

// The hole-1 putt example, loaded from a copy: a hidden window putts into
// its model file.
class Reading : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        const QString copy = dir.filePath("putt.txt");
        ASSERT_TRUE(QFile::copy(QUILLMOOR_EXAMPLES "/hole1-putt.txt", copy));
        window->loadModel(copy);
        ASSERT_TRUE(model().PuttEnabled);
    }

    PuttReading* reading() const { return window->findChild<PuttReading*>("puttReading"); }
    QGraphicsScene* plan() const { return child<QGraphicsView>("topView")->scene(); }
    QPushButton* readButton() const { return child<QPushButton>("btnRead"); }
    QDoubleSpinBox* speed() const { return child<QDoubleSpinBox>("spinPuttClubSpeed"); }
    QDoubleSpinBox* aim() const { return child<QDoubleSpinBox>("spinPuttTargetAngle"); }
    QString info() const { return child<QLabel>("info")->text(); }
    int bandsInPlan() const
    {
        const auto items = plan()->items();
        return int(std::count_if(items.begin(), items.end(), [](QGraphicsItem* item) {
            return dynamic_cast<HoleBandItem*>(item) != nullptr;
        }));
    }

    // Waits for the answer; a generous bound for the sanitizer build.
    [[nodiscard]] bool answered() const
    {
        return QTest::qWaitFor([this] { return !reading()->isReading(); }, 120000);
    }
    // Reads the green and waits for the band.
    void readWithBand()
    {
        readButton()->click();
        ASSERT_TRUE(answered());
        ASSERT_NE(reading()->band(), nullptr) << info().toStdString();
    }

    QTemporaryDir dir;
};

TEST_F(Reading, SetsSpeedAndAimThroughTheControlsAndDrawsTheBand)
{
    SwingModel& m = model();
    readButton()->click();
    EXPECT_FALSE(readButton()->isEnabled());
    ASSERT_TRUE(answered());

    EXPECT_EQ(speed()->value(), 1.45);
    EXPECT_EQ(m.PuttTargetAngle, 29.90);
    EXPECT_TRUE(info().startsWith("Read: 1.45 mph, aim 29.90 deg\nholes from 24.77 to 35.02 deg"))
        << info().toStdString();

    // The band in the plan view: three paths from the ball into the cup's
    // reach (0.2 yd).
    HoleBandItem* band = reading()->band();
    ASSERT_NE(band, nullptr);
    const QPointF ball(m.BallPos.y, m.BallPos.x), cup(m.hole.HolePos.y, m.hole.HolePos.x);
    for (const QPainterPath* path : {&band->lowEdge(), &band->highEdge(), &band->chosenLine()}) {
        ASSERT_GT(path->elementCount(), 10);
        EXPECT_LT(QLineF(path->elementAt(0), ball).length(), 1e-6);
        EXPECT_LT(QLineF(path->elementAt(path->elementCount() - 1), cup).length(), 0.21);
    }
    EXPECT_NE(band->lowEdge(), band->highEdge());

    // Putt as read: it drops, and the band is gone with the new putt.
    child<QPushButton>("btnPutt")->click();
    ASSERT_EQ(window->messages(), QStringList());
    EXPECT_EQ(m.puttShot.back().second, m.hole.HolePos);
    EXPECT_EQ(reading()->band(), nullptr);
    EXPECT_EQ(info(), "Holed!"); // the putt's own verdict replaces the read
}

// Each change of the situation the band was read for takes it away.
TEST_F(Reading, TheBandGoesWithTheSituationItWasReadFor)
{
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"ball moved", [this] { child<QLineEdit>("edtBallPosX")->setText("-13.5"); }},
        {"another hole", [this] { child<QComboBox>("cmbHoleId")->setCurrentIndex(1); }},
        {"tee-shot mode", [this] { child<QGroupBox>("grpPutt")->setChecked(false); }},
        {"reset all", [this] { child<QToolButton>("btnResetAll")->click(); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        window->loadModel(dir.filePath("putt.txt"));
        readWithBand();
        ASSERT_EQ(bandsInPlan(), 1);
        // Changing the putt itself keeps it.
        aim()->setValue(aim()->value() + 1.0);
        ASSERT_NE(reading()->band(), nullptr);
        change();
        EXPECT_EQ(bandsInPlan(), 0);
        EXPECT_FALSE(info().startsWith("Read:")) << info().toStdString();
    }
}

// The answer comes back after the user moved the ball, or chose another
// hole: it is an answer for nowhere and is dropped.
TEST_F(Reading, AReadOvertakenByAChangeIsDropped)
{
    SwingModel& m = model();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"ball moved", [this] { child<QLineEdit>("edtBallPosY")->setText("152"); }},
        {"another hole", [this] { child<QComboBox>("cmbHoleId")->setCurrentIndex(2); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        child<QGroupBox>("grpPutt")->setChecked(true);
        const double speedBefore = m.PuttBallSpeed, aimBefore = m.PuttTargetAngle;
        readButton()->click();
        change(); // before the event loop can bring the answer
        ASSERT_TRUE(answered());
        EXPECT_EQ(m.PuttBallSpeed, speedBefore);
        EXPECT_EQ(m.PuttTargetAngle, aimBefore);
        EXPECT_EQ(bandsInPlan(), 0);
        EXPECT_TRUE(readButton()->isEnabled());
    }
}

TEST_F(Reading, TheButtonWorksOnlyInPuttMode)
{
    auto* group = child<QGroupBox>("grpPutt");
    EXPECT_TRUE(readButton()->isEnabled());
    group->setChecked(false);
    reading()->read(); // not from the tee
    EXPECT_FALSE(reading()->isReading());

    // Leaving putt mode and coming back while reading does not free the
    // button for a second read.
    group->setChecked(true);
    readButton()->click();
    group->setChecked(false);
    group->setChecked(true);
    EXPECT_FALSE(readButton()->isEnabled());
    ASSERT_TRUE(answered());

    EXPECT_TRUE(readButton()->isEnabled());
}

// From 4 yd on the high side of hole 3 every line crosses the cup too fast;
// 3.2 yd down and left of hole 1's cup a putt slow enough to drop runs out
// of roll time. The read says why, and the speed and aim the last
// recommendation set go back to what the user had, unless the user has set
// them since.
TEST_F(Reading, SaysWhyNoPuttHolesAndGivesTheControlsBack)
{
    const double speedBefore = speed()->value(), aimBefore = aim()->value();
    readWithBand(); // the example: 1.45 mph, 29.90 deg
    ASSERT_NE(speed()->value(), speedBefore);

    child<QLineEdit>("edtBallPosX")->setText("-18.2");
    child<QLineEdit>("edtBallPosY")->setText("150.8");
    readButton()->click();
    ASSERT_TRUE(answered());
    EXPECT_EQ(info().toStdString(), "No putt holes from here:\na putt slow enough to drop needs\n"
                                    "more than its 4.0 s of roll");
    EXPECT_EQ(model().PuttBallSpeed, speedBefore);
    EXPECT_EQ(model().PuttTargetAngle, aimBefore);
    EXPECT_EQ(reading()->band(), nullptr);

    // Values the user set after a recommendation are the user's.
    window->loadModel(dir.filePath("putt.txt"));
    readWithBand();
    aim()->setValue(31.0);
    child<QComboBox>("cmbHoleId")->setCurrentIndex(2);
    child<QGroupBox>("grpPutt")->setChecked(true);
    child<QLineEdit>("edtBallPosX")->setText("6");
    child<QLineEdit>("edtBallPosY")->setText("150");
    const double speedSet = speed()->value();
    readButton()->click();
    ASSERT_TRUE(answered());
    EXPECT_EQ(info().toStdString(),
              "Off the green, no putt holes:\nevery putt that gets to the cup\n"
              "is too fast to drop");
    EXPECT_EQ(speed()->value(), speedSet);
    EXPECT_EQ(aim()->value(), 31.0);
}

// Hole 4 tilted 10 degrees up toward the cup, the ball 15 yd short: the
// putt that drops is faster than the speed control goes.
TEST_F(Reading, ARecommendationBeyondTheControlsIsClampedAndSaidSo)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3);
    child<QGroupBox>("grpPutt")->setChecked(true);
    child<QDoubleSpinBox>("spinGreenXRot")->setValue(10.0);
    child<QDoubleSpinBox>("spinGreenRho")->setValue(0.196);
    child<QLineEdit>("edtBallPosX")->setText("0");
    child<QLineEdit>("edtBallPosY")->setText("85");
    readWithBand();
    EXPECT_EQ(model().PuttBallSpeed, 20.0);
    EXPECT_TRUE(info().contains("speed clamped to 20.00 mph")) << info().toStdString();
}

// The worker keeps its own copy of the model and finds nobody to answer:
// it ends, and its answer goes nowhere.
TEST_F(Reading, TheWindowMayGoWhileItReads)
{
    readButton()->click();
    QPointer<PuttReading> gone = reading();
    ASSERT_TRUE(gone && gone->isReading());
    window->close();
    window.reset();
    EXPECT_TRUE(gone.isNull());
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(120000));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(QThreadPool::globalInstance()->activeThreadCount(), 0);
}

} // namespace
