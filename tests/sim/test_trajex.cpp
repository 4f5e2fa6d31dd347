// The Trajex program end to end: arguments, messages, exit status, files.

#include "../FifoReader.h"

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

// Trajex IN OUT words...: the input file's text ("<dir>": a directory in its
// place), the exit status, a piece of standard error, and for a success a
// line (or run of lines) the output must hold and a text it must not hold.
struct Case
{
    const char* name;
    std::string input;
    std::vector<std::string> words;
    int status;
    std::string message, line = "", absent = "";
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

// A scratch directory with in.txt and out.txt; the rows of the tables below.
class TrajexRun : public ::testing::TestWithParam<Case>
{
protected:
    std::string name = ::testing::TempDir() + "trajexXXXXXX";
    const fs::path dir = ::mkdtemp(name.data()), in = dir / "in.txt", out = dir / "out.txt";
    std::string err;    // standard error of the last run
    std::string prefix; // put before the program: another user, say

    void TearDown() override { fs::remove_all(dir); }

    // Returns the exit status. Nothing may ever appear on standard output.
    int run(const std::vector<std::string>& args)
    {
        std::string cmd = prefix + "'" + TRAJEX_EXE + "'";
        for (const auto& a : args)
            cmd += " '" + a + "'";
        const fs::path o = dir / "stdout", e = dir / "stderr";
        const int status = std::system((cmd + " >" + o.string() + " 2>" + e.string()).c_str());
        err = slurp(e);
        EXPECT_EQ(slurp(o), "");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void check(const Case& c)
    {
        if (c.input == "<dir>")
            fs::create_directory(in);
        else
            std::ofstream(in, std::ios::binary) << c.input;
        std::vector<std::string> args{in, out};
        args.insert(args.end(), c.words.begin(), c.words.end());
        EXPECT_EQ(run(args), c.status) << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        ASSERT_EQ(fs::exists(out), c.status == 0); // only a success writes
        const std::string text = "\n" + slurp(out);
        EXPECT_TRUE(c.status || text.find("\n" + c.line + "\n") != std::string::npos) << c.line;
        EXPECT_TRUE(c.absent.empty() || text.find(c.absent) == std::string::npos) << c.absent;
    }
};

const char* const kHoledPutt =
    "PuttEnabled: 1\nBallPos: -15, 153, -7\nPuttBallSpeed: 2\nTeeShotSteps: 1\n 0, 1, 2, 3\n";

using OptionWord = TrajexRun;
using BadInputTable = TrajexRun;

} // namespace

TEST_P(OptionWord, SetsItsOneSetting)
{
    check(GetParam());
}

// Only the first word after the paths is looked at; an unknown one is ignored.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Trajex, OptionWord,
    ::testing::Values(
        Case{"None", "BallPos: 1, 2, 3\n", {}, 0, "", "\nExit Code: 1\n# The golf swing simulation was completed successfully.", "BallPos: 1.0"},
        Case{"Simple", "BallPos: 1, 2, 3\n", {"simple"}, 0, "", "TeeShotSteps: 4446"},
        Case{"Unknown", "BallPos: 1, 2, 3\n", {"fast"}, 0, "", "TeeShotSteps: 12463", "BallPos: 1.0"},
        Case{"CaseMatters", "", {"Simple", "simple"}, 0, "", "TeeShotSteps: 12463"},
        Case{"NoResults", "", {"noResults"}, 0, "", "FirstImpact:   7590, -3.68952430, 108.28424674, -5.63543045\nFirstImpactDistanceToGreen: 42.1139\n\nExit Code: 1", "ShotSteps"},
        Case{"KeepPosition", "BallPos: 1, 2, 3\n", {"keepPosition"}, 0, "", "BallPos: 0.00000000, 0.00000000, 0.00000000"},
        Case{"SetPosition", "BallPos: 1, 2, 3\n", {"setPosition"}, 0, "", "BallPos: -5.29605990, 120.30854953, -5.92807887"},
        Case{"WriteResults", "BallPos: 1, 2, 3\n", {"writeResults"}, 0, "", "TeeShotSteps: 12463", "BallPos: 1.0"},
        // A putt keeps the tee shot it was given; holed, the ball is the hole.
        Case{"PuttKeepsTheTeeShot", kHoledPutt, {}, 0, "", "TeeShotSteps: 1\n     0, 1.00000000, 2.00000000, 3.00000000\n\nPuttShotSteps: 916"},
        Case{"HoledPuttBallIsTheHole", kHoledPutt, {}, 0, "", "BallPos: -15.00000000, 154.00000000, -7.00000000"},
        // The realistic physics putts as the complex one.
        Case{"RealisticPuttIsTheComplexPutt", kHoledPutt, {"realistic"}, 0, "", "TeeShotSteps: 1\n     0, 1.00000000, 2.00000000, 3.00000000\n\nPuttShotSteps: 916"},
        Case{"RealisticThenSimple", "", {"realistic", "simple"}, 0, "", "\nExit Code: 1", "TeeShotSteps: 4446"},
        // The realistic shot lands, in the air of the model file, which the output carries
        // after the green's friction; in the standard air there are no air lines.
        Case{"RealisticInStandardAir", "HoleId: 4\n", {"realistic"}, 0, "", "GreenRho: 0.13100000\n\n# Tee-shot Data", "FirstImpact: -nil-"},
        Case{"RealisticInThinAir", "HoleId: 4\nTemperature: 85\nAltitude: 5280\nHumidity: 20\n", {"realistic"}, 0, "", "GreenRho: 0.13100000\nTemperature: 85.00000000\nAltitude: 5280.00000000\nHumidity: 20.00000000\n\n# Tee-shot Data", "FirstImpact: -nil-"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_P(BadInputTable, EndsAsDocumented)
{
    check(GetParam());
}

// The bad inputs of the README's table (the routines' refusals are in
// test_refusals.cpp, the reader's quirks in tests/model).
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Readme, BadInputTable,
    ::testing::Values(
        Case{"Directory", "<dir>", {}, 1, "Unable to open input file: "},
        Case{"BinaryJunk", "\x01\xff\x7f:\x80,\n\0\0TeeBallSpeed: 120\n\x1b[0m"s, {}, 0, ""},
        Case{"HugeLine", std::string(5 << 20, 'y') + "\nTeeLaunchAngle: 30", {}, 0, "", "TeeLaunchAngle: 30.00000000"},
        Case{"NaNComponent", "HolePos: nan, 154, -7\n", {}, 1, "HolePos x is not a finite number"},
        Case{"ZeroStep", "TimeStepSize: 0\n", {}, 1, "TimeStepSize must be a finite number above 0 for the complex swing\nUnable to perform calculations\n"},
        // Values that still run: the complex putt takes its own step (0.001 s; the simple
        // routines 0.1 s, see below), a ball struck at 0 mph in the simple mode drops at the tee.
        Case{"PuttZeroStep", "TimeStepSize: -1\nPuttEnabled: 1\nBallPos: -15, 150, -7\n", {}, 0, "", "PuttShotSteps: 4002"},
        Case{"SimpleZeroSpeed", "TeeBallSpeed: 0\n", {"simple"}, 0, "", "BallPos: -0.00000000, 0.00000000, -7.39764340"}),

    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(TrajexRun, MissingPathsPrintTheUsage)
{
    for (const auto& args : {std::vector<std::string>{}, {in}, {in, ""}, {"", "", in}}) {
        EXPECT_EQ(run(args), 1);
        EXPECT_EQ(err, "Usage:\n  Trajex infile outfile [mode:simple|complex]\n");
    }
}

TEST_F(TrajexRun, SameFileInAndOutIsOverwrittenOnlyBySuccess)
{
    std::ofstream(in) << "TimeStepSize: 0\n";
    EXPECT_EQ(run({in, in}), 1); // refused
    EXPECT_EQ(slurp(in), "TimeStepSize: 0\n");
    // Empty arguments are skipped; the simple swing takes 0.1 s steps.
    EXPECT_EQ(run({"", in, "", in, "simple"}), 0) << err;
    EXPECT_NE(slurp(in).find("\nTeeShotSteps: 46\n"), std::string::npos);
}

TEST_F(TrajexRun, UnusablePathsAreReportedAndLeaveWhatIsThere)
{
    EXPECT_EQ(run({dir / "missing.txt", out}), 1);
    EXPECT_EQ(err, "Unable to open input file: " + (dir / "missing.txt").string() + "\n");
    // A missing directory (a full device: below).
    std::ofstream(in) << "";
    EXPECT_EQ(run({in, dir / "nowhere" / "out.txt"}), 1);
    EXPECT_EQ(err, "Unable to write output file: " + (dir / "nowhere" / "out.txt").string() + "\n");
    // An input that never ends is given up at a stated size, with the reason.
    EXPECT_EQ(run({"/dev/zero", out}), 1);
    EXPECT_EQ(err, "/dev/zero: longer than 256 MB, far more than any model holds\n"
                   "Unable to open input file: /dev/zero\n");
    // Nothing else written, no temporary file left: in and the two streams.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

// An output that is not a regular file is written into, never replaced: a
// FIFO gets the file, a full device fails the run and stays a device, and
// standard output opened for appending keeps what it held.
TEST_F(TrajexRun, OutputsThatAreNotRegularFilesAreWrittenInto)
{
    std::ofstream(in) << "TeeBallSpeed: 90\n";
    ASSERT_EQ(run({in, out}), 0) << err;
    const std::string expected = slurp(out);

    const fs::path fifo = dir / "pipe";
    FifoReader reader(fifo);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(run({in, fifo}), 0) << err;
    EXPECT_EQ(reader.text(), expected);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));

    fs::path full = dir / "full"; // as root a node of our own, which a fault could only replace
    if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        full = "/dev/full";
    EXPECT_EQ(run({in, full}), 1);
    EXPECT_EQ(err, "Unable to write output file: " + full.string() + "\n");
    EXPECT_TRUE(fs::is_character_file(fs::symlink_status(full)));

    const fs::path log = dir / "log.txt";
    std::ofstream(log) << "earlier\n";
    const std::string cmd =
        "'"s + TRAJEX_EXE + "' '" + in.string() + "' /dev/stdout >> '" + log.string() + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(slurp(log), "earlier\n" + expected);
}

// A run stopped by a signal while it writes leaves the output it would have
// replaced as it was and no temporary file, and ends by that signal.
TEST_F(TrajexRun, ASignalWhileWritingLeavesNoTemporaryFile)
{
    std::ofstream(in) << "TimeStepSize: 0.000015\n"; // 830,000 points: 40 MB to write
    const auto writing = [&] {
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename().string().rfind("out.txt.", 0) == 0)
                return true;
        return false;
    };
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, fatal;
    sigemptyset(&none);
    sigemptyset(&fatal);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&fatal, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &fatal); // not ignored as in a background job
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        int status = 0;
        // A run that ends before it is seen writing (a loaded machine) is run again.
        for (int attempt = 0; attempt < 5 && !WIFSIGNALED(status); ++attempt) {
            std::ofstream(out) << "earlier\n";
            std::string inPath = in, outPath = out;
            char* argv[] = {const_cast<char*>(TRAJEX_EXE), inPath.data(), outPath.data(), nullptr};
            pid_t pid;
            ASSERT_EQ(posix_spawn(&pid, TRAJEX_EXE, nullptr, &attr, argv, environ), 0);
            while (!writing() && ::waitpid(pid, &status, WNOHANG) == 0)
                ::usleep(200);
            if (::waitpid(pid, &status, WNOHANG) == 0) {
                ::kill(pid, sig);
                ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            }
        }
        ASSERT_TRUE(WIFSIGNALED(status)) << "never caught writing";
        EXPECT_EQ(WTERMSIG(status), sig);
        EXPECT_EQ(slurp(out), "earlier\n");
        EXPECT_FALSE(writing());
    }
    posix_spawnattr_destroy(&attr);
}

