// The hole definition dialog, driven the way a user reaches it: through the
// last entry of the main window's hole list. The dialog is modal, so each case
// hands its part of the conversation to a timer that runs inside exec().

#include "HoleDlg.h"
#include "Parview.h"
#include "SwingModel.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr double feetToYards = 0.3333333333;

// The controls that only make sense when the hole has a tree.
const char* const treeControls[] = {
    "lblTreePos",      "lblTreePosX",   "sliderTreePosX",  "spinTreePosX",    "lblTreePosY",
    "sliderTreePosY",  "spinTreePosY",  "lblTreePosZ",     "sliderTreePosZ",  "spinTreePosZ",
    "lblTreeSize",     "lblTreeSizeX",  "sliderTreeSizeX", "spinTreeSizeX",   "lblTreeSizeY",
    "sliderTreeSizeY", "spinTreeSizeY", "lblTreeSizeZ",    "sliderTreeSizeZ", "spinTreeSizeZ",
};

template <class T> T* child(const QObject* parent, const char* name)
{
    T* w = parent->findChild<T*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

bool treeControlsEnabled(const HoleDlg& dlg, bool enabled)
{
    bool all = true;
    for (const char* name : treeControls) {
        const QWidget* w = child<QWidget>(&dlg, name);
        if (!w || w->isEnabled() != enabled) {
            ADD_FAILURE() << name << " enabled: " << (w && w->isEnabled());
            all = false;
        }
    }
    return all;
}

// A choice in the tree list as the user makes it (the keyboard emits
// activated(), a programmatic setCurrentIndex() does not).
void chooseTree(HoleDlg& dlg, const QString& name)
{
    auto* list = child<QComboBox>(&dlg, "cmbTreeType");
    const int target = list->findText(name);
    ASSERT_GE(target, 0) << name.toStdString();
    if (list->currentIndex() < 0)
        list->setCurrentIndex(0);
    const Qt::Key key = target > list->currentIndex() ? Qt::Key_Down : Qt::Key_Up;
    while (list->currentIndex() != target)
        QTest::keyClick(list, key);
}

void click(const HoleDlg& dlg, const char* button)
{
    auto* btn = child<QPushButton>(&dlg, button);
    ASSERT_TRUE(btn->isEnabled()) << button;
    btn->click();
}

class HoleDialogFlow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Every case starts from the built-in course; the catalogue outlives windows.
        holeCatalogue().clear();
        window = std::make_unique<Parview>(QStringList());
        holeList = child<QComboBox>(window.get(), "cmbHoleId");
        ASSERT_NE(holeList, nullptr);
    }

    void selectHole(int id) { holeList->setCurrentIndex(id - 1); }
    int currentHole() const { return holeList->currentIndex() + 1; }
    QString shotCountText() const { return child<QLabel>(window.get(), "infoShot")->text(); }

    // Opens the dialog from the hole list and lets `interact` answer it. A
    // dialog that `interact` leaves open is cancelled so a failure cannot hang.
    void customize(const std::function<void(HoleDlg&)>& interact)
    {
        bool seen = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* dlg = qobject_cast<HoleDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            seen = true;
            interact(*dlg);
            if (dlg->isVisible())
                dlg->reject();
        });
        holeList->setCurrentIndex(holeList->count() - 1);
        ASSERT_TRUE(seen) << "no hole dialog opened";
    }

    // "Save Copy" of hole 2 unchanged: the usual way to get a hole that may be saved.
    void copyHoleTwo()
    {
        selectHole(2);
        customize([](HoleDlg& dlg) { click(dlg, "btnSaveCopy"); });
        ASSERT_EQ(currentHole(), 5);
    }

    std::unique_ptr<Parview> window;
    QComboBox* holeList = nullptr;
};

