// The "Shot data" dock in the window: the numbers after real runs, loads and
// compared result files, the verdict line, and a visibility that is
// remembered and costs the views nothing.

#include "ShotDataDock.h"
#include "ShotDataPanel.h"
#include "ShotSummary.h"
#include "test_window_support.h"

#include <QGraphicsView>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

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
    const struct
    {
        const char* mode;
        double y; // of the ball, on the line x = -15 through the cup
        double speed;
        const char* verdict;
        const char* distance;
    } cases[] = {
        {"simple", 151.0, 20.0, "Holed!", "Distance to hole: 0.00 inches"},
        {"complex", 153.0, 2.0, "Holed!", "Distance to hole: 0.00 inches"},
        {"simple", 151.0, 10.0, "On the green, 2.6 feet", "Distance to hole: 2.57 feet"},
    };
    SwingModel& m = model();
    child<QGroupBox>("grpPutt")->setChecked(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.speed));
        qputenv("QMX_SWING_MODE", c.mode);
        m.setBallPos({-15.0, c.y, m.groundHeight(-15.0, c.y)});
        m.setValue("PuttTargetAngle", 0.0);
        m.setValue("PuttBallSpeed", c.speed);
        child<QPushButton>("btnPutt")->click();
        ASSERT_EQ(window->messages(), QStringList());
        EXPECT_EQ(info().toStdString(), c.verdict);
        EXPECT_EQ(child<QLabel>("infoDist")->text().toStdString(), c.distance);
    }
    qputenv("QMX_SWING_MODE", savedMode);
    if (savedMode.isNull())
        qunsetenv("QMX_SWING_MODE");
}

// Hidden by its button or its own close button, or shown again: the next
// window starts as the last one was left. The window grows by the dock,
// within a 1280 x 800 screen, rather than taking room from the views, and
// gives it back when the dock hides.
TEST_F(ShotData, VisibilityIsRememberedAndTheViewsKeepTheirSize)
{
    child<QToolButton>("btnShotData")->click();
    Parview without({});
    EXPECT_FALSE(docked(without));
    without.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&without));
    without.findChild<QToolButton*>("btnShotData")->click();
    EXPECT_TRUE(docked(Parview({})));
    without.findChild<ShotDataDock*>()->close();
    EXPECT_FALSE(without.findChild<QToolButton*>("btnShotData")->isChecked());
    EXPECT_FALSE(docked(Parview({})));

    const auto views = [](const Parview& w) {
        return w.findChild<QGraphicsView*>("topView")->size() +
               w.findChild<QGraphicsView*>("sideView")->size();
    };
    const auto expectRoomKept = [&](const char* when) {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return views(*window).width() >= views(without).width() &&
                       views(*window).height() >= views(without).height();
            },
            3000))
            << when;
        EXPECT_LE(window->frameGeometry().width(), 1280) << when;
        EXPECT_LE(window->frameGeometry().height(), 800) << when;
    };
    child<QToolButton>("btnShotData")->click(); // shown again
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    expectRoomKept("shown");
    // The current shot and a comparison side by side.
    window->findChild<ShotDataPanel*>()->addComparison("compared.out", SwingModel(false));
    EXPECT_LE(table()->columnWidth(0) + table()->columnWidth(1), table()->viewport()->width());
    child<QLabel>("info")->setText(QString(80, 'W')); // cut, not widening the controls
    expectRoomKept("long verdict");
    child<QToolButton>("btnShotData")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->width() == without.width(); }, 3000));
}

} // namespace
