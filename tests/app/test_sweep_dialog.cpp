// "Sweep...": the dialog on its own (runs to the end, cancelled, closed or
// destroyed mid-run, bad ranges) and in the window (defaults from the
// controls, rows in the "Shot data" panel, locked controls, Reset).

#include "ShotDataPanel.h"
#include "SweepDialog.h"
#include "SweepOutput.h"
#include "SweepResults.h"
#include "SwingScene.h"
#include "test_window_support.h"

#include <QFile>
#include <QGraphicsView>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <sstream>

namespace {

using namespace quillmoor::lab;

bool waitFor(const std::function<bool()>& pred, int ms = 60000)
{
    return QTest::qWaitFor(pred, ms);
}

class SweepDialogTest : public ::testing::Test
{
protected:
    SweepDialogTest()
    {
        dialog = std::make_unique<SweepDialog>(model);
        dialog->setTraceThinner([](const Trajectory& t) { return SweepTrace(t.size()); });
        QObject::connect(dialog.get(), &SweepDialog::tracesReady,
                         [this](const SweepTraceList& t, const QString&) {
                             traces = t;
                             ++ends;
                         });
    }
    template <class T> T* child(const char* name) { return find<T>(dialog.get(), name); }
    void click(const char* button) { child<QPushButton>(button)->click(); }

