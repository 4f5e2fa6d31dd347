// The "Shot data" dock in the window: the numbers after real runs, loads and
// compared result files, the verdict line, and a visibility that is
// remembered and costs the views nothing.

#include "ShotDataDock.h"
#include "ShotDataPanel.h"
#include "ShotSummary.h"
#include "test_window_support.h"


namespace {

class ShotData : public WindowTest
{
protected:
    void SetUp() override
    {
        QSettings().remove(QLatin1String(ShotDataDock::visibleKey));
        WindowTest::SetUp();
    }
    // The first row, the carry, in `column`.
    QString carry(int column = 0) const { return table()->item(0, column)->text(); }
    QTableWidget* table() const { return window->findChild<ShotDataPanel*>()->table(); }
    QString info() const { return child<QLabel>("info")->text(); }
    bool docked(const Parview& w) const { return w.findChild<ShotDataDock*>()->isVisibleTo(&w); }
};

QString carryOf(const SwingModel& m)
{
    return QString::fromStdString(quillmoor::fixedText(*quillmoor::summarizeTeeShot(m)->carry, 2));
}

// A hidden window runs each shot to its end at once.
TEST_F(ShotData, NumbersAndVerdictAfterShotsLoadsAndComparisons)
{
    QTemporaryDir dir;
    SwingModel& m = model();
    child<QPushButton>("btnSwing")->click();
    const QString first = carryOf(m);
    EXPECT_EQ(carry(), first);
    EXPECT_TRUE(info().startsWith("Carry ")) << info().toStdString();
    const QString file = dir.filePath("first.out");
    ASSERT_TRUE(m.write(file.toStdString(), false));

    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(m.TeeLaunchAngle - 10);
    child<QPushButton>("btnSwing")->click();
    ASSERT_NE(carryOf(m), first);
    window->openResults(file);
    ASSERT_EQ(table()->columnCount(), 2);
    EXPECT_EQ(carry(0), carryOf(m));
    EXPECT_EQ(carry(1), first);

    // A putt takes the current column; the comparison stays.
    child<QGroupBox>("grpPutt")->setChecked(true);
    EXPECT_EQ(info(), ""); // a new mode, no verdict yet
    child<QPushButton>("btnPutt")->click();
    ASSERT_GT(m.puttShot.size(), 1u);
    EXPECT_EQ(carry(0), "");
    EXPECT_EQ(carry(1), first);
    EXPECT_EQ(info(), ShotDataPanel::verdict(m));

    child<QToolButton>("btnResetAll")->click(); // with the traces and the shot
    EXPECT_EQ(table()->columnCount(), 1);
    EXPECT_EQ(info(), "");

    window->loadModel(file);
    EXPECT_EQ(carry(), first);
}

// The simple putt drops the ball under the green near the cup, the complex
// one sets it on the cup: either way a holed ball is no distance from the
// hole, and the distance line agrees with the verdict.
TEST_F(ShotData, TheDistanceLineAgreesWithTheVerdict)
{
    const QByteArray savedMode = qgetenv("QMX_SWING_MODE");
    // mode, the ball's y on the line x = -15 through the cup, speed
    const std::tuple<const char*, double, double, const char*, const char*> cases[] = {
        {"simple", 151.0, 20.0, "Holed!", "Distance to hole: 0.00 inches"},
        {"complex", 153.0, 2.0, "Holed!", "Distance to hole: 0.00 inches"},
        {"simple", 151.0, 10.0, "On the green, 2.6 feet", "Distance to hole: 2.57 feet"},
    };
    SwingModel& m = model();
    child<QGroupBox>("grpPutt")->setChecked(true);
    for (const auto& [mode, y, speed, verdict, distance] : cases) {
        SCOPED_TRACE(std::string(mode) + " " + std::to_string(speed));
        qputenv("QMX_SWING_MODE", mode);
        m.setBallPos({-15.0, y, m.groundHeight(-15.0, y)});
        m.setValue("PuttTargetAngle", 0.0);
        m.setValue("PuttBallSpeed", speed);
        child<QPushButton>("btnPutt")->click();
        ASSERT_EQ(window->messages(), QStringList());
        EXPECT_EQ(info().toStdString(), verdict);
        EXPECT_EQ(child<QLabel>("infoDist")->text().toStdString(), distance);
    }
    qputenv("QMX_SWING_MODE", savedMode);
    if (savedMode.isNull())
        qunsetenv("QMX_SWING_MODE");
}

// A narrowed window takes its room from the panel first and gives it back
// as it widens again.
TEST_F(ShotData, ANarrowedWindowGivesThePanelItsWidthBack)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const auto* dock = window->findChild<ShotDataDock*>();
    const auto* views = child<QWidget>("topView");
    const QSize wide = window->size();
    const int dockWidth = dock->width();
    const int viewsWidth = views->width();
    window->resize(900, wide.height());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dock->width() < dockWidth; }));
    window->resize(wide);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dock->width() == dockWidth; })) << dock->width();
    EXPECT_EQ(views->width(), viewsWidth);
}

// Hidden by its button or its own close button, or shown again: the next
// window starts as the last one was left.
TEST_F(ShotData, VisibilityIsRemembered)
{
    child<QToolButton>("btnShotData")->click();
    Parview second({});
    EXPECT_FALSE(docked(second));
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    second.findChild<QToolButton*>("btnShotData")->click();
    EXPECT_TRUE(docked(Parview({})));
    second.findChild<ShotDataDock*>()->close();
    EXPECT_FALSE(second.findChild<QToolButton*>("btnShotData")->isChecked());
    EXPECT_FALSE(docked(Parview({})));
}

} // namespace
