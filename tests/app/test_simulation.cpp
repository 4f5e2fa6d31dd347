// Running the simulator: a real swing and putt with the built Trajex, the
// failure reports, the working directory and batch mode end to end. Failures
// are provoked by running a copy of Parview beside a stand-in Trajex script.

#include "SimulationRunner.h"
#include "test_window_support.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <csignal>
#include <sys/stat.h>
#include <tuple>

namespace {

// A stand-in Trajex: a shell script.
void writeScript(const QString& path, const QByteArray& body)
{
    writeFile(path, "#!/bin/sh\n" + body + "\n",
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
    EXPECT_EQ(time->maximum(), teeSteps - 1);
    EXPECT_EQ(time->value(), teeSteps - 1); // hidden: the ball rests at the end

    child<QGroupBox>("grpPutt")->setChecked(true);
    child<QPushButton>("btnPutt")->click();
    ASSERT_GT(m.puttShot.size(), 1u);
    EXPECT_EQ(time->maximum(), int(m.puttShot.size()) - 1);
    EXPECT_NEAR(m.puttShot.begin()->second.x, m.teeShot.back().second.x, 1e-6);
}

// Runs in a shown window: the run goes on while the event loop does.
class VisibleRun : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QString shots() const { return child<QLabel>("infoShot")->text(); }
    // Presses Swing and waits for the shot count to reach `count`; returns the
    // number of message boxes that came up meanwhile.
    int swingUntil(int count)
    {
        return answerModals([&] {
            child<QPushButton>("btnSwing")->click();
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return shots() == QString("Shot count: %1").arg(count); }, 8000));
        });
    }
};

// The working files lie beside the model's file, which an interactive run
// leaves alone. Parview writes over no file it did not make itself in this
// session: a directory in the way of the input file or a user's own file in
// place of the output send the run to the private directory.
TEST_F(VisibleRun, WorkingFilesBesideTheModelUnlessAUsersFileIsThere)
{
    QTemporaryDir dir;
    const QString model = dir.filePath("model.txt");
    ASSERT_TRUE(QFile::copy(QUILLMOOR_EXAMPLES "/hole4-teeshot.txt", model));
    const QString original = readAll(model);
    window->loadModel(model);
    EXPECT_EQ(swingUntil(1), 0);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("swing.in")));
    EXPECT_TRUE(readAll(dir.filePath("swing.out")).contains("Exit Code: 1"));
    // The files a run made are its own to use again.
    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(20);
    EXPECT_EQ(swingUntil(2), 0);
    EXPECT_TRUE(readAll(dir.filePath("swing.out")).contains("TeeLaunchAngle: 20.0"));
    EXPECT_EQ(readAll(model), original);

    ASSERT_TRUE(QFile::remove(dir.filePath("swing.out")));
    writeFile(dir.filePath("swing.out"), "mine now\n");
    EXPECT_EQ(swingUntil(3), 0);
    EXPECT_EQ(readAll(dir.filePath("swing.out")), "mine now\n");

    ASSERT_TRUE(QFile::remove(dir.filePath("swing.in")) &&
                QFile::remove(dir.filePath("swing.out")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("swing.in"));
    EXPECT_EQ(swingUntil(4), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("swing.out")));
}

// A stand-in Trajex (a shell script) for a shown window's runs.
class VisibleStandIn : public VisibleRun
{
protected:
    void useScript(const QByteArray& body, int finishLimitMs = 5000)
    {
        writeScript(dir.filePath("Trajex"), body);
        auto* runner = window->findChild<SimulationRunner*>();
        ASSERT_NE(runner, nullptr);
        runner->programDir = dir.path();
        runner->finishLimitMs = finishLimitMs;
    }
    bool alive(const char* pidFile) const
    {
        const int pid = readAll(dir.filePath(pidFile)).trimmed().toInt();
        EXPECT_GT(pid, 0);
        return pid > 0 && QFileInfo::exists(QString("/proc/%1").arg(pid));
    }

    QTemporaryDir dir;
};

