// Shotlab sweep: the grid, the rows against Trajex followed by `Shotlab
// summary`, threads, shards, bad input, and Ctrl+C on the real program.

#include "../VectorStateProbe.h"
#include "CarriedValue.h"
#include "LabTest.h"
#include "ShotOutput.h"
#include "Sweep.h"
#include "SwingModel.h"
#include "TrajexRun.h"
#include "VectorState.h"

#include <atomic>
#include <cmath>
#include <nlohmann/json.hpp>
#include <numeric>

using namespace quillmoor;
using namespace quillmoor::lab;
using namespace quillmoor::labtest;

namespace {

SweepAxis axis(const std::string& text)
{
    SweepAxis a;
    std::string error;
    EXPECT_TRUE(parseSweepAxis(text, a, error)) << error;
    return a;
}

class Sweep : public LabTest
{
protected:
    // The CSV of a sweep of model with the given options.
    std::string sweepCsv(const std::string& model, const std::vector<std::string>& options)
    {
        EXPECT_TRUE(ok(run(joined({"sweep", model, "--csv", path("sweep.csv")}, options))));
        return readAll(path("sweep.csv"));
    }
};

} // namespace

TEST_F(Sweep, AxesCountTheirValuesWithinATolerance)
{
    const struct
    {
        const char* text;
        std::size_t count; // 0: refused
        double first, last;
    } cases[] = {
        {"TeeLaunchAngle=5:54.95:0.05", 1000, 5, 54.95},
        {"TeeBallSpeed=0:0.3:0.1", 4, 0, 0.3}, // 3 x 0.1 is a hair above 0.3
        {"TeeBackSpin=0:10:3", 4, 0, 9},
        {"TeeBallSpeed=140:140:1", 1, 140, 140},
        {"GreenSize=10:11:0.33333", 4, 10, 10.99999},       // four decimals: 10.3333, ...
        {"TeeBallSpeed=0:0.00000002:0.000000005", 0, 0, 0}, // eight decimals: 0, 0, 0.00000001, ...
        {"TeeBallSpeed=1e16:1e16:1", 0, 0, 0},              // FROM + STEP is FROM
        {"TeeBallSpeed=1e6:1e6+1:1", 0, 0, 0},              // not a number
        {"TeeBallSpeed=-.5:+.5:.25", 5, -0.5, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SweepAxis a;
        std::string error;
        ASSERT_EQ(parseSweepAxis(c.text, a, error), c.count > 0) << error;
        if (c.count == 0)
            continue;
        ASSERT_EQ(a.values.size(), c.count);
        EXPECT_EQ(a.values.front(), carriedValue(a.key, c.first));
        EXPECT_EQ(a.values.back(), carriedValue(a.key, c.last));
    }
    // Values as the file carries them: 5 + 3 x 0.05 is 5.15 exactly.
    EXPECT_EQ(axis("TeeLaunchAngle=5:54.95:0.05").values[3], 5.15);
}

// The heart of it: each row is what Trajex and then `Shotlab summary` give for
// the model with the point's values set, cell for cell; refused points say
// Trajex's reason, leave their numbers empty, and the sweep goes on.
TEST_F(Sweep, RowsAreThoseOfTrajexAndSummary)
{
    // clang-format off
    const struct
    {
        const char* model;
        std::vector<std::string> options;
    } cases[] = {
        {"hole1-teeshot.txt", {"--vary", "TeeLaunchAngle=5:54.95:0.05", "--shard", "100/100"}},
        {"hole2-teeshot.txt", {"--vary", "WindSpeed=0:20:9.5", "--vary", "HoleId=1:4:1", "--vary", "TeeBackSpin=2000:6000:4000", "--shard", "2/3"}},
        {"hole3-teeshot.txt", {"--vary", "HoleId=2:3:1", "--vary", "GreenXRot=-5:5:5", "--vary", "TeeSideSpin=-500:500:1000"}},
        {"hole4-teeshot.txt", {"--vary", "TeeBallSpeed=0:150:37.5", "--vary", "TimeStepSize=0:0.01:0.0049", "--vary", "GreenType=0:1:1"}},
        {"hole4-teeshot.txt", {"--vary", "TeeTargetAngle=-20:20:13.3333333", "--mode", "simple"}},
        // The realistic physics, in the air of the points.
        {"hole4-teeshot.txt", {"--vary", "Altitude=0:6000:3000", "--vary", "Temperature=40:100:30.0000001", "--physics", "realistic"}},
        {"hole1-putt.txt", {"--vary", "PuttTargetAngle=-3:3:1.4999", "--vary", "GreenRho=0.04:0.2:0.0799"}},
        {"hole4-putt.txt", {"--vary", "GreenRho=0:0.2:0.1", "--vary", "PuttEnabled=0:1:1"}},
    };
    // clang-format on
    int refused = 0, compared = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model + testing::PrintToString(c.options));
        const std::string model = kExamples + c.model;
        const auto rows = csvRecords(sweepCsv(model, c.options));
        ASSERT_FALSE(rows.empty());

        // The grid as the reference walks it: raw values, set in --vary order.
        std::vector<SweepAxis> axes;
        std::string mode = "complex", error;
        SweepShard shard;
        for (std::size_t i = 0; i + 1 < c.options.size(); i += 2) {
            if (c.options[i] == "--vary")
                axes.push_back(axis(c.options[i + 1]));
            else if (c.options[i] == "--mode" || c.options[i] == "--physics")
                mode = c.options[i + 1];
            else
                ASSERT_TRUE(parseSweepShard(c.options[i + 1], shard, error));
        }
        SweepGrid grid;
        ASSERT_TRUE(grid.setAxes(axes, error));
        ASSERT_EQ(rows.size(), shard.size(grid.size()));

        for (std::size_t r = 0; r < rows.size(); ++r) {
            // FROM + i x STEP as computed, set in --vary order on the model as
            // read, and written: the file rounds them.
            std::size_t index = shard.gridIndex(r);
            std::vector<double> raws(axes.size());
            for (std::size_t a = axes.size(); a-- > 0;) {
                const std::size_t n = axes[a].values.size();
                raws[a] = axes[a].from + static_cast<double>(index % n) * axes[a].step;
                index /= n;
            }
            SwingModel m(false);
            ASSERT_TRUE(readFreshModel(model, m, error));
            for (std::size_t a = 0; a < axes.size(); ++a) {
                ASSERT_TRUE(m.setValue(axes[a].key, raws[a]));
                EXPECT_EQ(rows[r].at(axes[a].key), exactText(carriedValue(axes[a].key, raws[a])));
            }
            ASSERT_TRUE(m.write(path("in.txt")));

            holeCatalogue().clear(); // Trajex starts in a fresh process
            std::ostringstream trajexErr;
            fs::remove(path("out.txt"));
            const int status = runTrajex({path("in.txt"), path("out.txt"), mode}, trajexErr);
            const std::string kind = m.PuttEnabled ? "putt" : "tee";
            EXPECT_EQ(rows[r].at("shot"), kind);
            std::map<std::string, std::string> expected;
            if (status != 0) {
                ++refused;
                EXPECT_EQ(rows[r].at("status"), linesOf(trajexErr.str()).at(0));
            } else {
                EXPECT_EQ(rows[r].at("status"), "ok");
                ASSERT_TRUE(ok(run({"summary", "--csv", path("out.txt")})));
                for (const auto& record : csvRecords(out))
                    if (record.at("shot") == kind)
                        expected = record;
                ASSERT_FALSE(expected.empty());
            }
            for (const auto& [name, cell] : rows[r]) {
                if (name == "shot" || name == "status" || grid.varies(name))
                    continue;
                EXPECT_EQ(cell, status != 0 ? "" : expected.at(name))
                    << "row " << r << ", " << name;
                compared += status == 0;
            }
        }
    }
    EXPECT_GT(refused, 3); // TimeStepSize 0 and TeeBallSpeed 0 of the complex swing, GreenRho 0
    EXPECT_GT(compared, 500);
}

