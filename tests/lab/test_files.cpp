// Shotlab's files: what every command takes for a model, and where its output
// goes (files replaced in one step, FIFOs and devices written into, standard
// output and its failures, outputs that would destroy an input, signals).

#include "../../lab/src/OutputStreams.h"
#include "../FifoReader.h"
#include "LabTest.h"
#include "SweepChart.h"
#include "SweepPlot.h"
#include "SwingModel.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>

using namespace quillmoor;
using namespace quillmoor::labtest;

namespace {

const std::string kModel = QUILLMOOR_SOURCE_DIR "/examples/hole1-putt.txt";

class ShotlabFiles : public LabTest
{
};

// Every command takes only a model: prose, binary junk and a file that never
// ends are refused with the file's name, exit 1, and nothing is printed.
class NotAModel : public ShotlabFiles,
                  public ::testing::WithParamInterface<std::vector<std::string>>
{
};

TEST_P(NotAModel, IsRefusedWithTheFilesName)
{
    std::mt19937 rng(5);
    std::string junk(20000, '\0');
    for (char& c : junk)
        c = static_cast<char>(rng());
    const std::pair<std::string, const char*> files[] = {
        {put("README.md", "# Notes\n\nHoleId: 1 is the first hole.\nSee the manual.\n"),
         "not a model data file"},
        {put("junk.bin", junk), "not a model data file"},
        {"/dev/zero", "longer than 256 MB"},
    };
    for (const auto& [file, message] : files) {
        SCOPED_TRACE(file);
        std::vector<std::string> args = GetParam();
        std::replace(args.begin(), args.end(), std::string("MODEL"), file);
        EXPECT_EQ(run(args), 1);
        EXPECT_THAT(err, HasSubstr(file + ": " + message));
        EXPECT_TRUE(out.empty() || out == "[]\n") << out;
    }
}

using Args = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(Commands, NotAModel,
                         ::testing::Values(Args{"summary", "MODEL"},
                                           Args{"summary", "--json", "MODEL"},
                                           Args{"sweep", "MODEL", "--vary", "TeeBallSpeed=90:91:1"},
                                           Args{"read-putt", "MODEL"}));

// A device node of our own where the system lets us make one (as root), so a
// writer that replaced it would only replace ours; else the system's.
std::string deviceNode(const fs::path& dir, const char* name, int minor)
{
    const std::string node = (dir / name).string();
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0)
        return node;
    return minor == 3 ? "/dev/null" : "/dev/full";
}

bool isDevice(const std::string& path, int minor)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
           st.st_rdev == makedev(1, minor);
}

// Pictures that need no Qt: the chart and the plot as a few bytes.
lab::Pictures fakePictures()
{
    lab::Pictures p;
    p.chart = [](const lab::SweepChart&, std::string& png, std::string&) {
        png = "chart";
        return true;
    };
    p.plot = [](const lab::SweepPlot&, std::string& png, std::string&) {
        png = "plot";
        return true;
    };
    p.thin = [](const Trajectory& shot) { return std::vector<Vector3>{shot.begin()->second}; };
    return p;
}

const std::vector<std::string> kSweep = {"sweep", kModel, "--vary", "PuttTargetAngle=0:2:1"};

std::vector<std::string> sweepWith(const std::vector<std::string>& more)
{
    return joined(kSweep, more);
}

} // namespace

// A FIFO gets the rows and stays a FIFO; a device is written into (a full one
// fails the sweep, exit 1, with the reason) and stays the device it was.
TEST_F(ShotlabFiles, FifosAndDevicesAreWrittenIntoNotReplaced)
{
    ASSERT_TRUE(ok(run(sweepWith({"--csv", "-"}))));
    const std::string rows = out;

    const std::string fifo = path("pipe");
    FifoReader reader(fifo);
    ASSERT_TRUE(reader.ok());
    EXPECT_TRUE(ok(run(sweepWith({"--csv", fifo}))));
    EXPECT_EQ(reader.text(), rows);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    const std::string null = deviceNode(dir, "null", 3), full = deviceNode(dir, "full", 7);
    EXPECT_TRUE(ok(run(sweepWith({"--csv", null}))));
    for (const char* option : {"--csv", "--json"}) {
        EXPECT_EQ(run(sweepWith({option, full})), 1);
        EXPECT_THAT(err, HasSubstr(full + ": No space left on device"));
    }
    EXPECT_TRUE(isDevice(null, 3));
    EXPECT_TRUE(isDevice(full, 7));
    for (const std::string& name : names())
        EXPECT_TRUE(name == "pipe" || name == "null" || name == "full") << name;
}

// What standard output cannot take is an error of the command (exit 1), said
// on standard error, for every command and every way rows reach it.
class StandardOutput : public ShotlabFiles,
                       public ::testing::WithParamInterface<std::vector<std::string>>
{
};