// A failed run is reported and leaves the last good shot as it was.
TEST_F(VisibleStandIn, AFailedRunKeepsThePreviousShot)
{
    ASSERT_EQ(swingUntil(1), 0); // the real Trajex
    const int steps = model().teeShot.size();
    const Vector3 last = model().teeShot.back().second;

    const QString pid = "echo $$ > \"" + dir.filePath("pid") + "\"\n";
    // A run stopped at the limit is asked first, and may remove the file it
    // was writing, as Trajex does.
    const QString partial = dir.filePath("partial");
    const QString writing = "touch '" + partial + "'\ntrap 'rm -f \"" + partial +
                            "\"; kill $!; exit 143' TERM\nsleep 60 &\nwait\n";
    const std::tuple<QByteArray, int, QString> rows[] = {
        {"grep -v '^Exit Code' \"$1\" > \"$2\"", 5000, "Unable to read output file: "},
        {(pid + writing).toUtf8(), 300,
         "The simulation took too long: it was stopped after 0.3 seconds without a result."},
    };
    for (const auto& [script, limit, message] : rows) {
        useScript(script, limit);
        QString text;
        const int boxes = answerModals(
            [&] {
                child<QPushButton>("btnSwing")->click();
                EXPECT_TRUE(QTest::qWaitFor(
                    [&] { return child<QPushButton>("btnSwing")->isEnabled(); }, 5000));
            },
            {[&](QWidget* w) {
                if (auto* box = qobject_cast<QMessageBox*>(w))
                    text = box->text();
            }});
        EXPECT_EQ(boxes, 1) << script.constData();
        EXPECT_TRUE(text.startsWith(message)) << text.toStdString();
        EXPECT_EQ(model().teeShot.size(), steps);
        EXPECT_EQ(model().teeShot.back().second, last);
    }
    EXPECT_FALSE(alive("pid")) << "the stopped child is killed and reaped";
    EXPECT_FALSE(QFileInfo::exists(partial)) << "stopped without a chance to clean up";
}

// The window stays alive while the simulator works, with what would start
// another run disabled; closed, it kills the run.
TEST_F(VisibleStandIn, ClosingTheWindowKillsTheChild)
{
    useScript(("echo $$ > \"" + dir.filePath("pid") + "\"\nexec sleep 60").toUtf8());
    child<QPushButton>("btnSwing")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(dir.filePath("pid")).size() > 0; }, 3000));
    EXPECT_TRUE(alive("pid"));
    for (const char* name : {"btnSwing", "btnPutt"})
        EXPECT_FALSE(child<QWidget>(name)->isEnabled()) << name;
    EXPECT_FALSE(child<QAction>("actionOpen")->isEnabled()); // Ctrl+O neither
    EXPECT_EQ(answerModals([&] { window->close(); }), 0);
    EXPECT_FALSE(alive("pid")) << "killed and reaped before the window is gone";
}

class StandIn : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(QFile::copy(QUILLMOOR_BIN_DIR "/Parview", at("Parview"))); }
    QString at(const QString& name) const { return root.filePath(name); }

    void trajexScript(const char* body) { writeScript(at("Trajex"), body); }

    // Runs the copy (in its own directory unless `cwd` is given); returns its
    // output and keeps its exit status and error output.
    QString run(const QStringList& args, const QString& mode = QString(),
                const QString& cwd = QString())
    {
        QProcess p;
        start(p, args, mode, cwd);
        EXPECT_TRUE(p.waitForFinished(60000));
        status = p.exitCode();
        errors = QString::fromLocal8Bit(p.readAllStandardError());
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    void start(QProcess& p, const QStringList& args, const QString& mode = QString(),
               const QString& cwd = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QMX_SWING_MODE");
        if (!mode.isEmpty())
            env.insert("QMX_SWING_MODE", mode);
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(cwd.isEmpty() ? root.path() : cwd);
        p.start(at("Parview"), args);
    }
    void copyExample(const char* example, const QString& name)
    {
        writeFile(at(name), readAll(QStringLiteral(QUILLMOOR_EXAMPLES "/") + example));
    }

    QTemporaryDir root;
    int status = 0;
    QString errors;
};

