// Running the simulator: real runs with the built Trajex, the failure
// reports, the working files and batch mode end to end. Failures of the child
// are provoked by running a copy of Parview beside a stand-in Trajex script.

#include "SimulatorRun.h"
#include "test_window_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <sys/stat.h>

namespace {

const QString binDir = QStringLiteral(QUILLMOOR_BIN_DIR);

QString readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(f.readAll());
}

bool writeText(const QString& path, const QString& text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
}

// Number of points a data file announces for a step block.
int stepsIn(const QString& text, const QString& block)
{
    const int at = text.indexOf(block + ": ");
    return at < 0 ? -1 : text.mid(at + block.size() + 2).section('\n', 0, 0).toInt();
}

// ---- in-process runs with the real Trajex

using RealRun = WindowTest;

TEST_F(RealRun, TeeShotThenPuttFromWhereTheBallStopped)
{
    SwingModel& m = model();
    child<QPushButton>("btnSwing")->click();
    ASSERT_TRUE(window->messages().isEmpty()) << window->messages().join('\n').toStdString();

    const int teeSteps = m.teeShot.size();
    ASSERT_GT(teeSteps, 100);
    EXPECT_EQ(m.exitCode, 1);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 1");
    auto* time = child<QSlider>("time");
    EXPECT_TRUE(time->isEnabled());
    EXPECT_TRUE(child<QToolButton>("btnAnimate")->isEnabled());
    EXPECT_EQ(time->minimum(), 0);
    EXPECT_EQ(time->maximum(), teeSteps - 1);
    EXPECT_EQ(time->value(), teeSteps - 1); // hidden: the ball rests at the end
    const Vector3 rest = m.teeShot.back().second;
    EXPECT_EQ(m.ballPos(), rest);
    EXPECT_EQ(child<QLineEdit>("edtBallPosY")->text(), QString::number(rest.y, 'f', 2));
    EXPECT_TRUE(child<QLabel>("infoDist")->text().endsWith(" yards"));

    child<QGroupBox>("grpPutt")->setChecked(true);
    EXPECT_FALSE(time->isEnabled()); // no putt yet
    child<QPushButton>("btnPutt")->click();
    ASSERT_TRUE(window->messages().isEmpty()) << window->messages().join('\n').toStdString();

    const int puttSteps = m.puttShot.size();
    ASSERT_GT(puttSteps, 1);
    EXPECT_EQ(m.teeShot.size(), teeSteps);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 2");
    EXPECT_EQ(time->maximum(), puttSteps - 1);
    const double startX = m.puttShot.begin()->second.x;
    EXPECT_NEAR(startX, rest.x, 1e-6);

    child<QToolButton>("btnResetShot")->click();
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 0");
}

TEST_F(RealRun, WorkingFilesLieInAPrivateDirectory)
{
    child<QPushButton>("btnSwing")->click();
    ASSERT_TRUE(window->messages().isEmpty());

    const QString dir = simrun::privateTempDir();
    ASSERT_FALSE(dir.isEmpty());
    EXPECT_EQ(QFileInfo(dir).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_NE(QFileInfo(dir).absoluteFilePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(QFileInfo(dir + "/swing.in").isFile());
    EXPECT_TRUE(QFileInfo(dir + "/swing.out").isFile());
    EXPECT_EQ(simrun::workFiles(QString(), true).input, dir + "/swing.in");
}

TEST_F(RealRun, VisibleWindowWorksBesideTheModelFileAndReplays)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString modelFile = dir.filePath("model.txt");
    SwingModel source(false);
    source.TimeStepSize = 0.01; // a short replay
    ASSERT_TRUE(source.write(modelFile.toStdString()));
    const QString before = readAll(modelFile);

    window->loadModel(modelFile);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    child<QPushButton>("btnSwing")->click();

    EXPECT_EQ(readAll(modelFile), before);
    EXPECT_TRUE(QFileInfo(dir.filePath("swing.in")).isFile());
    EXPECT_GT(stepsIn(readAll(dir.filePath("swing.out")), "TeeShotSteps"), 10);

    // The replay is queued and moves the slider from the first point on.
    auto* time = child<QSlider>("time");
    EXPECT_EQ(time->value(), 0);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->findChild<QPropertyAnimation*>("animator"); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return time->value() > 0; }));
    // Let the views' glide to the loaded hole (750 ms) end before the window goes.
    QTest::qWait(1000);
    window->hide();
}

