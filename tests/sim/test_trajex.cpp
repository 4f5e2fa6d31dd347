// The Trajex program end to end: arguments, messages, exit status, files.

#include "SimTestSupport.h"
#include "Simulation.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kUsage = "Usage:\n  Trajex infile outfile [mode:simple|complex]\n";

std::string slurp(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool hasLine(const std::string& text, const std::string& line)
{
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

struct RunResult
{
    int status = -1;
    std::string err;
    std::string out;
};

class TrajexRun : public ::testing::Test
{
protected:
    fs::path dir;
    fs::path in;
    fs::path out;

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(::testing::TempDir()) /
              (std::string("trajex_") + info->test_suite_name() + "_" + info->name() + "_" +
               std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        in = dir / "in.txt";
        out = dir / "out.txt";
        writeModel(SwingModel(false));
    }
    void TearDown() override { fs::remove_all(dir); }

    void writeModel(const SwingModel& m) { ASSERT_TRUE(m.write(in.string())); }

    RunResult run(const std::vector<std::string>& args)
    {
        std::string cmd = std::string("'") + TRAJEX_EXE + "'";
        for (const auto& a : args)
            cmd += " '" + a + "'";
        cmd += " >'" + (dir / "stdout").string() + "' 2>'" + (dir / "stderr").string() + "'";
        RunResult r;
        const int ws = std::system(cmd.c_str());
        r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
        r.err = slurp(dir / "stderr");
        r.out = slurp(dir / "stdout");
        return r;
    }

    SwingModel readOutput()
    {
        SwingModel m(false);
        EXPECT_TRUE(m.read(out.string()));
        return m;
    }
};

} // namespace

TEST_F(TrajexRun, MissingPathsPrintTheUsage)
{
    for (const auto& args :
         {std::vector<std::string>{}, {in.string()}, {in.string(), ""}, {"", "", in.string()}}) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, kUsage);
    }
}

TEST_F(TrajexRun, DefaultRunIsTheComplexSwingWithTheLastPointAsBall)
{
    const RunResult r = run({in.string(), out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err + r.out, ""); // nothing on either stream
    const std::string text = slurp(out);
    EXPECT_TRUE(hasLine(text, "BallPos: -5.29605990, 120.30854953, -5.92807887"));
    const std::string footer =
        "\nExit Code: 1\n# The golf swing simulation was completed successfully.\n";
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), footer.size())), footer);
    const SwingModel m = readOutput();
    EXPECT_EQ(m.FirstImpact, 7590);
    EXPECT_EQ(m.teeShot.size(), 12463);
}

// Argument scanning: {arguments, a line the output must hold, a text it must
// not hold}; IN and OUT stand for the paths.
struct WordCase
{
    std::vector<std::string> args;
    const char* present;
    const char* absent;
};

class OptionWord : public TrajexRun, public ::testing::WithParamInterface<WordCase>
{
};

TEST_P(OptionWord, SetsItsOneSetting)
{
    SwingModel m(false);
    m.BallPos = {1, 2, 3};
    writeModel(m);
    std::vector<std::string> args;
    for (const auto& a : GetParam().args)
        args.push_back(a == "IN" ? in.string() : a == "OUT" ? out.string() : a);
    const RunResult r = run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string text = slurp(out);
    EXPECT_TRUE(hasLine(text, GetParam().present)) << GetParam().present;
    EXPECT_EQ(text.find(GetParam().absent), std::string::npos) << GetParam().absent;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Trajex, OptionWord,
    ::testing::Values(
        WordCase{{"", "IN", "", "OUT", "simple"}, "TeeShotSteps: 4446", "TeeShotSteps: 12463"},
        WordCase{{"IN", "OUT", "fast"}, "TeeShotSteps: 12463", "BallPos: 1.0"},
        WordCase{{"IN", "OUT", "simple", "noResults"}, "TeeShotSteps: 4446", "TeeShotSteps: 12463"},
        // An unknown word is ignored and still ends the scan.
        WordCase{{"IN", "OUT", "Simple", "simple"}, "TeeShotSteps: 12463", "TeeShotSteps: 4446"},
        WordCase{{"IN", "OUT", "noResults"}, "FirstImpact:   7590, -3.68952430, 108.28424674, -5.63543045", "ShotSteps"},
        WordCase{{"IN", "OUT", "noResults"}, "Exit Code: 1", "     0, 0.00000000"},
        WordCase{{"IN", "OUT", "keepPosition"}, "BallPos: 0.00000000, 0.00000000, 0.00000000", "BallPos: -5"},
        WordCase{{"IN", "OUT", "setPosition"}, "BallPos: -5.29605990, 120.30854953, -5.92807887", "BallPos: 0"},
        WordCase{{"IN", "OUT", "writeResults"}, "TeeShotSteps: 12463", "BallPos: 1.0"}));
// clang-format on

