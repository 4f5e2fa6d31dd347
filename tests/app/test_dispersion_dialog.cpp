// "Dispersion...": the dialog on its own (the lab's numbers for the same
// draws, the fields of each mode, refused fields, stopping a run) and in the
// window (the summary in the panel, the points and ellipses over the plan
// view, what removes them, Make % after a read).

#include "DispersionDialog.h"
#include "DispersionItems.h"
#include "DispersionOverlay.h"
#include "DispersionSummary.h"
#include "ModelFile.h"
#include "PuttReading.h"
#include "SwingMode.h"
#include "TopScene.h"
#include "test_window_support.h"

#include <QGraphicsPathItem>
#include <QGraphicsView>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

namespace {

using namespace quillmoor::lab;

bool waitFor(const std::function<bool()>& pred, int ms = 120000)
{
    return QTest::qWaitFor(pred, ms);
}

// What Shotlab's engine says of the same spreads, shots and seed.
DispersionStats labStats(const SwingModel& model, const std::vector<std::string>& sds,
                         std::size_t shots, std::uint64_t seed,
                         quillmoor::ShotMode mode = quillmoor::ShotMode::Complex)
{
    std::vector<SpreadOption> options;
    std::string error;
    for (const std::string& sd : sds) {
        options.emplace_back();
        EXPECT_TRUE(parseSpreadOption(sd, options.back(), error)) << error;
    }
    std::vector<KeySpread> spreads;
    SweepPlan plan;
    EXPECT_TRUE(resolveSpreads(options, model, spreads, error)) << error;
    EXPECT_TRUE(makeDispersionPlan(spreads, shots, seed, plan, error)) << error;
    plan.mode = mode;
    DispersionStats stats(model);
    SweepHooks hooks;
    hooks.row = [&](const SweepRow& row) { stats.add(row); };
    runSweep(model, plan, hooks);
    return stats;
}

void expectSameStats(const DispersionStats& got, const DispersionStats& want)
{
    EXPECT_EQ(std::tie(got.shots, got.ran, got.onGreen, got.nearHole, got.holed),
              std::tie(want.shots, want.ran, want.onGreen, want.nearHole, want.holed));
    ASSERT_EQ(got.numbers.size(), want.numbers.size());
    for (std::size_t i = 0; i < got.numbers.size(); ++i) {
        EXPECT_EQ(got.numbers[i].moments.mean(), want.numbers[i].moments.mean()) << i;
        EXPECT_EQ(got.numbers[i].moments.sd(), want.numbers[i].moments.sd()) << i;
    }
    EXPECT_EQ(got.finish.covXY(), want.finish.covXY());
    EXPECT_EQ(got.landing.meanY(), want.landing.meanY());
}

class DispersionDialogTest : public ::testing::Test
{
protected:
    DispersionDialogTest()
    {
        dialog = std::make_unique<DispersionDialog>(model);
        for (const QString& key :
             DispersionDialog::keysFor(false) + DispersionDialog::keysFor(true))
            dialog->setSpread(key, QString());
        QObject::connect(dialog.get(), &DispersionDialog::finished,
                         [this](const std::shared_ptr<const DispersionRun>& run, bool) {
                             ended = run;
                             ++ends;
                         });
    }
    void click(const char* name) { find<QPushButton>(dialog.get(), name)->click(); }
    bool stopped()
    {
        return waitFor([this] { return !dialog->isRunning(); });
    }

    SwingModel model{false};
    std::unique_ptr<DispersionDialog> dialog;
    std::shared_ptr<const DispersionRun> ended;
    int ends = 0;
};

// The dialog's shots are the lab's: the same draws, the same numbers.
TEST_F(DispersionDialogTest, RunsTheLabsDispersionOfTheModel)
{
    dialog->setSpread("TeeBallSpeed", "3%");
    dialog->setSpread("TeeLaunchAngle", "1.5");
    dialog->setSpread("TeeTargetAngle", " 2 ");
    dialog->setShots(300);
    dialog->setSeed("7");
    QSignalSpy running(dialog.get(), &DispersionDialog::runningChanged);
    click("btnDispersionRun");
    EXPECT_FALSE(find<QPushButton>(dialog.get(), "btnDispersionRun")->isEnabled());
    EXPECT_FALSE(find<QLineEdit>(dialog.get(), "edtSdTeeBallSpeed")->isEnabled());
    ASSERT_TRUE(stopped());
    ASSERT_EQ(running.size(), 2);
    EXPECT_TRUE(running[0][0].toBool());
    EXPECT_FALSE(running[1][0].toBool());
    ASSERT_EQ(ends, 1);
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended, dialog->result());