TEST_F(RealRun, UnwritableInputIsReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString modelFile = dir.filePath("model.txt");
    ASSERT_TRUE(SwingModel(false).write(modelFile.toStdString()));
    window->loadModel(modelFile);
    // Hidden with a model file, the run writes the model file itself.
    ASSERT_TRUE(QFile::remove(modelFile));
    ASSERT_TRUE(QDir().mkdir(modelFile));

    child<QPushButton>("btnSwing")->click();
    EXPECT_EQ(window->messages(), QStringList{"Unable to write input file: " + modelFile});
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 0");
}

// ---- a copy of Parview beside a stand-in Trajex

struct Result
{
    int exitCode = 0;
    QString out;
};

class StandIn : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath("bin"));
        ASSERT_TRUE(QDir(root.path()).mkpath("work"));
        ASSERT_TRUE(QFile::copy(binDir + "/Parview", bin("Parview")));
    }

    QString bin(const QString& name) const { return root.filePath("bin/" + name); }
    QString work(const QString& name) const { return root.filePath("work/" + name); }

    void trajexScript(const QString& body)
    {
        ASSERT_TRUE(writeText(bin("Trajex"), "#!/bin/sh\n" + body + "\n"));
        QFile::setPermissions(bin("Trajex"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    Result run(const QStringList& args, const QString& mode = QString())
    {
        QProcess p;
        p.setWorkingDirectory(root.filePath("work"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("QMX_SWING_MODE");
        if (!mode.isEmpty())
            env.insert("QMX_SWING_MODE", mode);
        p.setProcessEnvironment(env);
        p.start(bin("Parview"), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput())};
    }

    QTemporaryDir root;
};

TEST_F(StandIn, MissingTrajexReportsTheWholeCommand)
{
    const Result r = run({"-swing"});
    EXPECT_EQ(r.exitCode, 255); // -1
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << r.out.toStdString();
    EXPECT_TRUE(
        lines[0].startsWith("Unable to launch the simulation: \"" + bin("Trajex") + "\" \""))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("/swing.out\" ")) << lines[0].toStdString();
    // The images are still made, from the unchanged model.
    EXPECT_TRUE(QFileInfo(work("swing.png")).isFile());
}

TEST_F(StandIn, NonZeroExitShowsErrorOutputThenOutput)
{
    trajexScript("echo 'bad input' >&2\necho 'some output'\nexit 3");
    const Result r = run({"-putt"});
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(r.out, "The simulation returned with an error code:\nbad input\n\nsome output\n\n");
}

TEST_F(StandIn, StaleOrMissingOutputIsReported)
{
    for (const QString& body :
         {QString("cp \"$1\" \"$2\"\ntouch -d '2001-01-01 00:00' \"$2\""), QString("exit 0")}) {
        trajexScript(body);
        const Result r = run({"-putt"});
        EXPECT_EQ(r.exitCode, 255);
        EXPECT_TRUE(r.out.startsWith("The simulation did not create the output file: "))
            << r.out.toStdString();
        EXPECT_TRUE(r.out.endsWith("/swing.out\n")) << r.out.toStdString();
    }
}

TEST_F(StandIn, ArgumentsAndThePrivateWorkingDirectory)
{
    trajexScript(
        "d=$(dirname \"$1\")\n"
        "echo \"$#|$(basename \"$1\")|$(basename \"$2\")|$3|$(stat -c %a \"$d\")\" > args.txt\n"
        "echo \"$d\" > dir.txt\n"
        "cp \"$1\" \"$2\"");
    Result r = run({"-putt"});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    EXPECT_EQ(readAll(work("args.txt")), "2|swing.in|swing.out||700\n");
    const QString dir = readAll(work("dir.txt")).trimmed();
    EXPECT_NE(QFileInfo(dir).absoluteFilePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_FALSE(QFileInfo::exists(dir)) << "left behind: " << dir.toStdString();

    r = run({"-putt"}, "complex");
    EXPECT_EQ(readAll(work("args.txt")), "3|swing.in|swing.out|complex|700\n");
}

TEST_F(StandIn, ChildStillRunningAfterTheWaitIsKilled)
{
    trajexScript("echo $$ > pid.txt\nexec sleep 60");
    const Result r = run({"-putt"});
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_TRUE(r.out.startsWith("The simulation did not create the output file: "));
    const int pid = readAll(work("pid.txt")).trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(QFileInfo::exists(QString("/proc/%1").arg(pid))) << "child " << pid << " survived";
    if (QFileInfo::exists(QString("/proc/%1").arg(pid)))
        ::kill(pid, SIGKILL);
}

// ---- batch mode with the real Trajex

class Batch : public StandIn
{
protected:
    void SetUp() override
    {
        StandIn::SetUp();
        ASSERT_TRUE(QFile::copy(binDir + "/Trajex", bin("Trajex")));
    }

    static void expectImage(const QString& path)
    {
        const QImage image(path);
        EXPECT_FALSE(image.isNull()) << path.toStdString();
        EXPECT_GT(image.width(), 100) << path.toStdString();
    }
};

TEST_F(Batch, SwingAndPuttWriteImagesAndDataFiles)
{
    const Result r = run({"-swing", "s.txt", "-putt", "p.txt"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    for (const char* image : {"swing.png", "swing_puttview.png", "putt.png"})
        expectImage(work(image));

    const QString swing = readAll(work("s.txt"));
    const QString putt = readAll(work("p.txt"));
    EXPECT_GT(stepsIn(swing, "TeeShotSteps"), 100);
    EXPECT_EQ(stepsIn(swing, "PuttShotSteps"), 0);
    EXPECT_TRUE(swing.contains("Exit Code: 1"));
    EXPECT_GT(stepsIn(putt, "PuttShotSteps"), 1);
    EXPECT_EQ(stepsIn(putt, "TeeShotSteps"), stepsIn(swing, "TeeShotSteps"));
    EXPECT_TRUE(putt.contains("PuttEnabled: 1"));
}

TEST_F(Batch, SwingAloneWritesOnlyItsImages)
{
    const Result r = run({"-swing"});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    expectImage(work("swing.png"));
    expectImage(work("swing_puttview.png"));
    EXPECT_EQ(QDir(root.filePath("work")).entryList(QDir::Files),
              QStringList({"swing.png", "swing_puttview.png"}));
}

TEST_F(Batch, ModelFileIsInputAndOutputAndADashWordIsNoDataFile)
{
    SwingModel source(false);
    source.selectHole(4);
    source.setBallPos({1.0, 95.0, 0.0});
    ASSERT_TRUE(source.write(work("model.txt").toStdString()));

    const Result r = run({"model.txt", "-putt", "-x"});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    const QString result = readAll(work("model.txt"));
    EXPECT_TRUE(result.contains("HoleId: 4"));
    EXPECT_GT(stepsIn(result, "PuttShotSteps"), 1);
    EXPECT_TRUE(result.contains("Exit Code: 1"));
    EXPECT_FALSE(QFileInfo::exists(work("-x")));
    EXPECT_FALSE(QFileInfo::exists(work("swing.in")));
    expectImage(work("putt.png"));
}

TEST_F(Batch, CwdMovesEverythingIntoThatDirectory)
{
    ASSERT_TRUE(QDir(root.path()).mkpath("elsewhere"));
    const Result r = run({"-cwd", root.filePath("elsewhere"), "-putt", "p.txt"});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString();
    expectImage(root.filePath("elsewhere/putt.png"));
    EXPECT_TRUE(QFileInfo(root.filePath("elsewhere/p.txt")).isFile());
    EXPECT_FALSE(QFileInfo::exists(work("putt.png")));
}

} // namespace
