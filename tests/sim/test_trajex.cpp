// The Trajex program end to end: arguments, messages, exit status, files.

#include "SimTestSupport.h"
#include "Simulation.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
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
              (std::string("trajex_") + info->test_suite_name() + "_" + info->name() + "_" + std::to_string(::getpid()));
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
    for (const auto& args : {std::vector<std::string>{}, {in.string()}, {in.string(), ""}, {"", "", in.string()}}) {
        const RunResult r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, kUsage);
    }
}

TEST_F(TrajexRun, DefaultRunIsTheComplexSwingWithTheLastPointAsBall)
{
    const RunResult r = run({in.string(), out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    const std::string text = slurp(out);
    EXPECT_TRUE(hasLine(text, "TeeShotSteps: 12463"));
    EXPECT_TRUE(hasLine(text, "BallPos: -5.29605990, 120.30854953, -5.92807887"));
    const std::string footer = "\nExit Code: 1\n# The golf swing simulation was completed successfully.\n";
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), footer.size())), footer);
    const SwingModel m = readOutput();
    EXPECT_EQ(m.FirstImpact, 7590);
    EXPECT_EQ(m.exitCode, 1);
}

TEST_F(TrajexRun, EmptyArgumentsBeforeThePathsAreSkipped)
{
    const RunResult r = run({"", in.string(), "", out.string(), "simple"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(hasLine(slurp(out), "TeeShotSteps: 4446"));
}

TEST_F(TrajexRun, UnknownWordIsIgnoredSilently)
{
    const RunResult r = run({in.string(), out.string(), "fast"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(hasLine(slurp(out), "TeeShotSteps: 12463"));
}

TEST_F(TrajexRun, OnlyTheFirstWordCounts)
{
    ASSERT_EQ(run({in.string(), out.string(), "simple", "noResults"}).status, 0);
    EXPECT_TRUE(hasLine(slurp(out), "TeeShotSteps: 4446"));
    // An ignored word still ends the scan.
    ASSERT_EQ(run({in.string(), out.string(), "Simple", "simple"}).status, 0);
    EXPECT_TRUE(hasLine(slurp(out), "TeeShotSteps: 12463"));
}

TEST_F(TrajexRun, NoResultsKeepsTheSummaryButNotTheSteps)
{
    ASSERT_EQ(run({in.string(), out.string(), "noResults"}).status, 0);
    const std::string text = slurp(out);
    EXPECT_EQ(text.find("TeeShotSteps"), std::string::npos);
    EXPECT_EQ(text.find("PuttShotSteps"), std::string::npos);
    EXPECT_TRUE(hasLine(text, "FirstImpact:   7590, -3.68952430, 108.28424674, -5.63543045"));
    EXPECT_TRUE(hasLine(text, "Exit Code: 1"));
}

TEST_F(TrajexRun, KeepPositionLeavesTheBallAtTheOrigin)
{
    SwingModel m(false);
    m.BallPos = {1, 2, 3};
    writeModel(m);
    ASSERT_EQ(run({in.string(), out.string(), "keepPosition"}).status, 0);
    EXPECT_TRUE(hasLine(slurp(out), "BallPos: 0.00000000, 0.00000000, 0.00000000"));
}

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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4); // in, taken, std streams
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
        EXPECT_EQ(r.err, "TimeStepSize must be above 0 for the complex swing\nUnable to perform calculations\n");
    }
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(slurp(in), before);
}

// Every shipped example runs and gives a result the model reads back.
class ExampleRun : public TrajexRun, public ::testing::WithParamInterface<std::string>
{
};

TEST_P(ExampleRun, RunsToAResult)
{
    const fs::path example = fs::path(QUILLMOOR_SOURCE_DIR) / "examples" / (GetParam() + ".txt");
    ASSERT_TRUE(fs::exists(example)) << example;
    const RunResult r = run({example.string(), out.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const SwingModel m = readOutput();
    EXPECT_EQ(m.exitCode, 1);
    ASSERT_GT(m.currentStepCount(), 1);
    EXPECT_TRUE(pointNear(m.BallPos, m.currentShot().back().second, 0));
    if (m.PuttEnabled)
        EXPECT_TRUE(m.teeShot.empty());
    else
        EXPECT_GE(m.FirstImpact, 1);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRun,
                         ::testing::Values("hole1-teeshot", "hole1-putt", "hole2-teeshot", "hole2-putt",
                                           "hole3-teeshot", "hole3-putt", "hole4-teeshot", "hole4-putt"),
                         [](const auto& info) {
                             std::string n = info.param;
                             n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                             return n;
                         });