    const DispersionStats want =
        labStats(model, {"TeeBallSpeed=3%", "TeeLaunchAngle=1.5", "TeeTargetAngle=2"}, 300, 7);
    expectSameStats(ended->stats, want);
    EXPECT_EQ(ended->finish.size(), 300u);
    EXPECT_EQ(ended->landing.size(), want.landing.count());
    EXPECT_TRUE(dialog->message().startsWith("Done: 300 shots. Finishes on the green in "))
        << dialog->message().toStdString();
    EXPECT_TRUE(dialog->message().endsWith(
        "of tee shots with 3 % ball speed, 1.5\u00b0 launch angle and 2\u00b0 aim spread."))
        << dialog->message().toStdString();

    // Forgetting the run says so once.
    QSignalSpy cleared(dialog.get(), &DispersionDialog::resultsCleared);
    dialog->clearResults();
    dialog->clearResults();
    EXPECT_EQ(cleared.size(), 1);
    EXPECT_EQ(dialog->result(), nullptr);
}

// Each mode lists the quantities that play a part in its shot, each once,
// named as Sweep... names them; the spreads typed stay for the next time.
TEST_F(DispersionDialogTest, EachModeListsItsQuantitiesAndKeepsWhatWasTyped)
{
    const QStringList tee = DispersionDialog::keysFor(false);
    const QStringList putt = DispersionDialog::keysFor(true);
    for (const char* key : {"TeeSideSpin", "WindDir", "Humidity", "GreenRho"})
        EXPECT_TRUE(tee.contains(key)) << key;
    EXPECT_EQ(putt, QStringList({"PuttBallSpeed", "PuttTargetAngle", "GreenXRot", "GreenYRot",
                                 "GreenRho"}));
    for (const QString& key : tee + putt) {
        EXPECT_TRUE(isDispersionKey(key.toStdString())) << key.toStdString();
        EXPECT_EQ(key.toStdString(), keyQuantity(key.toStdString())) << key.toStdString();
    }
    for (const char* fixed : {"PuttBallSpeed", "HoleId"})
        EXPECT_FALSE(tee.contains(fixed)) << fixed;

    dialog->present();
    auto* speed = find<QLineEdit>(dialog.get(), "edtSdTeeBallSpeed");
    EXPECT_TRUE(speed->isVisible());
    EXPECT_FALSE(find<QLineEdit>(dialog.get(), "edtSdPuttBallSpeed")->isVisible());
    speed->setText("4");
    dialog->hide();
    model.PuttEnabled = true;
    dialog->present();
    EXPECT_TRUE(find<QLineEdit>(dialog.get(), "edtSdPuttBallSpeed")->isVisible());
    model.PuttEnabled = false;
    dialog->present();
    EXPECT_EQ(speed->text(), "4");
    EXPECT_EQ(dialog->spread("TeeClubSpeed"), "4"); // another name of the quantity
}

struct BadField
{
    const char* key;
    const char* text; // nullptr: every field empty
    const char* message;
};

void PrintTo(const BadField& p, std::ostream* os)
{
    *os << p.key << "='" << (p.text ? p.text : "") << "'";
}

class DispersionBadField : public DispersionDialogTest,
                           public ::testing::WithParamInterface<BadField>
{
};