TEST_F(StandIn, EachFailureIsPrintedAndExitsWithMinusOne)
{
    const QString noOutput = "The simulation did not create the output file: ";
    const QString noResult = "Unable to read output file: ";
    const std::tuple<const char*, QString, QString> rows[] = {
        {nullptr, "Unable to launch the simulation: \"" + at("Trajex") + "\" \"", "swing.out\" \n"},
        {"echo 'bad input' >&2\necho 'some output'\nexit 3",
         "The simulation returned with an error code:\nbad input\n\nsome output\n\n", ""},
        {"cp \"$1\" \"$2\"\ntouch -d '2001-01-01 00:00' \"$2\"", noOutput, "/swing.out\n"},
        {"echo \"$# $(stat -c '%a %n' \"$(dirname \"$1\")\")\" > args.txt", noOutput,
         "/swing.out\n"},
        {"echo $$ > pid.txt\nexec sleep 60", // outlives the wait
         "The simulation took too long: it was stopped after 5 seconds without a result.\n", ""},
        // Output that holds no result of the putt that was asked for.
        {"cp \"$1\" \"$2\"\nprintf 'Exit Code: 1\\n' >> \"$2\"", noResult, "/swing.out\n"},
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
    const QStringList args = QString(readAll(at("args.txt"))).split(' ');
    ASSERT_EQ(args.size(), 3);
    EXPECT_EQ(args[0] + args[1], "2700");
    EXPECT_FALSE(QFileInfo::exists(args[2].trimmed())) << "left behind";

    const int pid = readAll(at("pid.txt")).trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(QFileInfo::exists(QString("/proc/%1").arg(pid))) << "hung child not killed";

    // No private directory can be made, where TMPDIR names a file or nothing:
    // the input cannot be written anywhere.
    const bool hadTmp = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray tmp = qgetenv("TMPDIR");
    for (const QString& name : {at("args.txt"), at("missing")}) {
        qputenv("TMPDIR", name.toLocal8Bit());
        EXPECT_TRUE(run({"-swing"}).startsWith("Unable to write input file: "))
            << name.toStdString();
        EXPECT_EQ(status, 255);
    }
    hadTmp ? qputenv("TMPDIR", tmp) : qunsetenv("TMPDIR");
    EXPECT_FALSE(QFileInfo::exists("/Parview-unavailable"));
}

TEST_F(StandIn, TheModeWordsArriveOneByOne)
{
    trajexScript("printf '%s|' \"$#\" \"$3\" \"$4\" > args.txt\nexit 1");
    // Nothing after the files for complex, as it always was; the variable's
    // words exactly when it is set.
    const std::pair<QString, QString> rows[] = {
        {"", "2|||"},
        {"simple noResults", "4|simple|noResults|"},
    };
    for (const auto& [mode, args] : rows) {
        run({"-swing"}, mode);
        EXPECT_EQ(readAll(at("args.txt")), args) << mode.toStdString();
    }
}

// The command line: -cwd, the first file that is a model, data-file names
// after -swing and -putt, and files that are not models.
TEST_F(StandIn, CommandLine)
{
    ASSERT_TRUE(QFile::copy(QUILLMOOR_BIN_DIR "/Trajex", at("Trajex")));
    copyExample("hole3-teeshot.txt", "three.txt");
    copyExample("hole2-putt.txt", "two.txt");
    const QByteArray junkBytes = QByteArray(5000, '\x07') + "HoleId: 1\n";
    writeFile(at("junk.bin"), junkBytes);
    // Refused with no other model loaded: nothing runs, no picture of the
    // built-in hole, no data file.
    QString out = run({"junk.bin", "-swing", "s.txt", "-putt", "p.txt"});
    EXPECT_EQ(status, 255);
    EXPECT_TRUE(out.startsWith("Not a model data file: junk.bin\n")) << out.toStdString();
    EXPECT_EQ(QDir(root.path()).entryList(QDir::Files).size(), 5) << "Parview, Trajex, 3 models";

    // A file that is no model is refused aloud and left as it was; the run
    // goes on with the next model, which alone serves as input and output.
    out = run({"missing.txt", "junk.bin", "three.txt", "two.txt", "-putt", "-x"});
    EXPECT_EQ(status, 255);
    EXPECT_TRUE(out.startsWith("Unable to read file: missing.txt (No such file or directory)\n"
                               "Not a model data file: ") &&
                out.contains("junk.bin"))
        << out.toStdString();
    EXPECT_TRUE(errors.contains("junk.bin")) << errors.toStdString();
    EXPECT_EQ(readAll(at("junk.bin")), junkBytes);
    EXPECT_FALSE(QFileInfo::exists(at("-x")));
    SwingModel three(false), two(false);
    ASSERT_TRUE(three.read(at("three.txt").toStdString()) && two.read(at("two.txt").toStdString()));
    EXPECT_EQ(three.hole.HoleId, 3);
    EXPECT_GT(three.puttShot.size(), 1u) << "the model file holds the putt's results";
    EXPECT_EQ(two.puttShot.size(), 0u) << "a later model file is not touched";

    // -cwd as the first two words: the images and the data files go there.
    // The swing's file is written before the putt runs from where the ball
    // stopped.
    QTemporaryDir elsewhere;
    out = run({"-cwd", root.path(), "-swing", "s.txt", "-putt", "p.txt"}, {}, elsewhere.path());
    EXPECT_EQ(out, "");
    EXPECT_EQ(status, 0);
    for (const char* name : {"swing.png", "swing_puttview.png", "putt.png"})
        EXPECT_GT(QImage(at(name)).width(), 100) << name;
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    SwingModel swing(false), putt(false);
    ASSERT_TRUE(swing.read(at("s.txt").toStdString()) && putt.read(at("p.txt").toStdString()));
    EXPECT_GT(swing.teeShot.size(), 100u);
    EXPECT_TRUE(swing.puttShot.empty());
    EXPECT_GT(putt.puttShot.size(), 1u);
    EXPECT_EQ(putt.teeShot.size(), swing.teeShot.size());

    // A data-file name that exists and is no model is not overwritten.
    out = run({"-swing", "junk.bin"});
    EXPECT_EQ(status, 255);
    EXPECT_EQ(readAll(at("junk.bin")), junkBytes);
}

// A data file that cannot be written is reported with the reason; the
// pictures made before it may stay.
TEST_F(StandIn, DataFilesThatCannotBeWrittenAreReported)
{
    ASSERT_TRUE(QFile::copy(QUILLMOOR_BIN_DIR "/Trajex", at("Trajex")));
    ASSERT_TRUE(QDir(root.path()).mkdir("adir"));
    const QString head = "Unable to write data file: ";
    const std::pair<QStringList, QString> rows[] = {
        {{"-swing", "/dev/full"}, "/dev/full (No space left on device)\n"},
        {{"-swing", "nodir/x.txt"}, "nodir/x.txt (No such file or directory)\n"},
        {{"-swing", "adir"}, "adir (Is a directory)\n"},
        {{"-putt", "nodir/p.txt"}, "nodir/p.txt (No such file or directory)\n"},
    };
    for (const auto& [args, message] : rows) {
        EXPECT_EQ(run(args).toStdString(), (head + message).toStdString());
        EXPECT_EQ(status, 255) << message.toStdString();
    }
    EXPECT_TRUE(QDir(at("adir")).isEmpty());
}

// What is not a regular file is written into without being read first: a
// FIFO and standard output (a pipe or a file) get what a file would.
TEST_F(StandIn, DataFileIntoAFifoOrStandardOutput)
{
    ASSERT_TRUE(QFile::copy(QUILLMOOR_BIN_DIR "/Trajex", at("Trajex")));
    ASSERT_EQ(run({"-swing", "s.txt"}), "");
    const QByteArray model = readAll(at("s.txt"));
    ASSERT_TRUE(model.contains("\nHoleId: 1\n")) << model.left(300).constData();
    // Equal, without printing half a megabyte when not.
    const auto same = [&](const QByteArray& bytes) {
        return bytes == model ? std::string("same") : std::to_string(bytes.size()) + " bytes";
    };

    ASSERT_EQ(::mkfifo(QFile::encodeName(at("pf")).constData(), 0600), 0);
    QProcess reader;
    reader.setStandardOutputFile(at("from-fifo.txt"));
    reader.start("cat", {at("pf")});
    ASSERT_TRUE(reader.waitForStarted());
    EXPECT_EQ(run({"-swing", "pf"}), "");
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(reader.waitForFinished(10000));
    EXPECT_EQ(same(readAll(at("from-fifo.txt"))), "same");

    EXPECT_EQ(same(run({"-swing", "/dev/stdout"}).toLocal8Bit()), "same");
    EXPECT_EQ(status, 0);
    QProcess toFile;
    toFile.setStandardOutputFile(at("out.txt"));
    start(toFile, {"-swing", "/dev/stdout"});
    EXPECT_TRUE(toFile.waitForFinished(60000));
    EXPECT_EQ(toFile.exitCode(), 0);
    EXPECT_EQ(same(readAll(at("out.txt"))), "same");
}

// Ended by a signal while the simulator runs, batch mode stops the simulator
// and removes its private folder of working files.
TEST_F(StandIn, ASignalLeavesNoWorkingFilesBehind)
{
    const QString started = at("started.txt");
    writeScript(at("Trajex"), ("echo \"$$ $1\" > \"" + started + ".new\"\nmv \"" + started +
                               ".new\" \"" + started + "\"\nexec sleep 60")
                                  .toUtf8());
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        QFile::remove(started);
        QProcess p;
        start(p, {"-swing"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(started); }, 30000));
        const QList<QByteArray> child = readAll(started).trimmed().split(' ');
        ASSERT_EQ(child.size(), 2);
        const QString dir = QFileInfo(QString::fromLocal8Bit(child[1])).path();
        ASSERT_TRUE(dir.contains("/Parview-") && QFileInfo(dir).isDir()) << dir.toStdString();

        ASSERT_EQ(::kill(pid_t(p.processId()), signal), 0);
        EXPECT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::CrashExit) << signal;
        EXPECT_FALSE(QFileInfo::exists(dir)) << signal;
        const pid_t sleeper = child[0].toInt();
        EXPECT_FALSE(QFileInfo::exists(QString("/proc/%1").arg(sleeper))) << signal;
        ::kill(sleeper, SIGKILL); // not left running when the test fails
    }
}