TEST_F(Sweep, JsonAndTableHoldTheSameRows)
{
    const std::vector<std::string> args = {"sweep",  kExamples + "hole1-putt.txt",
                                           "--vary", "PuttBallSpeed=0:12:6",
                                           "--vary", "GreenRho=0:0.131:0.131"};
    ASSERT_TRUE(ok(run(args)));
    const auto table = linesOf(out);
    ASSERT_EQ(table.size(), 2u + 6);
    EXPECT_EQ(table[7].rfind("           12     0.131  putt     no          22.91", 0), 0u)
        << table[7];

    ASSERT_TRUE(ok(run(joined(args, {"--json", path("rows.json"), "--csv", path("rows.csv")}))));
    EXPECT_EQ(out, "");
    const auto list = nlohmann::json::parse(readAll(path("rows.json")));
    const auto rows = csvRecords(readAll(path("rows.csv")));
    ASSERT_EQ(list.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(list[i].size(), rows[i].size());
        for (const auto& [name, cell] : rows[i]) {
            const auto& v = list[i].at(name);
            if (v.is_number()) {
                EXPECT_EQ(v.get<double>(), std::stod(cell)) << name;
                continue;
            }
            EXPECT_EQ(v.is_boolean() ? (v.get<bool>() ? "true" : "false")
                      : v.is_null()  ? ""
                                     : v.get<std::string>(),
                      cell)
                << name;
        }
    }
}

