// "Sweep...": the dialog on its own (runs to the end, cancelled, closed or
// destroyed mid-run, bad ranges) and in the window (defaults from the
// controls, rows in the "Shot data" panel, locked controls, Reset).

#include "ShotDataPanel.h"
#include "SweepDialog.h"
#include "SweepEstimate.h"
#include "SweepOutput.h"
#include "SweepOverlay.h"
#include "SweepResults.h"
#include "SwingMode.h"
#include "SwingScene.h"
#include "test_window_support.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGraphicsView>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <sstream>

namespace {

using namespace quillmoor::lab;
using quillmoor::ShotMode;

bool waitFor(const std::function<bool()>& pred, int ms = 60000)
{
    return QTest::qWaitFor(pred, ms);
}

// The CSV Shotlab writes for the same model and grid.
std::string labCsv(const SwingModel& model, const SweepGrid& grid)
{
    std::ostringstream out;
    SweepCsvWriter csv(out, grid, sweepColumns(sweepKinds(model, grid)));
    csv.header();
    SweepPlan plan;
    plan.grid = grid;
    SweepHooks hooks;
    hooks.row = [&](const SweepRow& r) { csv.row(r); };
    runSweep(model, plan, hooks);
    return out.str();
}

class SweepDialogTest : public ::testing::Test
{
protected:
    SweepDialogTest()
    {
        dialog = std::make_unique<SweepDialog>(model);
        // Every point kept whole, to count the paths.
        dialog->setTraceThinner([](const Trajectory& t) {
            SweepTrace points;
            for (const auto& step : t)
                points.push_back(step.second);
            return points;
        });
        QObject::connect(dialog.get(), &SweepDialog::tracesReady,
                         [this](const SweepTraceList& t, const QString& legend) {
                             traces = t;
                             this->legend = legend;
                             ++ends;
                         });
    }
    template <class T> T* child(const char* name) { return find<T>(dialog.get(), name); }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    bool ended() { return waitFor([this] { return !dialog->isRunning(); }); }