// A file the user may not write is not replaced behind its back, though the
// directory would let the new one take its place: the run fails as for any
// output it cannot open. Root may write any file, so it runs as nobody.
TEST_F(TrajexRun, AFileTheUserMayNotWriteIsLeftAsItWas)
{
    if (::geteuid() == 0) {
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        if (std::system((prefix + "true 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "running as root, and setpriv cannot run as nobody here";
    }
    fs::permissions(dir, fs::perms::all);
    std::ofstream(in) << "";
    std::ofstream(out) << "earlier\n";
    fs::permissions(out, fs::perms(0444));
    EXPECT_EQ(run({in, out}), 1);
    EXPECT_EQ(err, "Unable to write output file: " + out.string() + "\n");
    EXPECT_EQ(slurp(out), "earlier\n");
    EXPECT_EQ(fs::status(out).permissions(), fs::perms(0444));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);
}

// Whole result files, byte for byte, of the default tee shot and of the hole 1
// example putt: other programs compare these files digit by digit, and a long
// file goes out in many pieces.
TEST_F(TrajexRun, DefaultRunsWriteTheKnownFiles)
{
    const auto fnv1a = [](const std::string& text) {
        std::uint64_t h = 0xcbf29ce484222325u;
        for (unsigned char c : text)
            h = (h ^ c) * 0x100000001b3u;
        return h;
    };
    const struct
    {
        std::string input;
        std::size_t size;
        std::uint64_t hash;
    } runs[] = {
        {"", 579165, 0xd91e29bf654bf00cu},
        {"PuttEnabled: 1\nPuttBallSpeed: 2.5\nPuttTargetAngle: -19\nBallPos: -14, 151, "
         "-6.75755891\n",
         122162, 0x67dd21c767d43b5au},
    };
    for (const auto& r : runs) {
        std::ofstream(in, std::ios::binary) << r.input;
        ASSERT_EQ(run({in, out}), 0) << err;
        const std::string text = slurp(out);
        EXPECT_EQ(text.size(), r.size) << r.input;
        EXPECT_EQ(fnv1a(text), r.hash) << r.input;
    }
}