TEST_P(DispersionBadField, IsRefusedWithTheReasonAndNothingRuns)
{
    const BadField& p = GetParam();
    dialog->setSpread("TeeLaunchAngle", "1");
    if (!p.text)
        dialog->setSpread("TeeLaunchAngle", "0");
    else if (std::string(p.key) == "seed")
        dialog->setSeed(p.text);
    else
        dialog->setSpread(p.key, p.text);
    QSignalSpy running(dialog.get(), &DispersionDialog::runningChanged);
    click("btnDispersionRun");
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_EQ(running.size(), 0);
    EXPECT_TRUE(dialog->message().contains(p.message)) << dialog->message().toStdString();
    EXPECT_EQ(dialog->result(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DispersionBadField,
    ::testing::Values(BadField{"TeeBallSpeed", "fast", "is not KEY=SD"},
                      BadField{"TeeBallSpeed", "-2", "TeeBallSpeed: the SD must be 0 or more"},
                      BadField{"TeeBallSpeed", "nan", "must be a finite number"},
                      BadField{"TeeBackSpin", "inf", "must be a finite number"},
                      BadField{"TeeSideSpin", "10%", "the model's value is 0"},
                      BadField{"TeeLaunchAngle", nullptr, "at least one quantity"},
                      BadField{"seed", "-1", "The seed is a whole number"},
                      BadField{"seed", "1.5", "The seed is a whole number"}));

// Cancel, closing the dialog and destroying it stop a long run early; what
// was done is handed over, the first shots in order.
class DispersionStop : public DispersionDialogTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(DispersionStop, StopsAtOnceAndHandsOverWhatWasDone)
{
    dialog->setSpread("TeeBallSpeed", "2");
    dialog->setShots(1000000);
    click("btnDispersionRun");
    ASSERT_TRUE(dialog->isRunning());
    auto* progress = find<QProgressBar>(dialog.get(), "dispersionProgress");
    ASSERT_TRUE(waitFor([this] { return dialog->message().contains(" of 1000000 shots"); }));
    switch (GetParam()) {
    case 0:
        click("btnDispersionCancel");
        ASSERT_TRUE(waitFor([this] { return !dialog->isRunning(); }, 10000));
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
    ASSERT_EQ(ends, 1);
    const SweepOutcome& outcome = ended->outcome;
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_LT(outcome.done, 1000000u);
    EXPECT_EQ(ended->stats.shots, outcome.done);
    EXPECT_EQ(ended->finish.size(), std::min<std::size_t>(outcome.done, kMaxDispersionPlotShots));
    EXPECT_TRUE(dialog->message().startsWith(
        QString("Stopped after %1 of 1000000 shots.").arg(outcome.done)))
        << dialog->message().toStdString();
    EXPECT_LT(progress->value(), progress->maximum());
    EXPECT_TRUE(find<QPushButton>(dialog.get(), "btnDispersionRun")->isEnabled());
    EXPECT_FALSE(find<QPushButton>(dialog.get(), "btnDispersionCancel")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(CancelCloseDestroy, DispersionStop, ::testing::Values(0, 1, 2));

// A run without a shot run says why: stopped before the first, or refused.
TEST(DispersionSummaryText, SaysWhyNoShotRan)
{
    SwingModel model(false);
    DispersionSetup setup;
    setup.shots = 10;
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused);
        DispersionRun run(model, setup);
        if (refused) {
            SweepRow row;
            row.status = "TimeStepSize must be a finite number above 0 for the complex swing";
            run.add(row);
        }
        DispersionSummary summary;
        summary.setRun(run);
        const QString text = summary.plainText();
        EXPECT_TRUE(text.contains(refused ? "No shot could be run: TimeStepSize must be"
                                          : "Stopped before the first shot."))
            << text.toStdString();
        EXPECT_FALSE(text.contains("Carry")) << text.toStdString();
        EXPECT_FALSE(summary.isHidden());
        summary.clear();
        EXPECT_TRUE(summary.isHidden());
    }
}

// ---- in the window

class DispersionWindow : public WindowTest
{
protected:
    DispersionDialog* dialog() const { return window->findChild<DispersionDialog*>(); }
    DispersionOverlay* overlay() const { return window->findChild<DispersionOverlay*>(); }
    DispersionSummary* summary() const { return window->findChild<DispersionSummary*>(); }
    SwingScene* plan() const
    {
        return static_cast<SwingScene*>(child<QGraphicsView>("topView")->scene());
    }
    // Runs the dialog's dispersion to its end.
    void runDispersion(int shots)
    {
        child<QPushButton>("btnDispersion")->click();
        ASSERT_TRUE(dialog()->isVisible() || !window->isVisible());
        dialog()->setShots(shots);
        find<QPushButton>(dialog(), "btnDispersionRun")->click();
        ASSERT_TRUE(dialog()->isRunning()) << dialog()->message().toStdString();
        EXPECT_FALSE(child<QWidget>("grpTee")->isEnabled()); // the model's controls wait
        ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
        EXPECT_TRUE(child<QWidget>("grpTee")->isEnabled());
    }
    // The dispersion's items among the plan view's traces.
    int shownItems() const
    {
        int n = 0;
        for (QGraphicsItem* item : overlay()->items())
            n += plan()->traces.contains(item) && item->scene() == plan();
        return n;
    }
};

// The window's tee shot, 400 times: the summary fills the panel, the points,
// ellipses and legend lie over the plan view; the next run replaces them,
// and a new swing, another hole, Open and Reset each take them away.
TEST_F(DispersionWindow, ShowsTheRunUntilSomethingNewComes)
{
    runDispersion(400);
    const auto run = dialog()->result();
    ASSERT_TRUE(run);
    EXPECT_EQ(run->stats.shots, 400u);
    EXPECT_EQ(model().TeeBallSpeed, run->setup.spreads[0].centre); // a copy was played

    ASSERT_TRUE(summary()->isVisibleTo(window.get()));
    const QString text = summary()->plainText();
    EXPECT_TRUE(text.startsWith("Dispersion: 400 tee shots")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(run->verdict()))) << text.toStdString();
    const double carrySd = run->stats.numbers[0].moments.sd();
    EXPECT_TRUE(text.contains(QString::fromStdString(quillmoor::fixedText(carrySd, 2))))
        << text.toStdString();
    const Share green = wilsonShare(run->stats.onGreen, run->stats.ran);
    EXPECT_TRUE(text.contains(QString::fromStdString(percentText(green.low, 1) + "\u2013" +
                                                     percentText(green.high, 1) + " %")))
        << text.toStdString();

    // Two kinds of dots, two ellipses of each kind (halo and line), a legend.
    const int items = 2 + 2 * 4 + 1;
    EXPECT_EQ(overlay()->items().size(), items);
    EXPECT_EQ(shownItems(), items);
    auto* dots = dynamic_cast<DispersionDotsItem*>(overlay()->items()[1]);
    ASSERT_NE(dots, nullptr);
    EXPECT_EQ(dots->points().size(), 400);

    // The next run replaces them.
    const int before = int(plan()->traces.size());
    runDispersion(100);
    EXPECT_EQ(int(plan()->traces.size()), before);
    EXPECT_TRUE(summary()->plainText().startsWith("Dispersion: 100 tee shots"));

    // What takes them away.
    const std::function<void()> removers[] = {
        [this] { child<QPushButton>("btnSwing")->click(); },
        [this] { child<QComboBox>("cmbHoleId")->setCurrentIndex(1); },
        [this] { window->loadModel(QUILLMOOR_EXAMPLES "/hole2-teeshot.txt"); },
        [this] { child<QAbstractButton>("btnResetAll")->click(); },
    };
    for (std::size_t i = 0; i < std::size(removers); ++i) {
        SCOPED_TRACE(i);
        runDispersion(50);
        ASSERT_GT(overlay()->items().size(), 0);
        removers[i]();
        ASSERT_EQ(window->messages(), QStringList());
        EXPECT_TRUE(overlay()->items().isEmpty());
        EXPECT_FALSE(summary()->isVisibleTo(window.get()));
        EXPECT_EQ(dialog()->result(), nullptr);
        EXPECT_EQ(shownItems(), 0);
    }
}

// The ellipses drawn are those of the summary: centre, semi-axes and the
// long axis's direction, mapped into the plan view's coordinates (x down the
// hole, y across it).
TEST_F(DispersionWindow, EllipsesInTheSceneAreTheSummarys)
{
    dialog()->setSpread("TeeTargetAngle", "4");
    dialog()->setSpread("WindDir", "30");
    child<QComboBox>("cmbHoleId")->setCurrentIndex(1);
    runDispersion(300);
    const auto run = dialog()->result();
    ASSERT_TRUE(run);
    std::vector<Ellipse> want = run->landingEllipses();
    for (const Ellipse& e : run->finishEllipses())
        want.push_back(e);
    const QList<QGraphicsItem*>& lines = overlay()->ellipseLines();
    ASSERT_EQ(lines.size(), qsizetype(want.size()));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        const Ellipse& e = want[std::size_t(i)];
        const QPainterPath path =
            lines[i]->sceneTransform().map(static_cast<QGraphicsPathItem*>(lines[i])->path());
        const QPointF centre(e.y, e.x); // world (x, y) is scene (y, x)
        double far = 0, near = HUGE_VAL;
        QPointF farthest;
        for (int k = 0; k < path.elementCount(); ++k) {
            const QPointF p = path.elementAt(k);
            const double d = QLineF(centre, p).length();
            if (d > far) {
                far = d;
                farthest = p - centre;
            }
            near = std::min(near, d);
        }
        EXPECT_NEAR(far, e.semiMajor, 1e-6 * e.semiMajor);
        EXPECT_NEAR(near, e.semiMinor, 1e-3 * e.semiMajor);
        // The orientation a points along (-sin a, cos a) in the world: in the
        // scene, along (cos a, -sin a), either way.
        const double a = e.orientation * M_PI / 180;
        const double along = (farthest.x() * std::cos(a) - farthest.y() * std::sin(a)) / far;
        EXPECT_NEAR(std::abs(along), 1.0, 1e-9);
        const QPen pen = static_cast<QGraphicsPathItem*>(lines[i])->pen();
        EXPECT_EQ(pen.style(), e.probability < 0.9 ? Qt::SolidLine : Qt::DashLine);
        EXPECT_EQ(pen.color(), i < 2 ? dispersionlook::LandingEllipse : dispersionlook::Final);
    }
}

// After Read, Make % plays the read putt with the putt spreads and says how
// often it drops, with the read; the button waits for a read that holes.
TEST_F(DispersionWindow, MakePercentAfterRead)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("putt.txt");
    ASSERT_TRUE(QFile::copy(QUILLMOOR_EXAMPLES "/hole1-putt.txt", copy));
    window->loadModel(copy);
    auto* make = child<QPushButton>("btnMakePercent");
    EXPECT_FALSE(make->isEnabled());
    auto* reading = window->findChild<PuttReading*>("puttReading");
    child<QPushButton>("btnRead")->click();
    ASSERT_TRUE(waitFor([reading] { return !reading->isReading(); }));
    ASSERT_NE(reading->band(), nullptr);
    EXPECT_TRUE(make->isEnabled());

    make->click();
    EXPECT_FALSE(dialog()->isVisible()); // one click: nothing to fill in
    ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    const auto run = dialog()->result();
    ASSERT_TRUE(run);
    EXPECT_EQ(run->stats.kind, quillmoor::ShotKind::Putt);
    expectSameStats(run->stats,
                    labStats(model(), {"PuttBallSpeed=3%", "PuttTargetAngle=1"}, 1000, 1));
    const QString info = child<QLabel>("info")->text();
    const QString sentence = QString::fromStdString(run->verdict());
    EXPECT_TRUE(sentence.startsWith("Holes ")) << sentence.toStdString();
    EXPECT_TRUE(sentence.endsWith(" of putts with 3 % speed and 1\u00b0 aim spread"))
        << sentence.toStdString();
    // On two lines, as the read's own words.
    EXPECT_EQ(QString(info).replace('\n', ' '), sentence);
    EXPECT_EQ(info.count('\n'), 1) << info.toStdString();
    EXPECT_GT(run->stats.holed, 0u);
    EXPECT_TRUE(summary()->isVisibleTo(window.get()));
    EXPECT_GT(overlay()->items().size(), 0);
    EXPECT_NE(reading->band(), nullptr); // the read stands

    // The answer goes with the read: a moved ball takes both, and Make %
    // waits for the next read.
    child<QLineEdit>("edtBallPosX")->setText("-14");
    EXPECT_EQ(child<QLabel>("info")->text(), "");
    EXPECT_FALSE(make->isEnabled());
}

// The mouse wheel over an unfocused field changes nothing, as in the window.
TEST(DispersionDialogWheel, NeedsFocus)
{
    SwingModel model(false);
    DispersionDialog dialog(model);
    dialog.present();
    auto* shots = find<QSpinBox>(&dialog, "spinDispersionShots");
    const QPoint at = shots->rect().center();
    QWheelEvent wheel(at, shots->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(shots, &wheel);
    EXPECT_EQ(shots->value(), 1000);
}

} // namespace