TEST_F(TrajexRun, PuttRunKeepsTheTeeShotOfTheInput)
{
    SwingModel m(false);
    ASSERT_TRUE(quillmoor::complexSwing(m));
    m.setPuttEnabled(true);
    m.BallPos = {-15, 153, m.groundHeight(-15, 153)};
    m.PuttBallSpeed = 2.0;
    writeModel(m);
    ASSERT_EQ(run({in.string(), out.string()}).status, 0);
    const SwingModel res = readOutput();
    EXPECT_EQ(res.teeShot.size(), 12463);
    EXPECT_EQ(res.FirstImpact, 7590);
    EXPECT_EQ(res.puttShot.back().first, 915);
    EXPECT_EQ(res.BallPos, res.hole.HolePos); // holed: the ball is the hole
}

TEST_F(TrajexRun, SameFileInAndOutIsOverwrittenWithTheResults)
{
    ASSERT_EQ(run({in.string(), in.string(), "simple"}).status, 0);
    EXPECT_TRUE(hasLine(slurp(in), "TeeShotSteps: 4446"));
}

TEST_F(TrajexRun, UnreadableInputIsReported)
{
    const std::string missing = (dir / "missing.txt").string();
    const RunResult r = run({missing, out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Unable to open input file: " + missing + "\n");
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(TrajexRun, UnwritableOutputIsReportedAndLeavesWhatIsThere)
{
    // A directory in the way (root may write anywhere else) and a missing one.
    const fs::path taken = dir / "taken";
    fs::create_directory(taken);
    std::ofstream(taken / "keep.txt") << "keep";
    for (const fs::path& target : {taken, dir / "nowhere" / "out.txt"}) {
        const RunResult r = run({in.string(), target.string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "Unable to write output file: " + target.string() + "\n");
    }
    EXPECT_TRUE(fs::is_directory(taken));
    EXPECT_EQ(slurp(taken / "keep.txt"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()),
              4); // in, taken, std streams
}

TEST_F(TrajexRun, RefusedRunWritesNothingAndSaysWhy)
{
    SwingModel m(false);
    m.TimeStepSize = 0;
    writeModel(m);
    const std::string before = slurp(in);
    for (const fs::path& target : {out, in}) {
        const RunResult r = run({in.string(), target.string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(
            r.err,
            "TimeStepSize must be a finite number above 0 for the complex swing\nUnable to perform calculations\n");
    }
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(slurp(in), before);
}

// Every shipped example runs to a result; the putts are set up to drop.
TEST_F(TrajexRun, ExamplesRunToAResult)
{
    for (int hole = 1; hole <= 4; ++hole) {
        for (const char* kind : {"-teeshot.txt", "-putt.txt"}) {
            const fs::path example = fs::path(QUILLMOOR_SOURCE_DIR) / "examples" /
                                     ("hole" + std::to_string(hole) + kind);
            SCOPED_TRACE(example.string());
            const RunResult r = run({example.string(), out.string()});
            ASSERT_EQ(r.status, 0) << r.err;
            const SwingModel m = readOutput();
            EXPECT_EQ(m.hole.HoleId, hole);
            ASSERT_GT(m.currentStepCount(), 1);
            EXPECT_EQ(m.BallPos, m.currentShot().back().second);
            if (m.PuttEnabled)
                EXPECT_EQ(m.BallPos, m.hole.HolePos);
            else
                EXPECT_GE(m.FirstImpact, 1);
        }
    }
}

// The bad inputs of the README's table, run through the program: each ends
// with the status and message it documents, and only a success writes.
struct BadInput
{
    const char* name;
    std::string input; // file content; "<dir>" makes the input a directory
    int status;
    const char* message; // a piece of the standard error text
    friend void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }
};

class BadInputTable : public TrajexRun, public ::testing::WithParamInterface<BadInput>
{
};

TEST_P(BadInputTable, EndsAsDocumented)
{
    const BadInput& c = GetParam();
    if (c.input == "<dir>") {
        fs::remove(in);
        fs::create_directory(in);
    } else {
        std::ofstream(in, std::ios::binary) << c.input;
    }
    const RunResult r = run({in.string(), out.string()});
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(fs::exists(out), c.status == 0);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Readme, BadInputTable,
    ::testing::Values(
        BadInput{"Directory", "<dir>", 1, "Unable to open input file: "},
        BadInput{"BinaryJunk", "\x01\xff\x7f:\x80,\n\0\0TeeBallSpeed: 120\n\x1b[0m"s, 0, ""},
        BadInput{"HugeLine", std::string(5 << 20, 'y') + "\nTeeLaunchAngle: 30", 0, ""},
        BadInput{"AbsurdStepCount", "TeeShotSteps: 2147483647\n 0, 1, 2, 3\n", 0, ""},
        BadInput{"NaNValue", "WindSpeed: nan\n", 1, "WindSpeed is not a finite number"},
        BadInput{"InfiniteValue", "TeeLaunchAngle: -inf\n", 1, "TeeLaunchAngle is not a finite number"},
        BadInput{"ZeroStep", "TimeStepSize: 0\n", 1, "TimeStepSize must be a finite number above 0"},
        BadInput{"ZeroSpeed", "TeeBallSpeed: 0\n", 1, "TeeBallSpeed is 0"},
        BadInput{"ZeroFriction", "GreenRho: 0\n", 1, "never stop rolling"},
        BadInput{"GrowingBounces", "TeeTargetAngle: 180\nTeeBallSpeed: 3000\n", 1,
                 "would need more than 1000000 points"}),
    [](const auto& info) { return std::string(info.param.name); });
