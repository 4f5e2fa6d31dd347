// Loading models and results: what is refused, what a load replaces, and
// what it must leave alone (the hole catalogue, the views).

#include "TopScene.h"
#include "test_window_support.h"

#include <QRandomGenerator>

namespace {

QByteArray randomBytes(int n)
{
    QByteArray bytes(n, '\0');
    QRandomGenerator gen(15);
    for (char& c : bytes)
        c = static_cast<char>(gen.bounded(256));
    return bytes;
}

// The text of the one message box `trigger` brings up ("" when none does).
QString boxText(const std::function<void()>& trigger)
{
    QString text;
    const int boxes = answerModals(trigger, {[&](QWidget* w) {
                                       if (auto* box = qobject_cast<QMessageBox*>(w))
                                           text = box->text();
                                   }});
    EXPECT_LE(boxes, 1);
    return text;
}

class Loading : public WindowTest
{
protected:
    QString put(const QString& name, const QByteArray& bytes) const
    {
        writeFile(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
    QString example(const char* name) const
    {
        return QStringLiteral(QUILLMOOR_EXAMPLES "/") + name;
    }

    QTemporaryDir dir;
};

TEST_F(Loading, OnlyModelsAreTakenAndNothingElseIsEverWritten)
{
    const QString model = put("model.txt", readAll(example("hole3-teeshot.txt")));
    window->show(); // a refusal is a box while the window is visible
    window->loadModel(model);
    const QByteArray refused[] = {
        randomBytes(20000),
        readAll(QUILLMOOR_SOURCE_DIR "/README.md"), // prose quoting a few key lines
        "HoleId: 2\nThis is a note about hole 2.\nIt is not a model.\n",
    };
    for (const QByteArray& bytes : refused) {
        const QString name = put("other.txt", bytes);
        EXPECT_EQ(boxText([&] { window->loadModel(name); }), "Not a model data file: " + name);
        EXPECT_EQ(QString::fromStdString(this->model().fileName), model);
        EXPECT_EQ(this->model().hole.HoleId, 3);
        // Save goes to the model's own file, never to the refused one.
        EXPECT_EQ(answerModals([&] { child<QAction>("actionSave")->trigger(); }), 0);
        EXPECT_EQ(readAll(name), bytes);
    }

    // A hand-written file of keys is a model, header or not.
    const QString mine = put("mine.txt", "# my putt\n\nHoleId: 2\nPuttBallSpeed: 4.5\n");
    EXPECT_EQ(boxText([&] { window->loadModel(mine); }), "");
    EXPECT_EQ(QString::fromStdString(this->model().fileName), mine);
    EXPECT_DOUBLE_EQ(this->model().PuttBallSpeed, 4.5);
}

// Named on the command line, a file that is no model is refused while the
// window is still hidden: the user hears of it once the window shows.
TEST_F(Loading, ARefusalAtStartIsShownWithTheWindow)
{
    const QString junk = put("junk.bin", randomBytes(3000));
    Parview started({junk, example("hole4-putt.txt")});
    QString text;
    answerModals(
        [&] {
            started.show();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }, 5000));
        },
        {[&](QWidget* w) { text = static_cast<QMessageBox*>(w)->text(); }});
    EXPECT_EQ(text, "Not a model data file: " + junk);
    EXPECT_EQ(started.findChild<QComboBox*>("cmbHoleId")->currentIndex(), 3); // the next file
}

// A file that never ends is given up at a stated size, as a model and as
// results, and changes nothing.
TEST_F(Loading, AFileThatNeverEndsIsRefused)
{
    const HoleInfo hole = model().hole;
    window->loadModel("/dev/zero");
    window->openResults("/dev/zero");
    const QString message = "Not a model data file, larger than any model (over 256 MB): /dev/zero";
    EXPECT_EQ(window->messages(), QStringList({message, message}));
    EXPECT_EQ(model().hole, hole);
    EXPECT_EQ(model().fileName, "");
}

// A result file opened for comparison carries its own version of hole 1.
TEST_F(Loading, ComparedResultsLeaveTheCourseAlone)
{
    SwingModel other(false);
    other.hole.HolePos = {20, 170, 3};
    other.hole.WindDir = 200; // read through a setter that writes the catalogue
    other.setPoint(0, {0, 0, 0});
    other.setPoint(1, {0, 90, 10});
    const QString name = put("other.out", QByteArray::fromStdString(other.toText()));

    const auto catalogue = holeCatalogue();
    const HoleInfo current = model().hole;
    window->openResults(name);
    EXPECT_EQ(holeCatalogue(), catalogue);
    EXPECT_EQ(model().hole, current);
}

// After a shot, an opened file replaces the shot's results and both views
// show what it holds.
TEST_F(Loading, AnOpenedFileReplacesTheShot)
{
    SwingModel& m = model();
    child<QPushButton>("btnSwing")->click(); // hidden: runs to the end at once
    ASSERT_GE(m.FirstImpact, 0);

    auto* top = static_cast<TopScene*>(child<QGraphicsView>("topView")->scene());
    auto* side = static_cast<SwingScene*>(child<QGraphicsView>("sideView")->scene());
    for (const char* file : {"hole3-putt.txt", "hole2-teeshot.txt"}) {
        window->loadModel(example(file));
        EXPECT_EQ(m.FirstImpact, -1) << file;
        EXPECT_EQ(m.teeShot.size(), 0) << file;
        for (SwingScene* s : {static_cast<SwingScene*>(top), side})
            EXPECT_EQ(s->ball->pos(), s->toScene(m.ballPos())) << file;
        EXPECT_EQ(top->greenZoom, m.PuttEnabled) << file;
    }
}

} // namespace
