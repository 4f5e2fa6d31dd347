// The file buttons of the main window: open, compare, save, save as, reset.
// File dialogs and message boxes are modal; a polling timer answers them from
// inside their exec() the way a user would.

#include "Parview.h"
#include "SwingModel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QGraphicsPathItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using ModalAnswer = std::function<void(QWidget*)>;

// Runs `trigger` and answers the modal widgets it opens, in turn, with
// `answers`. Modal widgets beyond the answers, or left open by one, are
// rejected so a failing test cannot hang. Returns how many modal widgets
// appeared.
int answerModals(const std::function<void()>& trigger, std::deque<ModalAnswer> answers = {})
{
    int seen = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible())
            return;
        ++seen;
        if (!answers.empty()) {
            const ModalAnswer answer = answers.front();
            answers.pop_front();
            answer(w);
        } else {
            ADD_FAILURE() << "unexpected modal widget: " << w->windowTitle().toStdString();
        }
        if (w->isVisible()) {
            if (auto* dlg = qobject_cast<QDialog*>(w))
                dlg->reject();
            else
                w->close();
        }
    });
    // A modal widget opened from inside an answer blocks `poll`; this one
    // closes it after a while instead.
    QTimer watchdog;
    watchdog.setInterval(3000);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "modal widget left open: " << w->windowTitle().toStdString();
            w->close();
        }
    });
    poll.start();
    watchdog.start();
    trigger();
    poll.stop();
    watchdog.stop();
    EXPECT_TRUE(answers.empty()) << answers.size() << " expected modal widget(s) never appeared";
    return seen;
}

// Answers a file dialog with `path`, after checking its caption.
ModalAnswer chooseFile(const QString& path, const QString& caption, const QStringList& filters)
{
    return [=](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr) << "expected a file dialog";
        EXPECT_EQ(dlg->windowTitle(), caption);
        EXPECT_EQ(dlg->nameFilters(), filters);
        // selectFile() leaves the name field alone while it has the focus.
        if (QWidget* focused = dlg->focusWidget())
            focused->clearFocus();
        dlg->selectFile(path);
        QMetaObject::invokeMethod(dlg, "accept"); // protected, but a slot
    };
}

ModalAnswer openFile(const QString& path)
{
    return chooseFile(path, "Open file...", {"*.txt *.in *.out"});
}

ModalAnswer saveFile(const QString& path)
{
    return chooseFile(path, "Save as...", {"*.txt", "*.in"});
}

// A result file with a short straight tee shot ending `length` yards out.
void writeResult(const QString& path, double length)
{
    SwingModel result(false);
    for (int step = 0; step <= 10; ++step)
        result.setPoint(step, {0.0, length * step / 10, 0.0});
    result.setExitCode(1);
    ASSERT_TRUE(result.write(path.toStdString()));
}

class FileCommands : public ::testing::Test
{
protected:
    void SetUp() override
    {
        holeCatalogue().clear();
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<Parview>(QStringList());
    }

    template <class T> T* child(const char* name) const
    {
        T* w = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void trigger(const char* action) { child<QAction>(action)->trigger(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    double shown(const char* spin) const { return child<QDoubleSpinBox>(spin)->value(); }
    int holeIndex() const { return child<QComboBox>("cmbHoleId")->currentIndex(); }

    QList<QGraphicsScene*> scenes() const
    {
        return {child<QGraphicsView>("topView")->scene(),
                child<QGraphicsView>("sideView")->scene()};
    }

    QTemporaryDir dir;
    std::unique_ptr<Parview> window;
};

int labelsIn(const QGraphicsScene* scene, const QString& text)
{
    int n = 0;
    for (const QGraphicsItem* item : scene->items()) {
        const auto* label = qgraphicsitem_cast<const QGraphicsSimpleTextItem*>(item);
        if (label && label->text() == text)
            ++n;
    }
    return n;
}

int yellowPathsIn(const QGraphicsScene* scene)
{
    int n = 0;
    for (const QGraphicsItem* item : scene->items()) {
        const auto* path = dynamic_cast<const QGraphicsPathItem*>(item);
        if (path && path->pen().color() == QColor(Qt::yellow))
            ++n;
    }
    return n;
}

TEST_F(FileCommands, SaveThenOpenRestoresTheModel)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(2);
    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(30);
    child<QDoubleSpinBox>("spinTeeClubSpeed")->setValue(120);
    const QString file = path("model.txt");
    EXPECT_EQ(answerModals([&] { trigger("actionSave_As"); }, {saveFile(file)}), 1);
    ASSERT_TRUE(QFile::exists(file));

    child<QAbstractButton>("btnResetAll")->click();
    ASSERT_EQ(holeIndex(), 0);
    ASSERT_EQ(shown("spinTeeLaunchAngle"), 45);

    EXPECT_EQ(answerModals([&] { trigger("actionOpen"); }, {openFile(file)}), 1);
    EXPECT_EQ(holeIndex(), 2);
    EXPECT_EQ(shown("spinTeeLaunchAngle"), 30);
    EXPECT_EQ(shown("spinTeeClubSpeed"), 120);
    EXPECT_EQ(shown("spinWindSpeed"), holeCatalogue().at(3).WindSpeed);

    // The opened file is now the model's own: "Save" goes there without asking.
    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(20);
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); }), 0);
    SwingModel reread(false);
    ASSERT_TRUE(reread.read(file.toStdString()));
    EXPECT_EQ(reread.TeeLaunchAngle, 20);
}

