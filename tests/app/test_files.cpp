// Loading models and results: what is refused, what a load replaces, and
// what it must leave alone (the hole catalogue, the views).

#include "SideScene.h"
#include "TopScene.h"
#include "test_window_support.h"

#include <QAction>
#include <QFile>
#include <QGraphicsView>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray randomBytes(int n)
{
    QByteArray bytes(n, '\0');
    QRandomGenerator gen(15);
    for (char& c : bytes)
        c = static_cast<char>(gen.bounded(256));
    return bytes;
}

class Loading : public WindowTest
{
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString example(const char* name) const
    {
        return QStringLiteral(QUILLMOOR_EXAMPLES "/") + name;
    }
    SwingScene* scene(const char* view) const
    {
        return static_cast<SwingScene*>(child<QGraphicsView>(view)->scene());
    }

    QTemporaryDir dir;
};

TEST_F(Loading, OnlyModelsAreTakenAndNothingElseIsEverWritten)
{
    const QString model = path("model.txt");
    ASSERT_TRUE(QFile::copy(example("hole3-teeshot.txt"), model));
    window->show(); // a refusal is a box while the window is visible
    window->loadModel(model);
    ASSERT_EQ(QString::fromStdString(this->model().fileName), model);

    const QByteArray readme = bytesOf(QUILLMOOR_SOURCE_DIR "/README.md");
    ASSERT_FALSE(readme.isEmpty());
    const std::pair<const char*, QByteArray> refused[] = {
        {"junk.bin", randomBytes(20000)},
        {"README.md", readme},
        {"empty.txt", QByteArray()},
        {"notes.txt", "HoleId: 2\nThis is a note about hole 2.\nIt is not a model.\n"
                      "Nor is this line.\n"},
    };
    for (const auto& [name, bytes] : refused) {
        writeBytes(path(name), bytes);
        QString title, text;
        EXPECT_EQ(answerModals([&] { window->loadModel(path(name)); }, {[&](QWidget* w) {
                                   title = w->windowTitle();
                                   if (auto* box = qobject_cast<QMessageBox*>(w))
                                       text = box->text();
                               }}),
                  1)
            << name;
        EXPECT_EQ(title, "Error") << name;
        EXPECT_TRUE(text.contains(path(name))) << text.toStdString();
        EXPECT_EQ(QString::fromStdString(this->model().fileName), model) << name;
        EXPECT_EQ(this->model().hole.HoleId, 3) << name;

        // Save goes to the model's own file, never to the refused one.
        EXPECT_EQ(answerModals([&] { child<QAction>("actionSave")->trigger(); }), 0);
        EXPECT_EQ(bytesOf(path(name)), bytes) << name;
    }

    // A hand-written file of keys is a model, header or not.
    writeBytes(path("mine.txt"), "# my putt\n\nHoleId: 2\nPuttEnabled: 1\nBallPos: -9, 150, -7\n"
                                 "PuttBallSpeed: 4.5\n");
    EXPECT_EQ(answerModals([&] { window->loadModel(path("mine.txt")); }), 0);
    EXPECT_EQ(QString::fromStdString(this->model().fileName), path("mine.txt"));
    EXPECT_EQ(this->model().hole.HoleId, 2);
    EXPECT_DOUBLE_EQ(this->model().PuttBallSpeed, 4.5);
}

// Named on the command line, a file that is no model is refused while the
// window is still hidden: the user hears of it once the window shows.
TEST_F(Loading, ARefusalAtStartIsShownWithTheWindow)
{
    writeBytes(path("junk.bin"), randomBytes(3000));
    Parview started({path("junk.bin"), example("hole4-putt.txt")});
    QString text;
    EXPECT_EQ(answerModals(
                  [&] {
                      started.show();
                      QTest::qWait(200);
                  },
                  {[&](QWidget* w) {
                      if (auto* box = qobject_cast<QMessageBox*>(w))
                          text = box->text();
                  }}),
              1);
    EXPECT_EQ(text, "Not a model data file: " + path("junk.bin"));
    started.close();
}

// A result file opened for comparison carries its own version of hole 1.
TEST_F(Loading, ComparedResultsLeaveTheCourseAlone)
{
    SwingModel other(false);
    other.hole.HolePos = {20, 170, 3};
    other.hole.GreenSize = 25;
    other.hole.WindDir = 200;
    other.hole.GreenXRot = 7;
    other.setPoint(0, {0, 0, 0});
    other.setPoint(1, {0, 90, 10});
    ASSERT_TRUE(other.write(path("other.out").toStdString()));

    const auto catalogue = holeCatalogue();
    const HoleInfo current = model().hole;
    window->openResults(path("other.out"));
    EXPECT_EQ(holeCatalogue(), catalogue);
    EXPECT_EQ(model().hole, current);
    EXPECT_EQ(child<QComboBox>("cmbHoleId")->currentIndex(), 0);
}

TEST_F(Loading, AnOpenedFileBringsOnlyItsOwnResults)
{
    SwingModel& m = model();
    child<QPushButton>("btnSwing")->click(); // hidden: runs to the end at once
    ASSERT_GE(m.FirstImpact, 0);
    ASSERT_EQ(m.exitCode, 1);
    const int steps = m.teeShot.size();

    // A refused file changes nothing, results included.
    writeBytes(path("junk.bin"), randomBytes(4000));
    window->loadModel(path("junk.bin"));
    EXPECT_EQ(window->messages().size(), 1);
    EXPECT_EQ(m.teeShot.size(), steps);
    EXPECT_GE(m.FirstImpact, 0);
    EXPECT_EQ(m.fileName, "");

    window->loadModel(example("hole2-teeshot.txt"));
    EXPECT_EQ(m.hole.HoleId, 2);
    EXPECT_EQ(m.FirstImpact, -1);
    EXPECT_EQ(m.exitCode, 0);
    EXPECT_EQ(m.teeShot.size(), 0);
    const std::string text = m.toText();
    EXPECT_NE(text.find("FirstImpact: -nil-"), std::string::npos);
    EXPECT_EQ(text.find("Exit Code"), std::string::npos);
}

// Both views show what the loaded model holds: the ball where its fields say,
// the aim arrow in putt mode.
TEST_F(Loading, TheViewsFollowALoadedModel)
{
    SwingModel& m = model();
    child<QPushButton>("btnSwing")->click(); // leaves the ball far down hole 1
    ASSERT_GT(m.ballPos().y, 50);

    auto* top = static_cast<TopScene*>(scene("topView"));
    const struct
    {
        const char* file;
        bool putt;
    } rows[] = {{"hole3-putt.txt", true}, {"hole2-teeshot.txt", false}, {"hole1-putt.txt", true}};
    for (const auto& row : rows) {
        window->loadModel(example(row.file));
        ASSERT_EQ(m.fileName, example(row.file).toStdString());
        for (const char* view : {"topView", "sideView"}) {
            SwingScene* s = scene(view);
            EXPECT_EQ(s->ball->pos(), s->toScene(m.ballPos())) << row.file << " " << view;
            EXPECT_TRUE(s->ball->isVisible()) << row.file << " " << view;
            EXPECT_EQ(s->greenZoom, row.putt) << row.file << " " << view;
        }
        EXPECT_EQ(top->puttArrow->isVisible(), row.putt) << row.file;
        EXPECT_EQ(top->puttArrow->pos(), top->toScene(m.ballPos())) << row.file;
    }
}

} // namespace