TEST_F(HoleDialogFlow, SaveCopyOfBuiltInHoleAddsSelectsAndUnlocksIt)
{
    selectHole(2);
    ASSERT_FALSE(child<QWidget>(window.get(), "spinWindSpeed")->isEnabled());
    const HoleInfo holeTwo = holeCatalogue().at(2);

    customize([](HoleDlg& dlg) {
        EXPECT_FALSE(child<QPushButton>(&dlg, "btnSave")->isEnabled());
        EXPECT_EQ(child<QComboBox>(&dlg, "cmbTreeType")->currentText(), "Oak");
        treeControlsEnabled(dlg, true);
        // 16.6667 yd is just over 50 ft: shown clamped to the limit.
        EXPECT_EQ(child<QDoubleSpinBox>(&dlg, "spinGreenSize")->text(), "50.00 ft");
        EXPECT_EQ(child<QSlider>(&dlg, "sliderGreenSize")->value(), 50);
        click(dlg, "btnSaveCopy");
    });

    ASSERT_EQ(SwingModel::holeCount(), 5);
    EXPECT_EQ(holeCatalogue().at(2), holeTwo) << "the original must stay untouched";
    const HoleInfo& copy = holeCatalogue().at(5);
    EXPECT_EQ(copy.HoleId, 5);
    EXPECT_EQ(copy.HolePos, holeTwo.HolePos);
    EXPECT_EQ(copy.GreenPos, holeTwo.HolePos);
    EXPECT_DOUBLE_EQ(copy.GreenSize, 50 * feetToYards);
    EXPECT_EQ(copy.TreePos, holeTwo.TreePos);
    EXPECT_DOUBLE_EQ(copy.TreeSize.x, 30 * feetToYards);
    EXPECT_DOUBLE_EQ(copy.TreeSize.z, 75 * feetToYards);
    EXPECT_EQ(copy.TreeType, "Oak");
    EXPECT_EQ(copy.WindDir, holeTwo.WindDir);
    EXPECT_EQ(copy.GreenXRot, holeTwo.GreenXRot);

    EXPECT_EQ(holeList->count(), 6);
    EXPECT_EQ(holeList->itemText(4), "Hole #5");
    EXPECT_EQ(holeList->itemText(5), "[ Customize... ]");
    EXPECT_EQ(currentHole(), 5);
    for (const char* name : {"dialWindDir", "spinWindSpeed", "sliderGreenXRot", "spinGreenRho"})
        EXPECT_TRUE(child<QWidget>(window.get(), name)->isEnabled()) << name;
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(window.get(), "spinWindSpeed")->value(),
                     holeTwo.WindSpeed);
}

TEST_F(HoleDialogFlow, SaveReplacesTheDefinedHole)
{
    copyHoleTwo();

    customize([](HoleDlg& dlg) {
        EXPECT_TRUE(child<QPushButton>(&dlg, "btnSave")->isEnabled());
        child<QDoubleSpinBox>(&dlg, "spinHolePosX")->setValue(-20);
        child<QSlider>(&dlg, "sliderTreeSizeX")->setValue(59);
        EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>(&dlg, "spinTreeSizeX")->value(), 30.5);
        chooseTree(dlg, "Elm");
        click(dlg, "btnSave");
    });

    EXPECT_EQ(SwingModel::holeCount(), 5);
    EXPECT_EQ(holeList->count(), 6);
    EXPECT_EQ(currentHole(), 5);
    const HoleInfo& hole = holeCatalogue().at(5);
    EXPECT_EQ(hole.HolePos.x, -20);
    EXPECT_EQ(hole.GreenPos.x, -20);
    EXPECT_DOUBLE_EQ(hole.TreeSize.x, 10.16666666565);
    EXPECT_EQ(hole.TreeType, "Elm");
}

TEST_F(HoleDialogFlow, CancelChangesNothingButResetsTheShotCount)
{
    selectHole(2);
    child<QPushButton>(window.get(), "btnSwing")->click();
    ASSERT_EQ(shotCountText(), "Shot count: 1") << "a real swing needs Trajex beside the tests";
    const auto before = holeCatalogue();

    customize([](HoleDlg& dlg) {
        child<QDoubleSpinBox>(&dlg, "spinHolePosX")->setValue(-30);
        chooseTree(dlg, "[ no tree ]");
        click(dlg, "btnCancel");
    });

    EXPECT_EQ(holeCatalogue(), before);
    EXPECT_EQ(currentHole(), 2);
    EXPECT_EQ(holeList->count(), 5);
    EXPECT_EQ(shotCountText(), "Shot count: 0");
    EXPECT_TRUE(child<QWidget>(window.get(), "time")->isEnabled()) << "the shot is kept";
}

