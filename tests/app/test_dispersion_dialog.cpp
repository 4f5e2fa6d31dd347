// "Dispersion...": the dialog on its own (the lab's numbers for the same
// draws, the fields of each mode, refused fields, stopping a run) and in the
// window (the summary in the panel, the points and ellipses over the plan
// view, what removes them, Make % after a read).

#include "DispersionDialog.h"
#include "DispersionOverlay.h"
#include "DispersionSummary.h"
#include "PuttReading.h"
#include "SwingScene.h"
#include "test_window_support.h"

#include <QGraphicsPathItem>
#include <QGraphicsView>
#include <QLineEdit>
#include <QTest>
#include <cmath>

namespace {

using namespace quillmoor::lab;

bool waitFor(const std::function<bool()>& pred, int ms = 120000)
{
    return QTest::qWaitFor(pred, ms);
}

// Shotlab's engine gives the same numbers for the same spreads, shots and seed.
void expectLabStats(const DispersionStats& got, const SwingModel& model,
                    const std::vector<std::string>& sds, std::size_t shots, std::uint64_t seed)
{
    std::vector<SpreadOption> options(sds.size());
    std::string error;
    for (std::size_t i = 0; i < sds.size(); ++i)
        EXPECT_TRUE(parseSpreadOption(sds[i], options[i], error)) << error;
    std::vector<KeySpread> spreads;
    SweepPlan plan;
    EXPECT_TRUE(resolveSpreads(options, model, spreads, error)) << error;
    EXPECT_TRUE(makeDispersionPlan(spreads, shots, seed, plan, error)) << error;
    DispersionStats want(model);
    SweepHooks hooks;
    hooks.row = [&](const SweepRow& row) { want.add(row); };
    runSweep(model, plan, hooks);

    EXPECT_EQ(std::tie(got.shots, got.ran, got.onGreen, got.nearHole, got.holed),
              std::tie(want.shots, want.ran, want.onGreen, want.nearHole, want.holed));
    EXPECT_EQ(got.finish.covXY(), want.finish.covXY());
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
    click("btnDispersionRun");
    ASSERT_TRUE(waitFor([this] { return !dialog->isRunning(); }));
    ASSERT_EQ(ends, 1);
    ASSERT_TRUE(ended && ended == dialog->result());
    expectLabStats(ended->stats, model,
                   {"TeeBallSpeed=3%", "TeeLaunchAngle=1.5", "TeeTargetAngle=2"}, 300, 7);
    EXPECT_EQ(ended->finish.size(), 300u);
}

// A putt lists the quantities that play a part in it, the green's among them;
// the spreads typed stay for the next time.
TEST_F(DispersionDialogTest, EachModeListsItsQuantitiesAndKeepsWhatWasTyped)
{
    EXPECT_EQ(DispersionDialog::keysFor(true), QStringList({"PuttBallSpeed", "PuttTargetAngle",
                                                            "GreenXRot", "GreenYRot", "GreenRho"}));

    dialog->present();
    auto* speed = find<QLineEdit>(dialog.get(), "edtSdTeeBallSpeed");
    speed->setText("4");
    dialog->hide();
    model.PuttEnabled = true;
    dialog->present();
    EXPECT_TRUE(find<QLineEdit>(dialog.get(), "edtSdPuttBallSpeed")->isVisible());
    model.PuttEnabled = false;
    dialog->present();
    EXPECT_EQ(dialog->spread("TeeClubSpeed"), "4"); // another name of the quantity
}

// KEY, what is typed for it, a part of what the dialog says.
using BadField = std::array<const char*, 3>;

class DispersionBadField : public DispersionDialogTest,
                           public ::testing::WithParamInterface<BadField>
{
};

TEST_P(DispersionBadField, IsRefusedWithTheReasonAndNothingRuns)
{
    const auto [key, text, message] = GetParam();
    dialog->setSpread("TeeLaunchAngle", "1");
    std::string(key) == "seed" ? dialog->setSeed(text) : dialog->setSpread(key, text);
    click("btnDispersionRun");
    EXPECT_FALSE(dialog->isRunning());
    EXPECT_TRUE(dialog->message().contains(message)) << dialog->message().toStdString();
    EXPECT_EQ(dialog->result(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DispersionBadField,
    ::testing::Values(BadField{"TeeBallSpeed", "fast", "is not KEY=SD"},
                      BadField{"TeeBallSpeed", "-2", "TeeBallSpeed: the SD must be 0 or more"},
                      BadField{"TeeBackSpin", "inf", "must be a finite number"},
                      BadField{"TeeSideSpin", "10%", "the model's value is 0"},
                      BadField{"TeeLaunchAngle", "0", "at least one quantity"},
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
    EXPECT_TRUE(ended->outcome.cancelled);
    EXPECT_LT(ended->outcome.done, 1000000u);
    EXPECT_EQ(ended->stats.shots, ended->outcome.done);
}

INSTANTIATE_TEST_SUITE_P(CancelCloseDestroy, DispersionStop, ::testing::Values(0, 1, 2));

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
        dialog()->setShots(shots);
        find<QPushButton>(dialog(), "btnDispersionRun")->click();
        EXPECT_FALSE(child<QWidget>("grpTee")->isEnabled()) << dialog()->message().toStdString();
        ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    }
    // The dispersion's items among the plan view's traces.
    int shownItems() const
    {
        const auto& items = overlay()->items();
        return int(std::count_if(items.begin(), items.end(), [this](QGraphicsItem* item) {
            return plan()->traces.contains(item) && item->scene() == plan();
        }));
    }
};

// The window's tee shot, 300 times: the summary fills the panel, the points,
// ellipses and legend lie over the plan view; the next run replaces them,
// and a new swing, another hole, Open and Reset each take them away.
TEST_F(DispersionWindow, ShowsTheRunUntilSomethingNewComes)
{
    dialog()->setSpread("TeeTargetAngle", "4");
    dialog()->setSpread("WindDir", "30");
    child<QComboBox>("cmbHoleId")->setCurrentIndex(1);
    runDispersion(300);
    const auto run = dialog()->result();
    ASSERT_TRUE(run);
    EXPECT_TRUE(summary()->plainText().contains(QString::fromStdString(run->verdict())));
    // Two kinds of dots, two ellipses of each kind (halo and line), a legend.
    EXPECT_EQ(shownItems(), 2 + 2 * 4 + 1);

    // The ellipses drawn are the summary's: centre, long semi-axis and its
    // direction, mapped into the plan view (x down the hole, y across it).
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
        QPointF farthest;
        for (int k = 0; k < path.elementCount(); ++k) {
            const QPointF p = QPointF(path.elementAt(k)) - centre;
            if (std::hypot(p.x(), p.y()) > std::hypot(farthest.x(), farthest.y()))
                farthest = p;
        }
        const double far = std::hypot(farthest.x(), farthest.y());
        EXPECT_NEAR(far, e.semiMajor, 1e-6 * e.semiMajor);
        // The orientation a points along (-sin a, cos a) in the world: in the
        // scene, along (cos a, -sin a), either way.
        const double a = e.orientation * M_PI / 180;
        const double along = (farthest.x() * std::cos(a) - farthest.y() * std::sin(a)) / far;
        EXPECT_NEAR(std::abs(along), 1.0, 1e-9);
    }

    const int before = int(plan()->traces.size());
    runDispersion(100);
    EXPECT_EQ(int(plan()->traces.size()), before);

    const std::function<void()> removers[] = {
        [this] { child<QPushButton>("btnSwing")->click(); },
        [this] { child<QComboBox>("cmbHoleId")->setCurrentIndex(0); },
        [this] { window->loadModel(QUILLMOOR_EXAMPLES "/hole2-teeshot.txt"); },
        [this] { child<QAbstractButton>("btnResetAll")->click(); },
    };
    for (std::size_t i = 0; i < std::size(removers); ++i) {
        SCOPED_TRACE(i);
        runDispersion(50);
        removers[i]();
        ASSERT_EQ(window->messages(), QStringList());
        EXPECT_TRUE(overlay()->items().isEmpty());
        EXPECT_FALSE(summary()->isVisibleTo(window.get()));
        EXPECT_EQ(dialog()->result(), nullptr);
    }
}

// After Read, Make % plays the read putt with the putt spreads and says how
// often it drops, with the read; the button waits for a read that holes.
TEST_F(DispersionWindow, MakePercentAfterRead)
{
    window->loadModel(QUILLMOOR_EXAMPLES "/hole1-putt.txt");
    auto* make = child<QPushButton>("btnMakePercent");
    EXPECT_FALSE(make->isEnabled());
    auto* reading = window->findChild<PuttReading*>("puttReading");
    child<QPushButton>("btnRead")->click();
    ASSERT_TRUE(waitFor([reading] { return !reading->isReading(); }));

    make->click();
    EXPECT_FALSE(dialog()->isVisible()); // one click: nothing to fill in
    ASSERT_TRUE(waitFor([this] { return !dialog()->isRunning(); }));
    const auto run = dialog()->result();
    ASSERT_TRUE(run);
    expectLabStats(run->stats, model(), {"PuttBallSpeed=3%", "PuttTargetAngle=1"}, 1000, 1);
    EXPECT_EQ(child<QLabel>("info")->text().replace('\n', ' '), run->verdict().c_str());

    // The answer goes with the read: a moved ball takes both, its putts
    // drawn round the old spot too, and Make % waits for the next read.
    child<QLineEdit>("edtBallPosX")->setText("-14");
    EXPECT_EQ(child<QLabel>("info")->text(), "");
    EXPECT_TRUE(overlay()->items().isEmpty());
    EXPECT_FALSE(make->isEnabled());
}

} // namespace