    SwingModel model{false};
    std::unique_ptr<SweepDialog> dialog;
    SweepTraceList traces;
    QString legend;
    int ends = 0;
};

TEST_F(SweepDialogTest, RunsToTheEndWithRowsTracesAndTheLabsCsv)
{
    dialog->setRange(0, "TeeLaunchAngle", 20, 40, 5);
    dialog->setRange(1, "TeeBackSpin", 2000, 3000, 1000);
    dialog->setSecondEnabled(true);
    EXPECT_EQ(dialog->message(), "10 shots");
    QSignalSpy running(dialog.get(), &SweepDialog::runningChanged);
    click("btnSweepRun");
    ASSERT_TRUE(ended());
    ASSERT_EQ(running.size(), 2);
    EXPECT_TRUE(running[0][0].toBool());
    EXPECT_FALSE(running[1][0].toBool());

    SweepResults* rows = dialog->results();
    ASSERT_EQ(rows->size(), 10u);
    EXPECT_EQ(rows->headerData(0, Qt::Horizontal).toString(), "TeeLaunchAngle\n(deg)");
    EXPECT_EQ(rows->index(3, 0).data().toString(), "25"); // the first key varies slowest
    EXPECT_EQ(rows->index(3, 1).data().toString(), "3000");
    EXPECT_EQ(ends, 1);
    ASSERT_EQ(traces.size(), 10u);
    for (const SweepTrace& t : traces)
        EXPECT_GT(t.size(), 10u);
    EXPECT_EQ(legend, "TeeLaunchAngle 20 \u2026 40 deg \u00d7 TeeBackSpin 2000 \u2026 3000 rpm");
    EXPECT_EQ(dialog->message(), "Done: 10 shots.");

    SweepGrid grid;
    QString error;
    ASSERT_TRUE(dialog->readGrid(grid, error));
    const std::string expected = labCsv(model, grid);
    QTemporaryDir dir;
    ASSERT_TRUE(rows->saveCsv(dir.filePath("sweep.csv"), error)) << error.toStdString();
    QFile saved(dir.filePath("sweep.csv"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), expected);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"sweep.csv"}); // no leftovers
    EXPECT_FALSE(rows->saveCsv(dir.filePath("none/sweep.csv"), error));
    EXPECT_TRUE(error.contains("none/sweep.csv")) << error.toStdString();
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
        ASSERT_TRUE(ended());
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
    EXPECT_EQ(dialog->message(), QString("Stopped after %1 of 7901 shots.").arg(done));
    ASSERT_EQ(ends, 1);
    for (std::size_t i = 0; i < traces.size(); ++i) // every 4th point: 7901 > 2000
        EXPECT_EQ(traces[i].empty(), i * 4 >= done) << i;
    EXPECT_TRUE(legend.endsWith(QString(", %1 of 7901 shots, 1 path in 4 shown").arg(done)))
        << legend.toStdString();
    EXPECT_TRUE(child<QPushButton>("btnSweepRun")->isEnabled());
    EXPECT_FALSE(child<QPushButton>("btnSweepCancel")->isEnabled());
    EXPECT_TRUE(child<QPushButton>("btnSweepSave")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(CancelCloseDestroy, SweepStop, ::testing::Values(0, 1, 2));

struct BadRange
{
    const char* key2; // nullptr: one range
    double from, to, step;
    const char* message; // a part of what the dialog says
};

void PrintTo(const BadRange& p, std::ostream* os)
{
    *os << (p.key2 ? p.key2 : "TeeBallSpeed") << '=' << p.from << ':' << p.to << ':' << p.step;
}

class SweepBadRange : public SweepDialogTest, public ::testing::WithParamInterface<BadRange>
{
};

TEST_P(SweepBadRange, IsRefusedWithTheReason)
{
    const BadRange& p = GetParam();
    dialog->setRange(0, "TeeBallSpeed", 100, 150, 10);
    if (p.key2) {
        dialog->setSecondEnabled(true);
        dialog->setRange(1, p.key2, p.from, p.to, p.step);
    } else {
        dialog->setRange(0, "TeeBallSpeed", p.from, p.to, p.step);
    }
    QSignalSpy running(dialog.get(), &SweepDialog::runningChanged);
    click("btnSweepRun");
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_EQ(running.size(), 0);
    EXPECT_TRUE(dialog->message().contains(p.message)) << dialog->message().toStdString();
    EXPECT_TRUE(dialog->results()->isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SweepBadRange,
    ::testing::Values(BadRange{nullptr, 100, 150, 0, "STEP must be above 0"},
                      BadRange{nullptr, 100, 150, -5, "STEP must be above 0"},
                      BadRange{nullptr, 150, 100, 5, "FROM (150) is above TO (100)"},
                      BadRange{nullptr, 0, 2e7, 1, "more than 10000000 values"},
                      BadRange{"TeeBackSpin", 0, 6e5, 0.1, "more than 10000000 points"},
                      BadRange{"TeeClubSpeed", 1, 2, 1, "TeeBallSpeed is varied twice"},
                      BadRange{nullptr, 1e300, 1e300, 1, "STEP 1 vanishes next to FROM 1e+300"},
                      BadRange{"HoleId", 1, 3, 0.5, "are one value in the data file"}));

TEST_F(SweepDialogTest, AFieldThatIsNotANumberIsNamed)
{
    dialog->setRange(0, "WindSpeed", 0, 10, 1);
    child<QLineEdit>("edtSweepTo1")->setText("ten");
    click("btnSweepRun");
    EXPECT_EQ(dialog->message(), "WindSpeed: To is not a number: \"ten\"");
    EXPECT_FALSE(dialog->isRunning());
}

// The list names each quantity once, with its unit and the data file's key
// beside; another name of a key picks its entry.
TEST_F(SweepDialogTest, ListsEachQuantityOnceByNameWithUnitAndKey)
{
    auto* list = child<QComboBox>("cmbSweepKey1");
    QStringList keys;
    for (int i = 0; i < list->count(); ++i)
        keys << list->itemData(i).toString();
    EXPECT_EQ(keys.removeDuplicates(), 0);
    for (const std::string& key : sweepKeys())
        EXPECT_TRUE(keys.contains(QString::fromLatin1(keyQuantity(key)))) << key;
    EXPECT_FALSE(keys.contains("TeeClubSpeed"));
    EXPECT_EQ(list->itemText(list->findData("TeeBackSpin")), "Back spin (rpm) \u2014 TeeBackSpin");

    dialog->setRange(0, "TeeZSpin", -1000, 1000, 500);
    EXPECT_EQ(list->currentData().toString(), "TeeSideSpin");
    EXPECT_EQ(dialog->message(), "5 shots");
}

// A grid that would take over a minute says about how long, from a few of its
// shots timed on the side; a short one says only its count.
TEST_F(SweepDialogTest, AGridOverAMinuteSaysAboutHowLong)
{
    auto* estimate = dialog->findChild<SweepEstimate*>();
    ASSERT_TRUE(estimate);
    dialog->setRange(0, "TeeLaunchAngle", 1, 80, 0.001); // 79001 angles
    dialog->setRange(1, "TeeBackSpin", 0, 6000, 100);    // 61 spins
    dialog->setSecondEnabled(true);
    EXPECT_TRUE(waitFor([this] { return dialog->message().contains("about"); }, 30000))
        << dialog->message().toStdString();
    EXPECT_TRUE(dialog->message().startsWith("4819061 shots")) << dialog->message().toStdString();
    EXPECT_GT(estimate->secondsFor(4819061), 60);

    QSignalSpy measured(estimate, &SweepEstimate::measured);
    dialog->setSecondEnabled(false);
    dialog->setRange(0, "TeeLaunchAngle", 40, 50, 1);
    ASSERT_TRUE(measured.wait(30000));
    EXPECT_EQ(dialog->message(), "11 shots");
}

TEST(SweepEstimate, SamplesTheEndsAndTheMiddleAndSaysDurationsAsPeopleDo)
{
    std::string why;
    SweepAxis angle, spin;
    ASSERT_TRUE(makeSweepAxis("TeeLaunchAngle", 10, 20, 1, angle, why));
    ASSERT_TRUE(makeSweepAxis("TeeBackSpin", 3000, 3000, 1, spin, why));
    SweepGrid grid;
    ASSERT_TRUE(grid.setAxes({angle, spin}, why));
    const SweepGrid sample = SweepEstimate::sample(grid);
    ASSERT_EQ(sample.axes().size(), 2u);
    EXPECT_EQ(sample.axes()[0].values, (std::vector<double>{10, 15, 20}));
    EXPECT_EQ(sample.axes()[1].values, (std::vector<double>{3000}));

    const std::pair<double, const char*> rows[] = {{61, "about a minute"},
                                                   {150, "about 3 minutes"},
                                                   {3599, "about 60 minutes"},
                                                   {3600, "about 1 hour"},
                                                   {3 * 3600 + 1234, "about 3 hours 20 minutes"},
                                                   {47 * 3600, "about 47 hours"},
                                                   {5 * 86400 + 3600, "about 5 days"}};
    for (const auto& [seconds, text] : rows)
        EXPECT_EQ(SweepEstimate::durationText(seconds), text) << seconds;
}

// In putt mode the putt is swept, from the putt's own controls.
TEST_F(SweepDialogTest, PuttModeSweepsThePutt)
{
    model.PuttEnabled = true;
    model.PuttTargetAngle = 2;
    dialog->present();
    EXPECT_EQ(child<QComboBox>("cmbSweepKey1")->currentData().toString(), "PuttTargetAngle");
    EXPECT_EQ(child<QLineEdit>("edtSweepFrom1")->text(), "1.5"); // 2 - 5 steps of 0.1
    dialog->setRange(0, "PuttTargetAngle", -2, 2, 2);
    click("btnSweepRun");
    ASSERT_TRUE(ended());
    ASSERT_EQ(dialog->results()->size(), 3u);
    EXPECT_EQ(dialog->results()->row(2).kind, quillmoor::ShotKind::Putt);
    EXPECT_EQ(dialog->results()->headerData(2, Qt::Horizontal).toString(), "Holed");
}

// The sweep takes its holes from the catalogue as it was when it started, copied
// on the thread that owns the catalogue: a hole redefined meanwhile is not the
// one swept, and no other thread reads it.
TEST(SweepWorkerHoles, AreTheCataloguesAtTheStart)
{
    holeCatalogue().clear();
    SwingModel model(false);
    const HoleInfo second = holeCatalogue().at(2);
    SweepAxis axis;
    std::string why;
    ASSERT_TRUE(makeSweepAxis("HoleId", 1, 2, 1, axis, why)) << why;
    SweepPlan plan;
    ASSERT_TRUE(plan.grid.setAxes({axis}, why)) << why;

    SweepWorker worker;
    QSignalSpy finished(&worker, &SweepWorker::finished);
    ASSERT_TRUE(worker.start(model, plan));
    holeCatalogue()[2].HolePos = {40, 300, 0}; // at once, while the worker starts
    ASSERT_TRUE(finished.wait(60000));
    const auto rows = worker.takeRows();
    holeCatalogue()[2] = second;
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_TRUE(rows[1].shot);
    SwingModel onSecond(false);
    onSecond.selectHole(2);
    ASSERT_TRUE(quillmoor::runShot(onSecond, ShotMode::Complex));
    // Near: the sweep runs the values as a data file carries them.
    EXPECT_NEAR(rows[1].shot->tee.distanceToHole,
                quillmoor::summarizeActiveShot(onSecond)->tee.distanceToHole, 1e-6);
}

// QMX_SWING_MODE picks the physics of a sweep as it does Swing's: Trajex
// takes the first of its words, so "keepPosition simple" runs complex.
TEST(SweepMode, FollowsTheFirstWordAsSwingDoes)
{
    const std::pair<const char*, ShotMode> rows[] = {
        {"simple", ShotMode::Simple},           {"  simple noResults", ShotMode::Simple},
        {"\"simple\"", ShotMode::Simple},       {"keepPosition simple", ShotMode::Complex},
        {"complex simple", ShotMode::Complex},  {"simplex", ShotMode::Complex},
        {"", ShotMode::Complex},                {"realistic", ShotMode::Realistic},
        {"realistic simple", ShotMode::Realistic}, {"noResults realistic", ShotMode::Complex}};
    for (const auto& [words, physics] : rows)
        EXPECT_EQ(swingmode::physics(QString::fromLatin1(words)), physics) << words;
}

class SweepWindow : public WindowTest
{
protected:
    SweepDialog* dialog() const { return window->findChild<SweepDialog*>(); }
    QTableView* sweepTable() const { return window->findChild<ShotDataPanel*>()->sweepTable(); }
    QLineEdit* field(const char* name) const { return find<QLineEdit>(dialog(), name); }
    void run() const
    {
        find<QPushButton>(dialog(), "btnSweepRun")->click();
        ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    }
    // The paths and the legend of the sweep in each view.
    std::pair<int, int> sweepItems() const
    {
        const auto* overlay = window->findChild<SweepOverlay*>();
        return {int(overlay->itemsOf(0).size()), int(overlay->itemsOf(1).size())};
    }
    int traceCount(const char* view) const
    {
        return int(static_cast<const SwingScene*>(child<QGraphicsView>(view)->scene())->traces.size());
    }
};

TEST_F(SweepWindow, DefaultsRowsLockingAndReset)
{
    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(30);
    child<QPushButton>("btnSweep")->click();
    EXPECT_EQ(find<QComboBox>(dialog(), "cmbSweepKey1")->currentData().toString(),
              "TeeLaunchAngle");
    EXPECT_EQ(field("edtSweepFrom1")->text(), "25");
    EXPECT_EQ(field("edtSweepTo1")->text(), "35");
    EXPECT_EQ(field("edtSweepStep1")->text(), "1");

    find<QPushButton>(dialog(), "btnSweepRun")->click();
    EXPECT_FALSE(child<QWidget>("grpTee")->isEnabled()); // the model's controls wait
    EXPECT_FALSE(child<QWidget>("btnResetAll")->isEnabled());
    ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    EXPECT_TRUE(child<QWidget>("grpTee")->isEnabled());
    EXPECT_EQ(sweepTable()->model()->rowCount(), 11);
    EXPECT_EQ(model().TeeLaunchAngle, 30); // the sweep worked on a copy
    EXPECT_EQ(sweepItems(), std::make_pair(12, 12)); // 11 paths and the legend in each view
    EXPECT_EQ(traceCount("sideView"), 12);

    // Another sweep replaces the paths; a compared file stays.
    SwingModel compared(false);
    compared.setPoint(0, {0.0, 0.0, 0.0});
    compared.setPoint(1, {0.0, 80.0, 0.0});
    QTemporaryDir dir;
    ASSERT_TRUE(compared.write(dir.filePath("c.out").toStdString()));
    window->openResults(dir.filePath("c.out"));
    const int withComparison = traceCount("topView");
    dialog()->setRange(0, "TeeLaunchAngle", 20, 22, 1);
    run();
    EXPECT_EQ(sweepItems(), std::make_pair(4, 4));
    EXPECT_EQ(traceCount("topView"), withComparison - 12 + 4);

    child<QAbstractButton>("btnResetAll")->click();
    EXPECT_EQ(sweepItems(), std::make_pair(0, 0));
    EXPECT_EQ(traceCount("topView") + traceCount("sideView"), 0);
    EXPECT_EQ(sweepTable()->model()->rowCount(), 0);
    EXPECT_FALSE(find<QPushButton>(dialog(), "btnSweepSave")->isEnabled());
}

// Every cell and every title of a sweep's table is whole: the values, however
// many rows come in a batch, and the titles in the bold the header uses for
// the columns of a selected row.
TEST_F(SweepWindow, TheTableShowsWholeNumbersAndTitles)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    child<QPushButton>("btnSweep")->click();
    dialog()->setRange(0, "TeeLaunchAngle", 40, 50, 1);
    dialog()->setRange(1, "TeeBackSpin", 3500, 4500, 100);
    dialog()->setSecondEnabled(true);
    // A busy window: every row is made before the event loop sees the first,
    // so they arrive in one batch.
    std::atomic<bool> all{false};
    QObject::connect(
        dialog()->findChild<SweepWorker*>(), &SweepWorker::progress, dialog(),
        [&all](qulonglong done, qulonglong total) { all = all || done == total; },
        Qt::DirectConnection);
    find<QPushButton>(dialog(), "btnSweepRun")->click();
    for (QDeadlineTimer limit(60000); !all && !limit.hasExpired();)
        QThread::msleep(2);
    ASSERT_TRUE(all);
    ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    QTableView* table = sweepTable();
    const QAbstractItemModel* rows = table->model();
    ASSERT_EQ(rows->rowCount(), 121);
    table->selectRow(3);
    QApplication::processEvents();

    const int padding =
        2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
    QFont bold = table->horizontalHeader()->font();
    bold.setBold(true);
    const int margins = 2 * table->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, table);
    for (int c = 0; c < rows->columnCount(); ++c) {
        for (const QString& line : rows->headerData(c, Qt::Horizontal).toString().split('\n'))
            EXPECT_GE(table->columnWidth(c), QFontMetrics(bold).horizontalAdvance(line) + margins)
                << line.toStdString();
        for (int r = 0; r < rows->rowCount(); ++r) {
            const QString text = rows->index(r, c).data().toString();
            ASSERT_GE(table->columnWidth(c), table->fontMetrics().horizontalAdvance(text) + padding)
                << "row " << r << ": " << text.toStdString();
        }
    }
}