// Each point runs on a copy: the catalogue and the listeners of the process
// never see a sweep, even one that varies the hole and its wind.
TEST_F(Sweep, NothingReachesTheCatalogueOrTheListeners)
{
    struct Counting : SwingModelListener
    {
        std::atomic<int> calls{0};
        void modelChanged(SwingModel&, ChangeFlags) override { ++calls; }
    } listener;
    holeCatalogue().clear();
    SwingModel model(false);
    ASSERT_TRUE(model.read(kExamples + "hole2-putt.txt"));
    const auto before = holeCatalogue();

    SweepPlan plan;
    std::string error;
    ASSERT_TRUE(plan.grid.setAxes({axis("WindSpeed=0:10:5"), axis("HoleId=1:4:1"),
                                   axis("GreenRho=0.1:0.2:0.1"), axis("GreenXRot=-1:1:1")},
                                  error));
    plan.jobs = 2;
    std::size_t rows = 0;
    SweepHooks hooks;
    hooks.row = [&](const SweepRow& row) { rows += row.status == "ok"; };
    const SweepOutcome outcome = runSweep(model, plan, hooks);
    EXPECT_EQ(outcome.done, 72u);
    EXPECT_EQ(rows, 72u);
    EXPECT_EQ(listener.calls, 0);
    EXPECT_EQ(holeCatalogue(), before);
}

TEST_F(Sweep, CancelStopsAfterTheRunningPointsWithTheFirstRows)
{
    holeCatalogue().clear();
    SwingModel model(false);
    SweepPlan plan;
    std::string error;
    ASSERT_TRUE(plan.grid.setAxes({axis("TeeLaunchAngle=5:55:0.01")}, error));
    plan.jobs = 2;
    std::atomic<bool> cancel{false};
    std::atomic<int> runs{0};
    std::vector<std::size_t> indices;
    SweepHooks hooks;
    hooks.cancel = &cancel;
    hooks.afterRun = [&](std::size_t, const SwingModel& m, bool ok) {
        EXPECT_TRUE(ok && !m.teeShot.empty());
        if (++runs == 7)
            cancel = true;
    };
    hooks.row = [&](const SweepRow& row) { indices.push_back(row.gridIndex); };
    const SweepOutcome outcome = runSweep(model, plan, hooks);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_LE(outcome.done, 8u); // at most one more was under way
    EXPECT_EQ(outcome.done, static_cast<std::size_t>(runs.load()));
    std::vector<std::size_t> first(outcome.done);
    std::iota(first.begin(), first.end(), 0);
    EXPECT_EQ(indices, first);
}

