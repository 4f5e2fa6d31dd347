// Running the simulator: a real swing and putt with the built Trajex, the
// failure reports, the working directory and batch mode end to end. Failures
// are provoked by running a copy of Parview beside a stand-in Trajex script.

#include "test_window_support.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <tuple>

namespace {

QString readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

using RealRun = WindowTest;

TEST_F(RealRun, TeeShotThenPuttFromWhereTheBallStopped)
{
    SwingModel& m = model();
    auto* time = child<QSlider>("time");
    child<QPushButton>("btnSwing")->click();
    ASSERT_EQ(window->messages(), QStringList());
    const int teeSteps = m.teeShot.size();
    ASSERT_GT(teeSteps, 100);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 1");
    EXPECT_TRUE(time->isEnabled());
    EXPECT_EQ(time->maximum(), teeSteps - 1);
    EXPECT_EQ(time->value(), teeSteps - 1); // hidden: the ball rests at the end

    child<QGroupBox>("grpPutt")->setChecked(true);
    child<QPushButton>("btnPutt")->click();
    ASSERT_GT(m.puttShot.size(), 1u);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 2");
    EXPECT_EQ(time->maximum(), int(m.puttShot.size()) - 1);
    EXPECT_NEAR(m.puttShot.begin()->second.x, m.teeShot.back().second.x, 1e-6);
}

class StandIn : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QFile::copy(QUILLMOOR_BIN_DIR "/Parview", at("Parview"))); }
    QString at(const QString& name) const { return root.filePath(name); }

    void trajexScript(const char* body)
    {
        QFile f(at("Trajex"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("#!/bin/sh\n") + body + "\n");
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Runs the copy in its own directory; returns its output and keeps its exit status.
    QString run(const QStringList& args)
    {
        qunsetenv("QMX_SWING_MODE");
        QProcess p;
        p.setWorkingDirectory(root.path());
        p.start(at("Parview"), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        status = p.exitCode();
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

    QTemporaryDir root;
    int status = 0;
};

TEST_F(StandIn, EachFailureIsPrintedAndExitsWithMinusOne)
{
    const QString noOutput = "The simulation did not create the output file: ";
    const std::tuple<const char*, QString, QString> rows[] = {
        {nullptr, "Unable to launch the simulation: \"" + at("Trajex") + "\" \"", "swing.out\" \n"},
        {"echo 'bad input' >&2\necho 'some output'\nexit 3",
         "The simulation returned with an error code:\nbad input\n\nsome output\n\n", ""},
        {"cp \"$1\" \"$2\"\ntouch -d '2001-01-01 00:00' \"$2\"", noOutput, "/swing.out\n"},
        {"echo \"$# $(stat -c '%a %n' \"$(dirname \"$1\")\")\" > args.txt", noOutput,
         "/swing.out\n"},
        {"echo $$ > pid.txt\nexec sleep 60", noOutput, "/swing.out\n"}, // outlives the wait
    };
    for (const auto& [script, head, tail] : rows) {
        if (script)
            trajexScript(script);
        const QString out = run({"-putt"});
        EXPECT_EQ(status, 255) << out.toStdString();
        EXPECT_TRUE(out.startsWith(head) && out.endsWith(tail)) << out.toStdString();
    }
    // Two arguments (no mode word); the files lie in an owner-only directory of
    // the run's own (not the shared one), removed at the end.
    const QStringList args = readAll(at("args.txt")).split(' ');
    ASSERT_EQ(args.size(), 3);
    EXPECT_EQ(args[0] + args[1], "2700");
    EXPECT_FALSE(QFileInfo::exists(args[2].trimmed())) << "left behind";

    const int pid = readAll(at("pid.txt")).trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(QFileInfo::exists(QString("/proc/%1").arg(pid))) << "hung child not killed";
}

TEST_F(StandIn, BatchSwingAndPuttWithTheRealTrajex)
{
    ASSERT_TRUE(QFile::copy(QUILLMOOR_BIN_DIR "/Trajex", at("Trajex")));
    EXPECT_EQ(run({"-swing", "s.txt", "-putt", "p.txt"}), "");
    EXPECT_EQ(status, 0);
    for (const char* name : {"swing.png", "swing_puttview.png", "putt.png"})
        EXPECT_GT(QImage(at(name)).width(), 100) << name;

    // The swing's file is written before the putt runs from where the ball stopped.
    SwingModel swing(false), putt(false);
    ASSERT_TRUE(swing.read(at("s.txt").toStdString()) && putt.read(at("p.txt").toStdString()));
    EXPECT_GT(swing.teeShot.size(), 100u);
    EXPECT_TRUE(swing.puttShot.empty());
    EXPECT_GT(putt.puttShot.size(), 1u);
    EXPECT_EQ(putt.teeShot.size(), swing.teeShot.size());
}

} // namespace