    SwingModel model{false};
    std::unique_ptr<SweepDialog> dialog;
    SweepTraceList traces;
    int ends = 0;
};

// The rows saved are what Shotlab writes for the same model and grid.
TEST_F(SweepDialogTest, RunsToTheEndAndSavesTheLabsCsv)
{
    dialog->setRange(0, "TeeLaunchAngle", 20, 40, 5);
    dialog->setRange(1, "TeeZSpin", -1000, 1000, 2000); // another name of TeeSideSpin
    dialog->setSecondEnabled(true);
    EXPECT_EQ(child<QComboBox>("cmbSweepKey2")->currentData().toString(), "TeeSideSpin");
    click("btnSweepRun");
    ASSERT_TRUE(waitFor([this] { return !dialog->isRunning(); }));
    SweepResults* rows = dialog->results();
    ASSERT_EQ(rows->size(), 10u);
    EXPECT_EQ(rows->index(3, 0).data().toString(), "25"); // the first key varies slowest
    EXPECT_EQ(rows->index(3, 1).data().toString(), "1000");
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(traces.size(), 10u);

    SweepGrid grid;
    QString error;
    ASSERT_TRUE(dialog->readGrid(grid, error));
    std::ostringstream lab;
    SweepCsvWriter csv(lab, grid, sweepColumns(sweepKinds(model, grid)));
    csv.header();
    SweepPlan plan;
    plan.grid = grid;
    SweepHooks hooks;
    hooks.row = [&](const SweepRow& r) { csv.row(r); };
    runSweep(model, plan, hooks);
    QTemporaryDir dir;
    ASSERT_TRUE(rows->saveCsv(dir.filePath("sweep.csv"), error)) << error.toStdString();
    QFile saved(dir.filePath("sweep.csv"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), lab.str());
}

// Cancel, closing the dialog and destroying it all stop a long sweep early;
// the rows kept are the first ones of the grid, and the paths those of the rows.
class SweepStop : public SweepDialogTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(SweepStop, StopsEarlyAndConsistently)
{
    dialog->setRange(0, "TeeLaunchAngle", 1, 80, 0.01); // 7901 shots
    click("btnSweepRun");
    ASSERT_TRUE(waitFor([this] { return dialog->results()->size() > 0; }));
    switch (GetParam()) {
    case 0:
        click("btnSweepCancel");
        ASSERT_TRUE(waitFor([this] { return !dialog->isRunning(); }));
        break;
    case 1:
        dialog->show();
        dialog->close(); // returns with the thread joined
        EXPECT_FALSE(dialog->isRunning());
        break;
    case 2:
        dialog.reset(); // joins quietly: nothing reported to what is going away
        EXPECT_EQ(ends, 0);
        return;
    }
    const std::size_t done = dialog->results()->size();
    EXPECT_LT(done, 7901u);
    for (std::size_t i = 0; i < done; ++i)
        ASSERT_EQ(dialog->results()->row(i).gridIndex, i);
    ASSERT_EQ(ends, 1);
    for (std::size_t i = 0; i < traces.size(); ++i) // every 4th point: 7901 > 2000
        EXPECT_EQ(traces[i].empty(), i * 4 >= done) << i;
    EXPECT_TRUE(child<QPushButton>("btnSweepRun")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(CancelCloseDestroy, SweepStop, ::testing::Values(0, 1, 2));

struct BadRange
{
    const char* key2; // nullptr: one range
    double from, to, step;
    const char* message; // a part of what the dialog says
};

class SweepBadRange : public SweepDialogTest, public ::testing::WithParamInterface<BadRange>
{
};

TEST_P(SweepBadRange, IsRefusedWithTheReason)
{
    const BadRange& p = GetParam();
    dialog->setRange(0, "TeeBallSpeed", 100, 150, 10);
    dialog->setSecondEnabled(p.key2);
    dialog->setRange(p.key2 ? 1 : 0, p.key2 ? p.key2 : "TeeBallSpeed", p.from, p.to, p.step);
    if (p.step == 0) // and a field that is not a number is named
        child<QLineEdit>("edtSweepTo1")->setText("ten");
    click("btnSweepRun");
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_TRUE(dialog->message().contains(p.message)) << dialog->message().toStdString();
    EXPECT_TRUE(dialog->results()->isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SweepBadRange,
    ::testing::Values(BadRange{nullptr, 100, 150, 0, "TeeBallSpeed: To is not a number: \"ten\""},
                      BadRange{nullptr, 100, 150, -5, "STEP must be above 0"},
                      BadRange{nullptr, 150, 100, 5, "FROM (150) is above TO (100)"},
                      BadRange{"TeeBackSpin", 0, 6e5, 0.1, "more than 10000000 points"},
                      BadRange{"TeeClubSpeed", 1, 2, 1, "TeeBallSpeed is varied twice"},
                      BadRange{nullptr, 1e300, 1e300, 1, "STEP 1 vanishes next to FROM 1e+300"},
                      BadRange{"HoleId", 1, 3, 0.5, "are one value in the data file"}));

// In putt mode the putt is swept, from the putt's own values.
TEST_F(SweepDialogTest, PuttModeSweepsThePutt)
{
    model.PuttEnabled = true;
    model.PuttTargetAngle = 2;
    dialog->present();
    EXPECT_EQ(child<QComboBox>("cmbSweepKey1")->currentData().toString(), "PuttTargetAngle");
    EXPECT_EQ(child<QLineEdit>("edtSweepFrom1")->text(), "1.5"); // 2 - 5 steps of 0.1
}

class SweepWindow : public WindowTest
{
protected:
    SweepDialog* dialog() const { return window->findChild<SweepDialog*>(); }
    QLineEdit* field(const char* name) const { return find<QLineEdit>(dialog(), name); }
    int traceCount(const char* view) const
    {
        return int(
            static_cast<const SwingScene*>(child<QGraphicsView>(view)->scene())->traces.size());
    }
};

// The ranges start from the window's values, except one the user typed, which
// is there when the dialog opens again and when its key is chosen again. The
// rows go to the panel and the paths to the views until the next run, another
// hole, an opened model or Reset; a compared file stays. Closing the window stops a sweep.
TEST_F(SweepWindow, RangesRowsPathsAndReset)
{
    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(30);
    child<QPushButton>("btnSweep")->click();
    auto* from = field("edtSweepFrom1");
    EXPECT_EQ(from->text(), "25");
    from->selectAll();
    QTest::keyClicks(from, "34");
    EXPECT_EQ(dialog()->message(), "2 shots");
    auto* run = find<QPushButton>(dialog(), "btnSweepRun");
    run->click();
    EXPECT_FALSE(child<QWidget>("grpTee")->isEnabled()); // the model's controls wait
    ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    EXPECT_TRUE(child<QWidget>("grpTee")->isEnabled());
    const QAbstractItemModel* rows = window->findChild<ShotDataPanel*>()->sweepTable()->model();
    EXPECT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(model().TeeLaunchAngle, 30); // the sweep worked on a copy
    EXPECT_EQ(traceCount("sideView"), 3);  // 2 paths and the legend
    find<QPushButton>(dialog(), "btnSweepClose")->click();

    child<QSpinBox>("spinTeeBackSpin")->setValue(2000);
    child<QPushButton>("btnSweep")->click();
    EXPECT_EQ(from->text(), "34");
    EXPECT_EQ(field("edtSweepFrom2")->text(), "1500"); // 2000 - 5 x 100
    auto* keys = find<QComboBox>(dialog(), "cmbSweepKey1");
    const auto pick = [keys](const char* key) {
        keys->setCurrentIndex(keys->findData(key));
        emit keys->activated(keys->currentIndex());
    };
    pick("WindSpeed");
    EXPECT_EQ(from->text(), "4"); // 4.5 mph less 5 steps of 0.1
    pick("HoleId");
    EXPECT_EQ(field("edtSweepTo1")->text(), QString::number(SwingModel::holeCount())); // every hole
    pick("TeeLaunchAngle");
    EXPECT_EQ(from->text(), "34");

    SwingModel compared(false);
    compared.setPoint(0, {0.0, 0.0, 0.0});
    compared.setPoint(1, {0.0, 80.0, 0.0});
    QTemporaryDir dir;
    ASSERT_TRUE(compared.write(dir.filePath("c.out").toStdString()));
    window->openResults(dir.filePath("c.out"));
    const int withComparison = traceCount("topView");
    dialog()->setRange(0, "TeeLaunchAngle", 20, 23, 1);
    run->click();
    ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    EXPECT_EQ(traceCount("topView"), withComparison + 2);
    // Another hole: the paths and rows were of the old one.
    const int comparison = withComparison - 3; // less the first run's 2 paths and legend
    child<QComboBox>("cmbHoleId")->setCurrentIndex(2);
    EXPECT_EQ(traceCount("topView"), comparison);
    EXPECT_EQ(rows->rowCount(), 0);
    run->click();
    ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    window->loadModel(dir.filePath("c.out")); // so is an opened model's
    EXPECT_EQ(traceCount("topView"), comparison);
    EXPECT_EQ(rows->rowCount(), 0);

    child<QAbstractButton>("btnResetAll")->click();
    EXPECT_EQ(traceCount("topView") + traceCount("sideView"), 0);
    EXPECT_EQ(rows->rowCount(), 0);
    EXPECT_FALSE(find<QPushButton>(dialog(), "btnSweepSave")->isEnabled());

    dialog()->setRange(0, "TeeLaunchAngle", 1, 80, 0.01);
    run->click();
    ASSERT_TRUE(dialog()->isRunning());
    window->close();
    EXPECT_FALSE(dialog()->isRunning());
    EXPECT_TRUE(child<QWidget>("grpTee")->isEnabled());
}

} // namespace