TEST_F(Sweep, BadInputIsRefusedBeforeAnythingIsWritten)
{
    const std::string model = kExamples + "hole1-teeshot.txt", csv = path("bad.csv");
    const std::vector<std::string> one = {"--vary", "TeeBallSpeed=1:2:1"};
    expectRefused(
        {"sweep", model, "--csv", csv},
        {
            {{"--vary", "HolePosX=1:2:1"}, 2, "unknown key \"HolePosX\""},
            {{"--vary", "TeeBallSpeed=1:2:0"}, 2, "STEP must be above 0"},
            {{"--vary", "TeeBallSpeed=3:2:1"}, 2, "FROM (3) is above TO (2)"},
            {{"--vary", "TeeBallSpeed=nan:2:1"}, 2, "is not KEY=FROM:TO:STEP"},
            {{"--vary", "TeeBallSpeed=0:1e300:1e-300"}, 2, "more than 10000000 values"},
            {{"--vary", "TeeBallSpeed=1e300:1e300:1"}, 2, "STEP 1 vanishes next to FROM 1e+300"},
            {{"--vary", "HoleId=1:3:0.5"}, 2, "1 and 1.5 are one value in the data file"},
            {{"--vary", "TeeBallSpeed=0:4000:1", "--vary", "TeeBackSpin=0:4000:1"},
             2,
             "more than 10000000 points"},
            {joined(one, {"--vary", "TeeClubSpeed=1:2:1"}), 2, "same quantity"},
            {joined(one, one), 2, "varied twice"},
            {joined(one, {"--shard", "5/4"}), 2, "--shard takes K/N"},
            // --mode is the old name of --physics; the message names the new one.
            {joined(one, {"--mode", "fast"}), 2, "--physics: fast not in"},
            {joined(one, {"--plot", path("p.png")}), 2, "--plot needs Qt"},
            {joined(one, {"--chart", "carry_yd"}), 2, "COLUMN:FILE.png"},
            {joined(one, {"--json", csv}), 2, "name the same file"},
            {{}, 2, "--vary is required"},
            // An empty value is no file, not an output left out.
            {joined(one, {"--json", ""}), 2, "--json needs a file name"},
            {joined(one, {"--plot", ""}), 2, "--plot needs a file name"},
            {joined(one, {"--chart", ""}), 2, "--chart needs a value"},
            // Values whose data-file line would be cut.
            {{"--vary", "TeeBallSpeed=1e200:1e200:1e200"}, 2, "1e+200 does not fit a data-file line"},
            {{"--vary", "WindSpeed=-1e100:0:1e99"}, 2, "-1e+100 does not fit a data-file line"},
        },
        {}, "--help' for more information");

    // Failures of the work itself: 1, with the reason.
    const std::vector<std::string> bad = {"--vary", "TeeBallSpeed=1:2:1", "--csv"};
    expectRefused({"sweep"}, {{joined({path("missing.txt")}, joined(bad, {csv})), 1,
                               "missing.txt: No such file or directory"},
                              {joined({model}, joined(bad, {dir.string()})), 1, "Is a directory"},
                              {joined({model}, joined(bad, {""})), 2, "--csv needs a file name"}});
    // Nothing written, not even a temporary file.
    EXPECT_EQ(names(), std::vector<std::string>());
}