TEST_F(HoleDialogFlow, TreeTypeRoundTrip)
{
    copyHoleTwo();

    customize([](HoleDlg& dlg) {
        chooseTree(dlg, "[ no tree ]");
        treeControlsEnabled(dlg, false);
        click(dlg, "btnSave");
    });
    EXPECT_EQ(holeCatalogue().at(5).TreeType, "");

    customize([](HoleDlg& dlg) {
        EXPECT_EQ(child<QComboBox>(&dlg, "cmbTreeType")->currentIndex(), 0);
        treeControlsEnabled(dlg, false);
        chooseTree(dlg, "Chestnut");
        treeControlsEnabled(dlg, true);
        click(dlg, "btnSave");
    });
    EXPECT_EQ(holeCatalogue().at(5).TreeType, "Chestnut");

    customize([](HoleDlg& dlg) {
        EXPECT_EQ(child<QComboBox>(&dlg, "cmbTreeType")->currentText(), "Chestnut");
        treeControlsEnabled(dlg, true);
    });
}

// A tree name from a data file that the list does not offer (names match
// exactly, case included).
class UnknownTreeName : public HoleDialogFlow, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(UnknownTreeName, SelectsNothingAndSavesNoTree)
{
    holeCatalogue().at(4).TreeType = GetParam();
    selectHole(4);

    customize([](HoleDlg& dlg) {
        EXPECT_EQ(child<QComboBox>(&dlg, "cmbTreeType")->currentIndex(), -1);
        treeControlsEnabled(dlg, true);
        click(dlg, "btnSave");
    });
    EXPECT_EQ(holeCatalogue().at(4).TreeType, "");
}

INSTANTIATE_TEST_SUITE_P(HoleDialogFlow, UnknownTreeName, ::testing::Values("Palm", "oak", " Oak"));

class SaveButton : public HoleDialogFlow, public ::testing::WithParamInterface<int>
{
};

TEST_P(SaveButton, OnlyHolesAboveTheBuiltInThreeCanBeOverwritten)
{
    const int id = GetParam();
    selectHole(id);
    customize([id](HoleDlg& dlg) {
        EXPECT_EQ(child<QPushButton>(&dlg, "btnSave")->isEnabled(), id > 3);
        EXPECT_TRUE(child<QPushButton>(&dlg, "btnSaveCopy")->isEnabled());
    });
    EXPECT_EQ(currentHole(), id);
}

INSTANTIATE_TEST_SUITE_P(HoleDialogFlow, SaveButton, ::testing::Values(1, 2, 3, 4));

// Hole 3 in the dialog: positions in yards, sizes in feet, each slider
// following its spin box.
TEST_F(HoleDialogFlow, ShowsTheHoleInYardsAndFeet)
{
    selectHole(3);
    customize([](HoleDlg& dlg) {
        const struct
        {
            const char* key;
            double shown;
            int slider;
        } rows[] = {
            {"GreenSize", 24, 24}, {"HolePosX", 10, 10},  {"HolePosY", 150, 150},
            {"HolePosZ", -3, -3},  {"TreePosX", 5, 5},    {"TreePosY", 60, 60},
            {"TreePosZ", 4, 4},    {"TreeSizeX", 39, 76}, {"TreeSizeY", 39, 76},
            {"TreeSizeZ", 75, 75},
        };
        for (const auto& row : rows) {
            SCOPED_TRACE(row.key);
            const QString key = QLatin1String(row.key);
            auto* spin = dlg.findChild<QDoubleSpinBox*>(QStringLiteral("spin") + key);
            auto* slider = dlg.findChild<QSlider*>(QStringLiteral("slider") + key);
            ASSERT_TRUE(spin && slider);
            EXPECT_DOUBLE_EQ(spin->value(), row.shown);
            EXPECT_EQ(slider->value(), row.slider);
            // The unit shown is the unit named: no "Meters" on yard or foot boxes.
            EXPECT_EQ(spin->toolTip(), spin->suffix() == " ft" ? "Feet" : "Yards");
        }
        click(dlg, "btnCancel");
    });
}

} // namespace
