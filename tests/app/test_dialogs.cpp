// The modal parts of the main window: the hole definition dialog, reached
// through the last entry of the hole list, and the file commands.

#include "test_window_support.h"

#include <QFileDialog>
#include <QGraphicsSimpleTextItem>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>

namespace {

void expectTreeControls(const QWidget* dlg, bool enabled)
{
    const auto widgets = dlg->findChildren<QWidget*>(QRegularExpression("Tree(Pos|Size)"));
    EXPECT_FALSE(widgets.isEmpty());
    for (const QWidget* w : widgets)
        EXPECT_EQ(w->isEnabled(), enabled) << w->objectName().toStdString();
}

// A choice in the tree list as the user makes it (the keyboard emits
// activated(), a programmatic setCurrentIndex() does not); the tree controls
// follow it.
void chooseTree(const QWidget* dlg, const QString& name)
{
    auto* list = find<QComboBox>(dlg, "cmbTreeType");
    const int target = list->findText(name);
    ASSERT_GE(target, 0) << name.toStdString();
    while (list->currentIndex() != target)
        QTest::keyClick(list, list->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    expectTreeControls(dlg, target > 0);
}

class HoleDialog : public WindowTest
{
protected:
    QComboBox* holes() const { return child<QComboBox>("cmbHoleId"); }
    int currentHole() const { return holes()->currentIndex() + 1; }

    // Chooses "[ Customize... ]" and lets `interact` answer the dialog.
    void customize(const ModalAnswer& interact)
    {
        EXPECT_EQ(answerModals([&] { holes()->setCurrentIndex(holes()->count() - 1); }, {interact}),
                  1);
    }
};

// Hole 2, built in: Cancel changes nothing, Save Copy adds hole 5, and Save
// then replaces that one.
TEST_F(HoleDialog, CancelSaveCopyAndSave)
{
    holes()->setCurrentIndex(1);
    child<QLabel>("infoShot")->setText("Shot count: 1");
    const auto before = holeCatalogue();
    customize([](QWidget* dlg) {
        find<QDoubleSpinBox>(dlg, "spinHolePosX")->setValue(-30);
        chooseTree(dlg, "[ no tree ]");
        find<QPushButton>(dlg, "btnCancel")->click();
    });
    EXPECT_EQ(holeCatalogue(), before);
    EXPECT_EQ(currentHole(), 2);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 0");

    customize([](QWidget* dlg) {
        EXPECT_FALSE(find<QPushButton>(dlg, "btnSave")->isEnabled()); // built-in: copy only
        EXPECT_EQ(find<QComboBox>(dlg, "cmbTreeType")->currentText(), "Oak");
        chooseTree(dlg, "[ no tree ]");
        find<QPushButton>(dlg, "btnSaveCopy")->click();
    });
    EXPECT_EQ(holeCatalogue().at(2), before.at(2)) << "the original must stay untouched";
    EXPECT_EQ(holeCatalogue().at(5).GreenPos, before.at(2).HolePos);
    EXPECT_EQ(holeCatalogue().at(5).TreeType, "");
    // 16.6667 yd is just over 50 ft: clamped to the limit, not an exact third.
    EXPECT_DOUBLE_EQ(holeCatalogue().at(5).GreenSize, 50 * 0.3333333333);
    EXPECT_EQ(currentHole(), 5);
    EXPECT_TRUE(child<QWidget>("spinGreenRho")->isEnabled()); // wind and green unlocked

    customize([](QWidget* dlg) {
        find<QDoubleSpinBox>(dlg, "spinHolePosX")->setValue(-20);
        chooseTree(dlg, "Elm");
        find<QSlider>(dlg, "sliderTreeSizeX")->setValue(59);
        EXPECT_DOUBLE_EQ(find<QDoubleSpinBox>(dlg, "spinTreeSizeX")->value(), 30.5);
        find<QPushButton>(dlg, "btnSave")->click();
    });
    EXPECT_EQ(holes()->count(), 6); // replaced, not added
    EXPECT_EQ(holeCatalogue().at(5).GreenPos.x, -20);
    EXPECT_EQ(holeCatalogue().at(5).TreeType, "Elm");
    EXPECT_EQ(child<QLabel>("infoDist")->text(), // the new hole's
              QString("Distance to hole: %1 yards")
                  .arg(model().distanceToHole(model().ballPos()), 0, 'f', 2));
    EXPECT_NE(model().hole.HolePos.x, before.at(2).HolePos.x);
    EXPECT_DOUBLE_EQ(holeCatalogue().at(5).TreeSize.x, 10.16666666565); // 30.5 ft
}

// A defined hole discards the shot, as choosing another hole does: a replay
// would run the old points over the new ground. Cancelled, the hole keeps it.
TEST_F(HoleDialog, ARedefinedHoleDiscardsTheShot)
{
    holes()->setCurrentIndex(3);
    for (const auto& [button, discarded] : {std::pair("btnSave", true), {"btnCancel", false}}) {
        SwingModel& m = model();
        m.puttShot.set(0, {1.0, 140.0, 0.0});
        for (int i = 0; i <= 50; ++i)
            m.setPoint(i, {0.0, i * 2.0, i * (50 - i) * 0.01});
        m.setFirstImpact(40);
        m.setCurrentStep(50);
        ASSERT_TRUE(child<QSlider>("time")->isEnabled());
        const char* pressed = button;
        customize([pressed](QWidget* dlg) {
            auto* y = find<QDoubleSpinBox>(dlg, "spinHolePosY");
            y->setValue(y->value() - 10);
            find<QPushButton>(dlg, pressed)->click();
        });
        EXPECT_EQ(m.teeShot.empty(), discarded) << button;
        EXPECT_EQ(m.puttShot.empty(), discarded) << button;
        EXPECT_EQ(m.FirstImpact, discarded ? -1 : 40) << button;
        EXPECT_EQ(child<QWidget>("time")->isEnabled(), !discarded) << button;
    }
}

// Answers a file dialog with `path`, after checking its caption.
ModalAnswer choose(const QString& caption, const QString& path)
{
    return [=](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_TRUE(dlg && dlg->windowTitle() == caption) << w->windowTitle().toStdString();
        if (QWidget* focused = dlg->focusWidget()) // selectFile() skips a focused name field
            focused->clearFocus();
        dlg->selectFile(path);
        QMetaObject::invokeMethod(dlg, "accept"); // protected, but a slot
    };
}

const ModalAnswer cancel = [](QWidget*) {}; // answerModals closes what is left open

class FileCommands : public WindowTest
{
protected:
    int run(const char* action, std::deque<ModalAnswer> answers = {})
    {
        return answerModals([&] { child<QAction>(action)->trigger(); }, std::move(answers));
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

TEST_F(FileCommands, SaveAsksForANameOnlyOnceAndOpenRestores)
{
    window->show(); // errors go to a message box only while the window is visible
    EXPECT_EQ(run("actionSave", {cancel}), 1);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString file = path("sub/model.txt");
    child<QComboBox>("cmbHoleId")->setCurrentIndex(2);
    EXPECT_EQ(run("actionSave", {choose("Save as...", file)}), 1); // no name yet: Save As

    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(30);
    EXPECT_EQ(run("actionSave"), 0); // named now: no question

    child<QAbstractButton>("btnResetAll")->click();
    ASSERT_EQ(child<QDoubleSpinBox>("spinTeeLaunchAngle")->value(), 45);
    EXPECT_EQ(run("actionOpen", {choose("Open file...", file)}), 1);
    EXPECT_EQ(child<QComboBox>("cmbHoleId")->currentIndex(), 2);
    EXPECT_EQ(child<QDoubleSpinBox>("spinTeeLaunchAngle")->value(), 30); // as last saved
}

// Reset asks before it throws away holes defined in this session or changes
// not saved, and says which, and Open before it throws away changes; Cancel
// keeps everything. Shots are results, not
// changes: they go without a question.
TEST_F(FileCommands, ResetAndOpenAskBeforeLosingHolesOrChanges)
{
    window->show();
    QString asked;
    const auto answer = [&asked](QMessageBox::ButtonRole role) -> ModalAnswer {
        return [&asked, role](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_TRUE(box) << w->windowTitle().toStdString();
            asked = box->text() + '\n' + box->informativeText();
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == role)
                    return b->click();
            ADD_FAILURE() << "no button of role " << role;
        };
    };
    const ModalAnswer keep = answer(QMessageBox::RejectRole);
    const ModalAnswer discard = answer(QMessageBox::DestructiveRole);
    const auto reset = [this](std::deque<ModalAnswer> answers = {}) {
        return answerModals([this] { child<QAbstractButton>("btnResetAll")->click(); },
                            std::move(answers));
    };
    auto* launch = child<QDoubleSpinBox>("spinTeeLaunchAngle");

    EXPECT_EQ(reset(), 0); // nothing to lose
    for (int i = 0; i <= 10; ++i)
        model().setPoint(i, {0.0, i * 10.0, 0.0});
    model().setCurrentStep(10);
    EXPECT_EQ(reset(), 0); // a shot is a result

    // A hole defined here.
    model().defineHole(-1, 10, {0, 120, 0}, {0, 120, 0}, {}, {}, "");
    EXPECT_EQ(reset({keep}), 1);
    EXPECT_TRUE(asked.contains("#5")) << asked.toStdString();
    EXPECT_EQ(SwingModel::holeCount(), 5);
    EXPECT_EQ(reset({discard}), 1);
    EXPECT_EQ(SwingModel::holeCount(), 4);
    EXPECT_EQ(model().hole.HoleId, 1);
    // A built-in hole changed here.
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3);
    model().setValue("WindDir", 200);
    EXPECT_EQ(reset({discard}), 1);
    EXPECT_TRUE(asked.contains("#4")) << asked.toStdString();

    // A changed value, before and after it is saved, and after it is opened.
    launch->setValue(30);
    EXPECT_EQ(reset({keep}), 1);
    EXPECT_TRUE(asked.contains("not saved")) << asked.toStdString();
    EXPECT_EQ(launch->value(), 30);
    const QString file = path("mine.txt");
    EXPECT_EQ(run("actionSave_As", {choose("Save as...", file)}), 1);
    EXPECT_EQ(reset(), 0);
    EXPECT_EQ(launch->value(), 45);

    // Open asks the same about changed values.
    launch->setValue(40);
    EXPECT_EQ(run("actionOpen", {keep}), 1);
    EXPECT_EQ(launch->value(), 40);
    EXPECT_EQ(run("actionOpen", {discard, choose("Open file...", file)}), 2);
    EXPECT_EQ(launch->value(), 30);
    EXPECT_EQ(run("actionOpen", {cancel}), 1); // nothing to lose: the file dialog at once
}

// A save that fails says why.
TEST_F(FileCommands, SaveSaysWhy)
{
    window->show();
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString file = path("sub/model.txt");
    EXPECT_EQ(run("actionSave_As", {choose("Save as...", file)}), 1);
    ASSERT_EQ(QString::fromStdString(model().fileName), file);

    QString text;
    const ModalAnswer read = [&text](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w))
            text = box->text();
    };
    ASSERT_TRUE(QDir(path("sub")).removeRecursively());
    EXPECT_EQ(run("actionSave", {read}), 1);
    EXPECT_TRUE(text.startsWith("The file could not be written: " + file)) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromLocal8Bit(std::strerror(ENOENT)))) << text.toStdString();
    EXPECT_EQ(QString::fromStdString(model().fileName), file);
}