TEST_F(FileCommands, SaveWithoutFileNameAsksForOne)
{
    // Cancelled: nothing written, and the next "Save" still asks.
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); },
                           {[](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); }}),
              1);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    const QString file = path("first.in");
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); }, {saveFile(file)}), 1);
    ASSERT_TRUE(QFile::exists(file));

    child<QDoubleSpinBox>("spinTeeClubSpeed")->setValue(99);
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); }), 0);
    SwingModel reread(false);
    ASSERT_TRUE(reread.read(file.toStdString()));
    EXPECT_EQ(reread.TeeBallSpeed, 99);
}

TEST_F(FileCommands, ComparisonTracesStayUntilResetAll)
{
    writeResult(path("short.out"), 80);
    writeResult(path("long.out"), 160);
    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(33);

    answerModals([&] { trigger("actionOpen_Results"); }, {openFile(path("short.out"))});
    answerModals([&] { trigger("actionOpen_Results"); }, {openFile(path("long.out"))});

    for (const QGraphicsScene* scene : scenes()) {
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(labelsIn(scene, "short.out"), 1);
        EXPECT_EQ(labelsIn(scene, "long.out"), 1);
        EXPECT_EQ(yellowPathsIn(scene), 2);
    }
    // Comparing leaves the model alone, its (empty) file name included.
    EXPECT_EQ(shown("spinTeeLaunchAngle"), 33);
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); },
                           {[](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); }}),
              1);

    child<QAbstractButton>("btnSwing")->click();
    ASSERT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 1")
        << "a real swing needs Trajex beside the tests";
    child<QAbstractButton>("btnResetAll")->click();
    for (const QGraphicsScene* scene : scenes()) {
        EXPECT_EQ(labelsIn(scene, "short.out"), 0);
        EXPECT_EQ(labelsIn(scene, "long.out"), 0);
        EXPECT_EQ(yellowPathsIn(scene), 0);
    }
    EXPECT_EQ(holeIndex(), 0);
    EXPECT_EQ(shown("spinTeeLaunchAngle"), 45);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 0");
}

TEST_F(FileCommands, OpeningAnUnreadableFileStillRebuildsTheHoleList)
{
    // A hole the list does not show yet.
    HoleInfo extra = holeCatalogue().at(4);
    extra.HoleId = 5;
    holeCatalogue()[5] = extra;
    auto* holes = child<QComboBox>("cmbHoleId");
    ASSERT_EQ(holes->count(), 5);

    window->loadModel(path("missing.txt"));

    EXPECT_EQ(holes->count(), 6);
    EXPECT_EQ(holes->itemText(4), "Hole #5");
    EXPECT_EQ(holeIndex(), 0);
    // The file never became the model's: "Save" still asks for a name.
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); },
                           {[](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); }}),
              1);
}

TEST_F(FileCommands, FailedSaveIsReportedAndKeepsTheFileName)
{
    window->show(); // errors go to a message box only while the window is visible
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    const QString file = path("sub/model.txt");
    answerModals([&] { trigger("actionSave_As"); }, {saveFile(file)});
    ASSERT_TRUE(QFile::exists(file));

    // The folder disappears under the program; root may write anywhere else.
    ASSERT_TRUE(QDir(path("sub")).removeRecursively());
    child<QDoubleSpinBox>("spinTeeClubSpeed")->setValue(77);
    QString title;
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); }, {[&](QWidget* w) {
                               EXPECT_NE(qobject_cast<QMessageBox*>(w), nullptr);
                               title = w->windowTitle();
                           }}),
              1);
    EXPECT_EQ(title, "Error");

    // Still the same target: once the folder is back, "Save" writes there unasked.
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    EXPECT_EQ(answerModals([&] { trigger("actionSave"); }), 0);
    SwingModel reread(false);
    ASSERT_TRUE(reread.read(file.toStdString()));
    EXPECT_EQ(reread.TeeBallSpeed, 77);
}

} // namespace
