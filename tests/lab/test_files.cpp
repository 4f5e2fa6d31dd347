// Shotlab's files: what every command takes for a model, and where its output
// goes (files replaced in one step, FIFOs and devices written into, standard
// output and its failures, outputs that would destroy an input, signals).

#include "../../lab/src/OutputStreams.h"
#include "../FifoReader.h"
#include "LabTest.h"
#include "SweepChart.h"
#include "SweepPlot.h"
#include "SwingModel.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

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
    const std::string junk = std::string("\x7f"
                                         "ELF\0\x01\xff\n:",
                                         9) +
                             std::string(20000, '\x90');
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
                         ::testing::Values(Args{"summary", "--json", "MODEL"},
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
    Args{"summary", "SHOT"}, Args{"read-putt", "--json", kModel}, Args{"sweep", "--help"},
    Args{"dispersion", kModel, "--shots", "3", "--sd", "PuttBallSpeed=0.1"},
    Args{"range", "--speed", "120", "--launch", "16", "--spin", "7000", "--json"},
    sweepWith({}), sweepWith({"--csv", "-"})));
// clang-format on

// An output that names the model, however spelled, would destroy it: refused
// as a usage error before anything is read or written.
TEST_F(ShotlabFiles, AnOutputThatIsTheModelIsRefused)
{
    const std::string model = put("m.txt", readAll(kModel));
    fs::create_symlink(model, path("link.txt"));
    fs::create_hard_link(model, path("hard.txt"));
    const std::vector<std::string> sweep = {"sweep", model, "--vary", "TeeBallSpeed=90:91:1"};
    const std::vector<std::string> cases[] = {
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
}

// Two outputs into one file, however spelled, are refused before either
// exists: the second would overwrite the first.
TEST_F(ShotlabFiles, TwoOutputsIntoOneFileAreRefusedBeforeEitherExists)
{
    const std::string model = put("m.txt", readAll(kModel));
    fs::create_directory(path("sub"));
    const std::vector<std::string> sweep = {"sweep", model, "--vary", "TeeBallSpeed=100:110:5"};
    const std::vector<std::string> cases[] = {
        joined(sweep, {"--csv", path("a.csv"), "--json", (dir / "." / "a.csv").string()}),
        joined(sweep, {"--json", path("j.json"), "--plot", (dir / "." / "j.json").string()}),
        joined(sweep, {"--csv", path("a.csv"), "--chart", "carry_yd:" + path("sub/../a.csv")}),
        {"dispersion", model, "--shots", "3", "--sd", "TeeBallSpeed=1", "--csv", path("a.csv"),
         "--json", path("sub/../a.csv")},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(run(args, fakePictures()), 2);
        EXPECT_THAT(err, HasSubstr("name the same file"));
    }
    // Relative to the working folder, as typed.
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    EXPECT_EQ(run(joined(sweep, {"--csv", "a.csv", "--json", "./a.csv"})), 2);
    fs::current_path(before);
    EXPECT_THAT(err, HasSubstr("name the same file"));
    EXPECT_EQ(names(), (std::vector<std::string>{"m.txt", "sub"}));
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
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int held = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    const pid_t pid = startShotlab({"sweep", kModel, "--vary", "PuttTargetAngle=-50:50:0.01",
                                    "--jobs", "1", "--csv", fifo, "--json", path("rows.json")});
    ASSERT_GE(pid, 0);
    int pending = 0;
    EXPECT_TRUE(waitFor([&] { return ::ioctl(held, FIONREAD, &pending) == 0 && pending >= 65536; }))
        << "the FIFO never filled";
    EXPECT_EQ(names().size(), 2u); // the FIFO and the temporary file

    // Again and again until it ends: the first Ctrl+C only asks the sweep to
    // stop, any further one ends it.
    const int status = endOf(pid, GetParam());
    ::close(held);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), GetParam());
    EXPECT_EQ(names(), std::vector<std::string>{"pipe"});
}

INSTANTIATE_TEST_SUITE_P(Signals, Stopped, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "Term"
                                                : info.param == SIGHUP ? "HangUp"
                                                                       : "CtrlCTwice");
                         });