// In batch mode a model named that cannot be read is refused as one that is
// no model is: said with the reason, nothing run, nothing written. So is a
// working directory that cannot be used.
TEST_F(StandIn, ModelsAndDirectoriesThatCannotBeUsedAreRefused)
{
    ASSERT_TRUE(QFile::copy(QUILLMOOR_BIN_DIR "/Trajex", at("Trajex")));
    const QString nothingRun = "Nothing was run: no model file could be loaded.\n";
    const std::pair<QStringList, QString> rows[] = {
        {{"nonexist.txt", "-swing", "s.txt"},
         "Unable to read file: nonexist.txt (No such file or directory)\n" + nothingRun},
        {{".", "-swing", "s.txt"}, "Unable to read file: . (Is a directory)\n" + nothingRun},
        {{"/dev/zero", "-putt", "s.txt"},
         "Unable to read file: /dev/zero (not a regular file)\n" + nothingRun},
        {{"-cwd", "/nonexist", "-swing", "s.txt"},
         "Unable to use the directory: /nonexist (No such file or directory)\n"},
    };
    for (const auto& [args, message] : rows) {
        EXPECT_EQ(run(args).toStdString(), message.toStdString());
        EXPECT_EQ(status, 255) << message.toStdString();
        EXPECT_EQ(QDir(root.path()).entryList(QDir::Files).size(), 2) << message.toStdString();
    }
}

} // namespace