// A range the user typed is there when the dialog opens again, and when its
// key is chosen again; the others follow the window's values. The progress of
// the last run does not linger. Closing the window stops a sweep.
TEST_F(SweepWindow, TypedRangesAreRememberedAndClosingStops)
{
    window->show();
    child<QPushButton>("btnSweep")->click();
    auto* from = field("edtSweepFrom1");
    auto* keys = find<QComboBox>(dialog(), "cmbSweepKey1");
    auto* progress = find<QProgressBar>(dialog(), "sweepProgress");
    from->selectAll();
    QTest::keyClicks(from, "48");
    EXPECT_EQ(dialog()->message(), "3 shots");
    run();
    EXPECT_EQ(progress->value(), progress->maximum());
    find<QPushButton>(dialog(), "btnSweepClose")->click();

    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(30);
    child<QSpinBox>("spinTeeBackSpin")->setValue(2000);
    child<QPushButton>("btnSweep")->click();
    EXPECT_EQ(from->text(), "48");
    EXPECT_EQ(field("edtSweepTo1")->text(), "50");
    EXPECT_EQ(field("edtSweepFrom2")->text(), "1500"); // 2000 - 5 x 100
    EXPECT_EQ(progress->value(), 0);

    // Another key and back, by the keyboard.
    const auto pick = [keys](const QString& key) {
        const int target = keys->findData(key);
        ASSERT_GE(target, 0) << key.toStdString();
        while (keys->currentIndex() != target)
            QTest::keyClick(keys, keys->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    };
    pick("WindSpeed");
    EXPECT_EQ(from->text(), "4"); // 4.5 mph less 5 steps of 0.1
    pick("TeeLaunchAngle");
    EXPECT_EQ(from->text(), "48");

    dialog()->setRange(0, "TeeLaunchAngle", 1, 80, 0.01);
    find<QPushButton>(dialog(), "btnSweepRun")->click();
    ASSERT_TRUE(dialog()->isRunning());
    window->close();
    EXPECT_FALSE(dialog()->isRunning());
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_TRUE(child<QWidget>("grpTee")->isEnabled());
}

} // namespace