// The chart gets the column against the first key, a line for each value of
// the others; the plot every point's path thinned where it was run, in grid
// order, and only when --plot asks for it. Their files are made before the
// first shot.
TEST_F(Sweep, PicturesAreHandedTheRowsInGridOrder)
{
    static std::atomic<int> thinned{0};
    static SweepChart chart;
    static SweepPlot plot;
    Pictures pictures;
    pictures.thin = [](const Trajectory& shot) {
        ++thinned;
        return std::vector<Vector3>{shot.begin()->second, shot.back().second};
    };
    pictures.chart = [](const SweepChart& drawn, std::string& png, std::string&) {
        chart = drawn;
        png = "chart";
        return true;
    };
    pictures.plot = [](const SweepPlot& drawn, std::string& png, std::string&) {
        plot.paths = drawn.paths;
        EXPECT_EQ(drawn.model->TeeBallSpeed, 110); // the model as read
        png = "picture";
        return true;
    };
    const std::string png = path("p.png");
    auto sweep = [&](const std::vector<std::string>& more) {
        thinned = 0;
        plot = SweepPlot();
        return run(joined({"sweep", kExamples + "hole1-teeshot.txt", "--vary",
                           "TeeLaunchAngle=10:40:10", "--vary", "TeeBallSpeed=0:140:70", "--vary",
                           "TeeBackSpin=3000:3000:1", "--csv", path("p.csv")},
                          more),
                   pictures);
    };

    ASSERT_TRUE(ok(sweep({"--plot", png, "--jobs", "2", "--chart", "carry_yd:" + path("c.png")})));
    EXPECT_EQ(readAll(png), "picture");
    EXPECT_EQ(readAll(path("c.png")), "chart");
    EXPECT_EQ(chart.x, (std::vector<double>{10, 20, 30, 40}));
    ASSERT_EQ(chart.lines.size(), 3u);
    EXPECT_EQ(chart.lines[2].name, "TeeBallSpeed 140 mph"); // the constant spin is left out
    const auto rows = csvRecords(readAll(path("p.csv")));
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(std::isnan(chart.lines[0].y[i])); // speed 0 is refused
        EXPECT_NEAR(chart.lines[2].y[i], std::stod(rows[3 * i + 2].at("carry_yd")), 5e-9);
    }
    ASSERT_EQ(plot.paths.size(), 12u);
    EXPECT_EQ(thinned, 8); // the speed 0 points are refused and keep no path
    const std::vector<std::vector<Vector3>> whole = plot.paths;
    for (std::size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(whole[i].empty(), i % 3 == 0) << i;
    EXPECT_NE(whole[1], whole[2]);
    EXPECT_NE(whole[2], whole[5]);

    // A shard's paths are those of its points, every fifth from the third.
    ASSERT_TRUE(ok(sweep({"--plot", png, "--shard", "3/5"})));
    EXPECT_EQ(plot.paths, (std::vector<std::vector<Vector3>>{whole[2], whole[7]}));

    // Without --plot nothing is kept; a picture that cannot be made stops the
    // sweep before it starts, as a usage error does.
    ASSERT_TRUE(ok(sweep({})));
    EXPECT_EQ(thinned, 0);
    fs::remove(path("p.csv"));
    const std::vector<Refusal> refused = {
        {{"--plot", path("no/such/p.png")}, 1, "no/such/p.png: No such file or directory"},
        {{"--plot", png, "--vary", "WindSpeed=0:1000:1"},
         2,
         "at most 10000 paths; this sweep has 12012"},
        {{"--chart", "break_yd:" + path("c.png")}, 2, "no column \"break_yd\""},
        {{"--vary", "TeeSideSpin=1:100:1", "--chart", "carry_yd:" + path("c.png")},
         2,
         "at most 64"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(sweep(c.args), c.status);
        EXPECT_THAT(err, HasSubstr(c.message));
        EXPECT_EQ(thinned, 0);
        EXPECT_FALSE(fs::exists(path("p.csv")));
    }
}

// Ctrl+C on the real program: the runs under way finish, the first rows are
// written, and the exit status says it was interrupted.
TEST_F(Sweep, CtrlCWritesTheRowsDone)
{
    const std::string csv = path("interrupted.csv");
    const pid_t pid =
        startShotlab({"sweep", kExamples + "hole1-teeshot.txt", "--vary",
                      "TeeLaunchAngle=5:55:0.01", "--vary", "TeeBackSpin=0:1000:1", "--csv", csv});
    ASSERT_GE(pid, 0);
    // Interrupted once rows have reached the temporary file beside the target.
    EXPECT_TRUE(waitFor([&] {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().rfind("interrupted.csv.", 0) == 0 &&
                entry.file_size(ignored) + 1 > 1) // not 0, nor -1 on error
                return true;
        return false;
    }));
    ::kill(pid, SIGINT);
    const int status = endOf(pid);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), kExitInterrupted);
    const auto rows = csvRecords(readAll(csv));
    EXPECT_GE(rows.size(), 1u);
    const SweepAxis angles = axis("TeeLaunchAngle=5:55:0.01");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].at("TeeLaunchAngle"), exactText(angles.values[i / 1001])) << i;
        ASSERT_EQ(rows[i].at("TeeBackSpin"), std::to_string(i % 1001)) << i;
    }
}

// A thread left with its upper AVX state in use (Qt's start-up leaves the
// window's so) passes it to the threads it starts, and their SSE code then
// runs many times slower: the threads that run the points start clean.
TEST(SweepThreads, StartWithTheUpperVectorStateClean)
{
    if (!vectorprobe::available())
        GTEST_SKIP() << "no XGETBV with ECX 1 here";
    SwingModel model(false);
    SweepPlan plan;
    std::string error;
    SweepAxis axis;
    ASSERT_TRUE(makeSweepAxis("TeeLaunchAngle", 30, 30, 1, axis, error)) << error;
    ASSERT_TRUE(plan.grid.setAxes({axis}, error)) << error;
    plan.points = 4;
    plan.jobs = 2;
    std::atomic<int> dirty{0}, seen{0};
    plan.pointValues = [&](std::size_t, std::vector<double>& values) {
        ++seen;
        dirty += vectorprobe::upperInUse();
        values[0] = 30;
    };
    vectorprobe::dirtyUpper();
    ASSERT_TRUE(vectorprobe::upperInUse());
    runSweep(model, plan, SweepHooks());
    quillmoor::cleanVectorState(); // for the tests after this one
    EXPECT_EQ(seen, 4);
    EXPECT_EQ(dirty, 0);
}