TEST_P(StandardOutput, AFailedWriteIsReported)
{
    std::vector<std::string> args = GetParam();
    std::replace(args.begin(), args.end(), std::string("SHOT"),
                 put("shot.txt", "TeeShotSteps: 2\n0, 0, 0, 0\n1, 0, 10, 0\n"));
    // As the program's own standard output does.
    const std::string node = deviceNode(dir, "full", 7);
    const int fd = ::open(node.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    {
        lab::StandardOutputBuffer buffer(fd);
        std::ostream full(&buffer);
        std::ostringstream e;
        EXPECT_EQ(lab::runShotlab(args, full, e), 1);
        EXPECT_THAT(e.str(), HasSubstr("standard output: No space left on device"));
    }
    ::close(fd);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, StandardOutput, ::testing::Values(
    Args{"summary", "SHOT"}, Args{"summary", "--csv", "SHOT"}, Args{"read-putt", "--json", kModel},
    Args{"sweep", "--help"}, Args{"dispersion", kModel, "--shots", "3", "--sd", "PuttBallSpeed=0.1"},
    Args{"range", "--speed", "120", "--launch", "16", "--spin", "7000", "--json"},
    sweepWith({}), sweepWith({"--csv", "-"}), sweepWith({"--json", "-"})));
// clang-format on

// `--csv /dev/stdout >> all.csv` appends, as the shell was asked to.
TEST_F(ShotlabFiles, StandardOutputOpenForAppendingKeepsWhatItHeld)
{
    const std::string all = put("all.csv", "earlier,rows\n");
    std::string cmd = std::string("'") + SHOTLAB_EXE + "'";
    for (const std::string& a : sweepWith({"--csv", "/dev/stdout", "--no-header"}))
        cmd += " '" + a + "'";
    cmd += " >> '" + all + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    ASSERT_EQ(run(sweepWith({"--csv", "-", "--no-header"})), 0);
    EXPECT_EQ(readAll(all), "earlier,rows\n" + out);
}

// An output that names the model, however spelled, would destroy it: refused
// as a usage error before anything is read or written.
TEST_F(ShotlabFiles, AnOutputThatIsTheModelIsRefused)
{
    const std::string model = put("m.txt", readAll(kModel));
    fs::create_symlink(model, path("link.txt"));
    fs::create_hard_link(model, path("hard.txt"));
    const std::vector<std::string> sweep = {"sweep", model, "--vary", "TeeBallSpeed=90:91:1"};
    const std::vector<std::string> cases[] = {
        joined(sweep, {"--csv", model}),
        joined(sweep, {"--json", model}),
        joined(sweep, {"--plot", model}),
        joined(sweep, {"--chart", "carry_yd:" + model}),
        joined(sweep, {"--csv", path("link.txt")}),
        joined(sweep, {"--json", path("hard.txt")}),
        joined(sweep, {"--csv", (dir / "." / "m.txt").string()}),
        // The same rule for every command that writes files.
        {"dispersion", model, "--shots", "3", "--sd", "TeeBallSpeed=1", "--json", path("link.txt")},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(run(args, fakePictures()), 2);
        EXPECT_THAT(err, HasSubstr("is the model"));
    }
    EXPECT_EQ(readAll(model), readAll(kModel));
    EXPECT_EQ(names(), (std::vector<std::string>{"hard.txt", "link.txt", "m.txt"}));

    // Two outputs into one file, by another name.
    put("a.csv", "keep\n");
    EXPECT_EQ(run(sweepWith({"--csv", path("a.csv"), "--json", (dir / "." / "a.csv").string()})),
              2);
    EXPECT_THAT(err, HasSubstr("name the same file"));
    EXPECT_EQ(readAll(path("a.csv")), "keep\n");
}

// Every output is opened before the first shot: a chart that cannot be
// written stops the sweep at once, and nothing else is written.
TEST_F(ShotlabFiles, EveryOutputIsCheckedBeforeTheFirstShot)
{
    EXPECT_EQ(run(sweepWith({"--csv", path("rows.csv"), "--chart",
                             "roll_time_s:" + path("no/such/c.png")}),
                  fakePictures()),
              1);
    EXPECT_THAT(err, HasSubstr("no/such/c.png: No such file or directory"));
    EXPECT_TRUE(names().empty());

    // A file that exists in a directory that takes no new file: the message
    // says that, not that the file is missing.
    EXPECT_EQ(run(sweepWith({"--csv", "/proc/version"})), 1);
    EXPECT_THAT(err, HasSubstr("/proc/version: cannot create a new file in /proc"));
}

// However the program is stopped, no temporary file is left beside the
// target: SIGTERM, SIGHUP, or Ctrl+C twice.
class Stopped : public ShotlabFiles, public ::testing::WithParamInterface<int>
{
};

TEST_P(Stopped, LeavesNoTemporaryFile)
{
    // The CSV goes into a FIFO that is never read: once it is full the sweep
    // waits there (at the latest when it completes the CSV, before the JSON),
    // the JSON's temporary file beside its target, for as long as the test
    // needs, whatever the load of the machine.
    const std::string fifo = path("pipe"), json = path("rows.json");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int held = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::execl(SHOTLAB_EXE, SHOTLAB_EXE, "sweep", kModel.c_str(), "--vary",
                "PuttTargetAngle=-50:50:0.01", "--jobs", "1", "--csv", fifo.c_str(), "--json",
                json.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int pending = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((::ioctl(held, FIONREAD, &pending) != 0 || pending < 65536) &&
           std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(pending, 65536) << "the FIFO never filled";
    EXPECT_EQ(names().size(), 2u); // the FIFO and the temporary file

    // Again and again until it ends: the first Ctrl+C only asks the sweep to
    // stop, any further one ends it.
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "not stopped";
        }
        ::kill(pid, GetParam());
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::close(held);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_EQ(names(), std::vector<std::string>{"pipe"});
}

INSTANTIATE_TEST_SUITE_P(Signals, Stopped, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGHUP ? "HangUp"
                                                                       : "CtrlCTwice");
                         });