TEST_F(FileCommands, ComparisonTracesStayUntilResetAll)
{
    child<QLabel>("infoShot")->setText("Shot count: 3");
    for (const char* name : {"short.out", "long.out"}) {
        SwingModel result(false);
        result.setPoint(0, {0.0, 0.0, 0.0});
        result.setPoint(1, {0.0, 80.0, 0.0});
        ASSERT_TRUE(result.write(path(name).toStdString()));
        EXPECT_EQ(run("actionOpen_Results", {choose("Open file...", path(name))}), 1);
    }
    // Comparison traces are labelled with their file's name.
    const auto traces = [this] {
        int n = 0;
        for (const QGraphicsItem* item : child<QGraphicsView>("topView")->scene()->items())
            if (auto* label = qgraphicsitem_cast<const QGraphicsSimpleTextItem*>(item))
                n += label->text().endsWith(".out");
        return n;
    };
    EXPECT_EQ(traces(), 2);
    child<QAbstractButton>("btnResetAll")->click();
    EXPECT_EQ(traces(), 0);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 0");
}

TEST_F(FileCommands, OpeningAnUnreadableFileStillRebuildsTheHoleList)
{
    holeCatalogue()[5] = holeCatalogue().at(4); // a hole the list does not show yet
    holeCatalogue()[5].HoleId = 5;
    window->loadModel(path("missing.txt"));
    EXPECT_EQ(child<QComboBox>("cmbHoleId")->count(), 6);
    EXPECT_EQ(child<QComboBox>("cmbHoleId")->itemText(4), "Hole #5");
    EXPECT_EQ(run("actionSave", {cancel}), 1) << "the file never became the model's";
}

} // namespace
