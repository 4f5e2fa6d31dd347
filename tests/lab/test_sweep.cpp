// Shotlab sweep: the grid, the rows against Trajex followed by `Shotlab
// summary`, threads, shards, bad input, and Ctrl+C on the real program.

#include "CarriedValue.h"
#include "ShotOutput.h"
#include "Shotlab.h"
#include "Sweep.h"
#include "SwingModel.h"
#include "TrajexRun.h"
#include "VectorState.h"
#include "../VectorStateProbe.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quillmoor;
using namespace quillmoor::lab;

namespace {

const std::string kExamples = QUILLMOOR_SOURCE_DIR "/examples/";

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The cells of one CSV line, quotes undone.
std::vector<std::string> cellsOf(const std::string& line)
{
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"')
            cells.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            cells.emplace_back();
        else
            cells.back() += c;
    }
    return cells;
}

// Each row of a CSV text as column name -> cell.
std::vector<std::map<std::string, std::string>> csvRecords(const std::string& text)
{
    const auto lines = linesOf(text);
    std::vector<std::map<std::string, std::string>> records;
    if (lines.empty())
        return records;
    const auto names = cellsOf(lines[0]);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto cells = cellsOf(lines[i]);
        EXPECT_EQ(cells.size(), names.size()) << lines[i];
        records.emplace_back();
        for (std::size_t c = 0; c < names.size() && c < cells.size(); ++c)
            records.back()[names[c]] = cells[c];
    }
    return records;
}

SweepAxis axis(const std::string& text)
{
    SweepAxis a;
    std::string error;
    EXPECT_TRUE(parseSweepAxis(text, a, error)) << error;
    return a;
}

class Sweep : public ::testing::Test
{
protected:
    static inline fs::path dir;
    static std::string path(const std::string& name) { return (dir / name).string(); }

    static void SetUpTestSuite()
    {
        std::string name = ::testing::TempDir() + "sweepXXXXXX";
        dir = ::mkdtemp(name.data());
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }

    std::string out, err;
    int run(std::vector<std::string> args, const Pictures& pictures = {})
    {
        std::ostringstream o, e;
        const int status = runShotlab(args, o, e, pictures);
        out = o.str();
        err = e.str();
        return status;
    }

    // The CSV of a sweep of model with the given options.
    std::string sweepCsv(const std::string& model, std::vector<std::string> options)
    {
        const std::string file = path("sweep.csv");
        std::vector<std::string> args = {"sweep", model, "--csv", file};
        args.insert(args.end(), options.begin(), options.end());
        EXPECT_EQ(run(args), 0) << err;
        return readAll(file);
    }
};

} // namespace

TEST_F(Sweep, AxesCountTheirValuesWithinATolerance)
{
    const struct
    {
        const char* text;
        std::size_t count;
        double first, last;
    } cases[] = {
        {"TeeLaunchAngle=5:54.95:0.05", 1000, 5, 54.95},
        {"TeeBallSpeed=0:0.3:0.1", 4, 0, 0.3}, // 3 x 0.1 is a hair above 0.3
        {"TeeBallSpeed=0:1:0.1", 11, 0, 1},
        {"TeeBackSpin=0:10:3", 4, 0, 9},
        {"TeeBallSpeed=140:140:1", 1, 140, 140},
        {"WindDir=-180:180:22.5", 17, -180, 180},
        {"TimeStepSize=0.0001:0.002:0.0001", 20, 0.0001, 0.002},
        {"GreenSize=10:11:0.33333", 4, 10, 10.99999}, // four decimals: 10.3333, ...
        {"HoleId=1:4:1", 4, 1, 4},
        {"HoleId=1:4:0.5", 0, 0, 0}, // whole ids, as the file holds them: 1, 1, 2, 2, ...
        {"TeeBallSpeed=0:0.00000002:0.000000005", 0, 0, 0}, // eight decimals: 0, 0, 0.00000001, ...
        {"TeeBallSpeed=1e300:1e300:1", 0, 0, 0},            // FROM + STEP is FROM
        {"TeeBallSpeed=1e16:1e16:1", 0, 0, 0},
        {"TeeBallSpeed=1e6:1e6+1:1", 0, 0, 0}, // not a number
        {"TeeBallSpeed=+-1:1:1", 0, 0, 0},
        {"TeeBallSpeed=-.5:+.5:.25", 5, -0.5, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        SweepAxis a;
        std::string error;
        if (c.count == 0) {
            EXPECT_FALSE(parseSweepAxis(c.text, a, error));
            continue;
        }
        ASSERT_TRUE(parseSweepAxis(c.text, a, error)) << error;
        ASSERT_EQ(a.values.size(), c.count);
        EXPECT_EQ(a.values.front(), carriedValue(a.key, c.first));
        EXPECT_EQ(a.values.back(), carriedValue(a.key, c.last));
    }
    // Values as the file carries them: 5 + 3 x 0.05 is 5.15 exactly.
    EXPECT_EQ(axis("TeeLaunchAngle=5:54.95:0.05").values[3], 5.15);
}

// The count comes in closed form, never by stepping through the range, and
// is exactly that of stepping: FROM + i × STEP up to TO within 1e-9 × STEP.
TEST_F(Sweep, AxisCountIsThatOfSteppingThroughTheRange)
{
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 3000; ++trial) {
        const double step = std::pow(10.0, std::floor(unit(rng) * 6) - 3) *
                            (trial % 3 == 0 ? 1.0 : 0.5 + unit(rng));
        const double from = (unit(rng) - 0.5) * 2000.0;
        const std::size_t steps = static_cast<std::size_t>(unit(rng) * 3000);
        // TO on a step, a hair beside one, or anywhere between two.
        const double nudge[] = {0.0, 1e-10 * step, -1e-10 * step, 2e-9 * step, unit(rng) * step};
        const double to = from + static_cast<double>(steps) * step + nudge[trial % 5];
        if (to < from)
            continue;
        std::size_t stepped = 0;
        while (from + static_cast<double>(stepped) * step <= to + 1e-9 * step)
            ++stepped;
        std::size_t counted = 0;
        std::string error;
        ASSERT_TRUE(countSweepAxis("TeeBallSpeed", from, to, step, counted, error)) << error;
        ASSERT_EQ(counted, stepped) << from << ":" << to << ":" << step;
    }
    // Ranges whose steps vanish, and huge ones, are refused at once.
    std::size_t counted = 0;
    std::string error;
    EXPECT_FALSE(countSweepAxis("TeeBallSpeed", 1e300, 1e300, 1, counted, error));
    EXPECT_NE(error.find("vanishes"), std::string::npos) << error;
    EXPECT_FALSE(countSweepAxis("TeeBallSpeed", -1e308, 1e308, 1e-300, counted, error));
    EXPECT_NE(error.find("more than 10000000 values"), std::string::npos) << error;
}

TEST_F(Sweep, TheGridIsTheProductFirstKeySlowest)
{
    SweepGrid grid;
    std::string error;
    ASSERT_TRUE(grid.setAxes(
        {axis("TeeBallSpeed=100:110:10"), axis("TeeBackSpin=1:3:1"), axis("WindSpeed=0:1:1")},
        error));
    ASSERT_EQ(grid.size(), 12u);
    std::vector<std::vector<double>> points;
    std::vector<double> values;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        grid.valuesAt(i, values);
        points.push_back(values);
    }
    EXPECT_EQ(points[0], (std::vector<double>{100, 1, 0}));
    EXPECT_EQ(points[1], (std::vector<double>{100, 1, 1}));
    EXPECT_EQ(points[2], (std::vector<double>{100, 2, 0}));
    EXPECT_EQ(points[6], (std::vector<double>{110, 1, 0}));
    EXPECT_EQ(points[11], (std::vector<double>{110, 3, 1}));
    EXPECT_EQ(std::set<std::vector<double>>(points.begin(), points.end()).size(), 12u);
}

TEST_F(Sweep, ShardsPartitionTheGrid)
{
    for (std::size_t gridSize : {1u, 7u, 12u, 1000u}) {
        for (std::size_t count : {1u, 2u, 3u, 8u, 13u}) {
            std::vector<int> seen(gridSize, 0);
            for (std::size_t k = 1; k <= count; ++k) {
                SweepShard shard;
                std::string error;
                ASSERT_TRUE(
                    parseSweepShard(std::to_string(k) + "/" + std::to_string(count), shard, error));
                for (std::size_t i = 0; i < shard.size(gridSize); ++i) {
                    ASSERT_LT(shard.gridIndex(i), gridSize);
                    ++seen[shard.gridIndex(i)];
                }
            }
            EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(gridSize))
                << gridSize << " points in " << count << " shards";
        }
    }
}

// The heart of it: each row is what Trajex and then `Shotlab summary` give for
// the model with the point's values set, cell for cell.
TEST_F(Sweep, RowsAreThoseOfTrajexAndSummary)
{
    const struct
    {
        const char* model;
        std::vector<std::string> options;
    } cases[] = {
        {"hole1-teeshot.txt", {"--vary", "TeeLaunchAngle=5:54.95:0.05", "--shard", "4/100"}},
        {"hole1-teeshot.txt", {"--vary", "TeeLaunchAngle=5:54.95:0.05", "--shard", "100/100"}},
        {"hole2-teeshot.txt",
         {"--vary", "WindSpeed=0:20:9.5", "--vary", "HoleId=1:4:1", "--vary",
          "TeeBackSpin=2000:6000:4000", "--shard", "2/3"}},
        {"hole3-teeshot.txt",
         {"--vary", "HoleId=2:3:1", "--vary", "GreenXRot=-5:5:5", "--vary",
          "TeeSideSpin=-500:500:1000"}},
        {"hole4-teeshot.txt",
         {"--vary", "TeeBallSpeed=0:150:37.5", "--vary", "TimeStepSize=0:0.01:0.0049", "--vary",
          "GreenType=0:1:1"}},
        {"hole4-teeshot.txt", {"--vary", "TeeTargetAngle=-20:20:13.3333333", "--mode", "simple"}},
        // The realistic physics, in the air of the points.
        {"hole4-teeshot.txt",
         {"--vary", "Altitude=0:6000:3000", "--vary", "Temperature=40:100:30.0000001", "--physics",
          "realistic"}},
        {"hole1-teeshot.txt",
         {"--vary", "Humidity=0:100:50", "--vary", "TeeBackSpin=2000:6000:4000", "--mode",
          "realistic"}},
        {"hole1-putt.txt",
         {"--vary", "PuttTargetAngle=-3:3:1.4999", "--vary", "GreenRho=0.04:0.2:0.0799"}},
        {"hole2-putt.txt", {"--vary", "HoleId=1:3:1", "--vary", "PuttBallSpeed=4:12:4"}},
        {"hole3-putt.txt", {"--vary", "PuttBallSpeed=2:12:3.3", "--mode", "simple"}},
        {"hole4-putt.txt", {"--vary", "GreenRho=0:0.2:0.1", "--vary", "PuttEnabled=0:1:1"}},
    };
    int refused = 0, compared = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model + testing::PrintToString(c.options));
        const std::string model = kExamples + c.model;
        const auto rows = csvRecords(sweepCsv(model, c.options));
        ASSERT_FALSE(rows.empty());

        // The grid as the reference walks it: raw values, set in --vary order.
        std::vector<SweepAxis> axes;
        std::string mode = "complex";
        SweepShard shard;
        for (std::size_t i = 0; i + 1 < c.options.size(); i += 2) {
            std::string error;
            if (c.options[i] == "--vary")
                axes.push_back(axis(c.options[i + 1]));
            else if (c.options[i] == "--mode" || c.options[i] == "--physics")
                mode = c.options[i + 1];
            else
                ASSERT_TRUE(parseSweepShard(c.options[i + 1], shard, error));
        }
        SweepGrid grid;
        std::string error;
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
            std::string reason;
            ASSERT_TRUE(readFreshModel(model, m, reason));
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
            if (status != 0) {
                ++refused;
                EXPECT_EQ(rows[r].at("status"), linesOf(trajexErr.str()).at(0));
                for (const auto& [name, cell] : rows[r])
                    if (name != "shot" && name != "status" && !grid.varies(name)) {
                        EXPECT_EQ(cell, "") << name;
                    }
                continue;
            }
            EXPECT_EQ(rows[r].at("status"), "ok");
            ASSERT_EQ(run({"summary", "--csv", path("out.txt")}), 0) << err;
            std::map<std::string, std::string> expected;
            for (const auto& record : csvRecords(out))
                if (record.at("shot") == kind)
                    expected = record;
            ASSERT_FALSE(expected.empty());
            for (const auto& [name, cell] : rows[r]) {
                if (name == "shot" || name == "status" || grid.varies(name))
                    continue;
                EXPECT_EQ(cell, expected.at(name)) << "row " << r << ", " << name;
                ++compared;
            }
        }
    }
    EXPECT_GT(refused, 3); // TimeStepSize 0 and TeeBallSpeed 0 of the complex swing, GreenRho 0
    EXPECT_GT(compared, 500);
}

TEST_F(Sweep, RefusedPointsAreReportedAndTheSweepGoesOn)
{
    const auto rows = csvRecords(
        sweepCsv(kExamples + "hole1-teeshot.txt",
                 {"--vary", "TeeBallSpeed=0:60:30", "--vary", "TimeStepSize=0:0.002:0.002"}));
    ASSERT_EQ(rows.size(), 6u);
    std::vector<std::string> status;
    for (const auto& r : rows)
        status.push_back(r.at("status"));
    EXPECT_NE(status[0], "ok");
    EXPECT_NE(status[1], "ok"); // speed 0
    EXPECT_NE(status[1].find("TeeBallSpeed"), std::string::npos) << status[1];
    EXPECT_NE(status[2].find("TimeStepSize"), std::string::npos) << status[2]; // step 0
    EXPECT_EQ(status[3], "ok");
    EXPECT_EQ(status[5], "ok");
    EXPECT_EQ(rows[2].at("carry_yd"), "");
    EXPECT_NE(rows[3].at("carry_yd"), "");
}

TEST_F(Sweep, RowsDoNotDependOnTheNumberOfJobs)
{
    const std::vector<std::string> vary = {"--vary", "TeeLaunchAngle=10:40:1.5",
                                           "--vary", "TimeStepSize=0:0.003:0.001",
                                           "--vary", "HoleId=1:2:1"};
    std::string first;
    for (const char* jobs : {"1", "2", "3"}) {
        auto options = vary;
        options.insert(options.end(), {"--jobs", jobs});
        const std::string csv = sweepCsv(kExamples + "hole2-teeshot.txt", options);
        EXPECT_EQ(linesOf(csv).size(), 21u * 4 * 2 + 1);
        if (first.empty())
            first = csv;
        EXPECT_EQ(csv, first) << jobs << " jobs";
    }
}

// Neighbouring shots come down at neighbouring angles: the landing angle must
// not depend on where inside its last step the ball met the ground.
TEST_F(Sweep, NeighbouringShotsLandAtNeighbouringAngles)
{
    const struct
    {
        const char* model;
        const char* vary;
        double low, high; // every angle lies in here, degrees
    } cases[] = {
        {"hole1-teeshot.txt", "TeeBallSpeed=100:109:1", 55.0, 65.0},
        {"hole2-teeshot.txt", "TeeLaunchAngle=2:6.5:0.5", 10.0, 35.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vary);
        const auto rows = csvRecords(sweepCsv(kExamples + c.model, {"--vary", c.vary}));
        ASSERT_EQ(rows.size(), 10u);
        const std::string key = std::string(c.vary).substr(0, std::string(c.vary).find('='));
        double previous = std::stod(rows[0].at("landing_angle_deg"));
        for (const auto& row : rows) {
            const double angle = std::stod(row.at("landing_angle_deg"));
            EXPECT_GT(angle, c.low);
            EXPECT_LT(angle, c.high);
            EXPECT_NEAR(angle, previous, 2.0) << key << " " << row.at(key);
            previous = angle;
        }
    }
}

TEST_F(Sweep, ShardsConcatenateToTheWholeSweep)
{
    const std::vector<std::string> vary = {"--vary", "TeeBackSpin=1000:5000:500",
                                           "--vary", "TeeBallSpeed=80:120:20",
                                           "--mode", "simple"};
    const auto whole = linesOf(sweepCsv(kExamples + "hole1-teeshot.txt", vary));
    std::multiset<std::string> parts;
    for (const char* shard : {"1/4", "2/4", "3/4", "4/4"}) {
        auto options = vary;
        options.insert(options.end(), {"--shard", shard, "--no-header"});
        for (const std::string& line : linesOf(sweepCsv(kExamples + "hole1-teeshot.txt", options)))
            parts.insert(line);
    }
    EXPECT_EQ(parts, std::multiset<std::string>(whole.begin() + 1, whole.end()));
}

// A table for people keeps only the rows that size its columns; the rest are
// written as they come, in those widths, a wider cell taking its room on its
// own line. Up to that many rows it is the table aligned as a whole.
TEST_F(Sweep, TableIsWrittenAsTheRowsCome)
{
    SweepGrid grid;
    std::string error;
    ASSERT_TRUE(grid.setAxes({axis("TeeBallSpeed=1:9:1")}, error)) << error;
    const auto columns = sweepColumns({true, false});
    std::vector<SweepRow> rows(9);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].gridIndex = i;
        rows[i].values = {double(i + 1)};
        rows[i].status = "ok";
    }
    rows[8].values = {1234567890123.5}; // wider than what sized the column

    std::ostringstream streamed;
    SweepTableWriter table(streamed, grid, columns, 3);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        table.row(rows[i]);
        EXPECT_EQ(linesOf(streamed.str()).size(), i < 2 ? 0u : 2 + i + 1) << i;
    }
    table.end();
    const auto lines = linesOf(streamed.str());
    ASSERT_EQ(lines.size(), 2u + 9);
    std::ostringstream whole;
    writeSweepTable(whole, grid, columns, {rows.begin(), rows.begin() + 8});
    const auto aligned = linesOf(whole.str());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10), aligned);
    EXPECT_EQ(lines[10].rfind("1234567890123.5  tee", 0), 0u) << lines[10];
}

TEST_F(Sweep, JsonAndTableHoldTheSameRows)
{
    const std::vector<std::string> args = {"sweep",  kExamples + "hole1-putt.txt",
                                           "--vary", "PuttBallSpeed=0:12:6",
                                           "--vary", "GreenRho=0:0.131:0.131"};
    ASSERT_EQ(run(args), 0) << err;
    const auto table = linesOf(out);
    ASSERT_EQ(table.size(), 2u + 6);
    EXPECT_EQ(cellsOf(table[0]).size(), 1u);
    EXPECT_NE(table[0].find("PuttBallSpeed  GreenRho  Shot  Holed"), std::string::npos) << table[0];
    EXPECT_NE(table[1].find("(mph)"), std::string::npos);
    EXPECT_EQ(table[7].rfind("           12     0.131  putt     no          22.91", 0), 0u)
        << table[7];

    auto withJson = args;
    withJson.insert(withJson.end(), {"--json", path("rows.json"), "--csv", path("rows.csv")});
    ASSERT_EQ(run(withJson), 0) << err;
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
            } else if (v.is_boolean()) {
                EXPECT_EQ(v.get<bool>() ? "true" : "false", cell) << name;
            } else if (v.is_null()) {
                EXPECT_EQ(cell, "") << name;
            } else {
                EXPECT_EQ(v.get<std::string>(), cell) << name;
            }
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
    std::size_t lastProgress = 0;
    hooks.progress = [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 5001u);
        lastProgress = done;
    };
    const SweepOutcome outcome = runSweep(model, plan, hooks);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_GE(outcome.done, 7u);
    EXPECT_LE(outcome.done, 8u); // at most one more was under way
    EXPECT_EQ(outcome.done, static_cast<std::size_t>(runs.load()));
    EXPECT_EQ(lastProgress, outcome.done);
    ASSERT_EQ(indices.size(), outcome.done);
    for (std::size_t i = 0; i < indices.size(); ++i)
        EXPECT_EQ(indices[i], i);
}

TEST_F(Sweep, BadInputIsRefusedBeforeAnythingIsWritten)
{
    const std::string model = kExamples + "hole1-teeshot.txt", csv = path("bad.csv");
    std::ofstream(path("locked.txt")) << "x";
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"--vary", "TeeBallSpead=1:2:1"}, 2, "unknown key \"TeeBallSpead\""},
        {{"--vary", "HolePosX=1:2:1"}, 2, "unknown key"},
        {{"--vary", "TeeBallSpeed=1:2:0"}, 2, "STEP must be above 0"},
        {{"--vary", "TeeBallSpeed=1:2:-1"}, 2, "STEP must be above 0"},
        {{"--vary", "TeeBallSpeed=3:2:1"}, 2, "FROM (3) is above TO (2)"},
        {{"--vary", "TeeBallSpeed=1:2"}, 2, "is not KEY=FROM:TO:STEP"},
        {{"--vary", "TeeBallSpeed=1:2:1:4"}, 2, "is not KEY=FROM:TO:STEP"},
        {{"--vary", "TeeBallSpeed=1:two:1"}, 2, "is not KEY=FROM:TO:STEP"},
        {{"--vary", "TeeBallSpeed"}, 2, "is not KEY=FROM:TO:STEP"},
        {{"--vary", "TeeBallSpeed=nan:2:1"}, 2, "is not KEY=FROM:TO:STEP"},
        {{"--vary", "TeeBallSpeed=0:1e300:1e-300"}, 2, "more than 10000000 values"},
        {{"--vary", "TeeBallSpeed=1e300:1e300:1"}, 2, "STEP 1 vanishes next to FROM 1e+300"},
        {{"--vary", "HoleId=1:3:0.5"}, 2, "1 and 1.5 are one value in the data file"},
        {{"--vary", "TeeBallSpeed=0:4000:1", "--vary", "TeeBackSpin=0:4000:1"},
         2,
         "more than 10000000 points"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--vary", "TeeClubSpeed=1:2:1"}, 2, "same quantity"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--vary", "TeeBallSpeed=1:2:1"}, 2, "varied twice"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--shard", "0/4"}, 2, "--shard takes K/N"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--shard", "5/4"}, 2, "--shard takes K/N"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--shard", "1/"}, 2, "--shard takes K/N"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--shard", "-1/2"}, 2, "--shard takes K/N"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--jobs", "0"}, 2, "--jobs"},
        // --mode is the old name of --physics; the message names the new one.
        {{"--vary", "TeeBallSpeed=1:2:1", "--mode", "fast"}, 2, "--physics: fast not in"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--physics", "fast"}, 2, "--physics: fast not in"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--plot", path("p.png")}, 2, "--plot needs Qt"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--chart", "carry_yd:" + path("c.png")},
         2,
         "built without"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--chart", "carry_yd"}, 2, "COLUMN:FILE.png"},
        {{"--vary", "TeeBallSpeed=1:2:1", "--json", csv}, 2, "name the same file"},
        {{}, 2, "--vary is required"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> args = {"sweep", model, "--csv", csv};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(run(args), c.status);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_NE(err.find("--help' for more information"), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(csv));
    }

    // Failures of the work itself: 1, and still nothing written.
    const struct
    {
        std::vector<std::string> args;
        const char* message;
    } failures[] = {
        {{"sweep", path("missing.txt"), "--vary", "TeeBallSpeed=1:2:1", "--csv", csv},
         "missing.txt: No such file or directory"},
        {{"sweep", dir.string(), "--vary", "TeeBallSpeed=1:2:1", "--csv", csv}, "Is a directory"},
        {{"sweep", model, "--vary", "TeeBallSpeed=1:2:1", "--csv", path("no/such/dir.csv")},
         "No such file or directory"},
        {{"sweep", model, "--vary", "TeeBallSpeed=1:2:1", "--csv", dir.string()}, "Is a directory"},
    };
    for (const auto& c : failures) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(run(c.args), 1);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(csv));
        EXPECT_EQ(out, "");
    }
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find("bad.csv"), std::string::npos);
}

// An output replaces the file it names (through a link, the file linked to)
// in one step, and keeps that file's mode.
TEST_F(Sweep, OutputsReplaceTheFileTheyName)
{
    const std::string model = kExamples + "hole1-teeshot.txt";
    const std::string real = path("real.csv"), link = path("link.csv");
    std::ofstream(real) << "old\n";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, link);
    EXPECT_EQ(run({"sweep", model, "--vary", "TeeBallSpeed=100:100:1", "--csv", link}), 0) << err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(linesOf(readAll(real)).size(), 2u);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::remove(link);
    fs::remove(real);
}

TEST_F(Sweep, ChartIsHandedTheColumnAgainstTheFirstKey)
{
    static SweepChart drawn;
    Pictures pictures;
    pictures.chart = [](const SweepChart& chart, std::string& png, std::string&) {
        drawn = chart;
        png = "chart";
        return true;
    };
    ASSERT_EQ(run({"sweep", kExamples + "hole1-teeshot.txt", "--vary", "TeeLaunchAngle=10:40:10",
                   "--vary", "TeeBallSpeed=0:100:100", "--vary", "TeeBackSpin=3000:3000:1",
                   "--chart", "carry_yd:" + path("c.png"), "--csv", path("c.csv")},
                  pictures),
              0)
        << err;
    EXPECT_EQ(readAll(path("c.png")), "chart");
    EXPECT_EQ(drawn.xTitle, "TeeLaunchAngle (deg)");
    EXPECT_EQ(drawn.yTitle, "Carry (yd)");
    EXPECT_EQ(drawn.x, (std::vector<double>{10, 20, 30, 40}));
    ASSERT_EQ(drawn.lines.size(), 2u);
    EXPECT_EQ(drawn.lines[1].name, "TeeBallSpeed 100 mph"); // the constant spin is left out
    const auto rows = csvRecords(readAll(path("c.csv")));
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(std::isnan(drawn.lines[0].y[i])); // speed 0 is refused
        EXPECT_NEAR(drawn.lines[1].y[i], std::stod(rows[2 * i + 1].at("carry_yd")), 5e-9);
    }

    EXPECT_EQ(run({"sweep", kExamples + "hole1-teeshot.txt", "--vary", "TeeLaunchAngle=10:40:10",
                   "--chart", "break_yd:" + path("c.png")},
                  pictures),
              2);
    EXPECT_NE(err.find("no column \"break_yd\""), std::string::npos) << err;
    EXPECT_EQ(run({"sweep", kExamples + "hole1-teeshot.txt", "--vary", "TeeLaunchAngle=10:40:10",
                   "--vary", "TeeBackSpin=1:100:1", "--chart", "carry_yd:" + path("c.png")},
                  pictures),
              2);
    EXPECT_NE(err.find("at most 64"), std::string::npos) << err;
}

// The plot gets every point's path thinned where it was run, in grid order,
// and only when --plot asks for it; its file is made before the first shot.
TEST_F(Sweep, PlotIsHandedEveryPathInGridOrder)
{
    static std::atomic<int> thinned{0};
    static SweepPlot drawn;
    Pictures pictures;
    pictures.thin = [](const Trajectory& shot) {
        ++thinned;
        return std::vector<Vector3>{shot.begin()->second, shot.back().second};
    };
    pictures.plot = [](const SweepPlot& plot, std::string& png, std::string&) {
        drawn.paths = plot.paths;
        drawn.legend = plot.legend;
        EXPECT_EQ(plot.model->TeeBallSpeed, 110); // the model as read
        png = "picture";
        return true;
    };
    const std::string model = kExamples + "hole1-teeshot.txt", png = path("p.png");
    auto sweep = [&](std::vector<std::string> more) {
        std::vector<std::string> args = {"sweep",    model,         "--vary",
                                         "TeeLaunchAngle=10:40:10", "--vary",
                                         "TeeBallSpeed=0:140:70", "--csv", path("p.csv")};
        args.insert(args.end(), more.begin(), more.end());
        thinned = 0;
        drawn = SweepPlot();
        return run(args, pictures);
    };

    ASSERT_EQ(sweep({"--plot", png, "--jobs", "2"}), 0) << err;
    EXPECT_EQ(readAll(png), "picture");
    EXPECT_EQ(drawn.legend, "TeeLaunchAngle 10 \u2026 40 deg \u00d7 TeeBallSpeed 0 \u2026 140 mph");
    ASSERT_EQ(drawn.paths.size(), 12u);
    EXPECT_EQ(thinned, 8); // the speed 0 points are refused and keep no path
    const std::vector<std::vector<Vector3>> whole = drawn.paths;
    for (std::size_t i = 0; i < whole.size(); ++i)
        EXPECT_EQ(whole[i].empty(), i % 3 == 0) << i;
    EXPECT_NE(whole[1], whole[2]);
    EXPECT_NE(whole[2], whole[5]);

    // A shard's paths are those of its points.
    ASSERT_EQ(sweep({"--plot", png, "--shard", "3/4"}), 0) << err;
    ASSERT_EQ(drawn.paths.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(drawn.paths[i], whole[2 + 4 * i]) << i;

    // Without --plot nothing is kept; a path that cannot be written stops
    // the sweep before it starts.
    ASSERT_EQ(sweep({}), 0) << err;
    EXPECT_EQ(thinned, 0);
    fs::remove(path("p.csv"));
    EXPECT_EQ(sweep({"--plot", path("no/such/p.png")}), 1);
    EXPECT_NE(err.find("no/such/p.png: No such file or directory"), std::string::npos) << err;
    EXPECT_EQ(thinned, 0);
    EXPECT_FALSE(fs::exists(path("p.csv")));

    const struct
    {
        std::vector<std::string> args;
        const char* message;
    } usage[] = {
        {{"--plot", "-"}, "--plot needs a file name"},
        {{"--plot", path("p.csv")}, "--csv and --plot name the same file"},
        {{"--plot", png, "--vary", "TeeBackSpin=0:1000:1"}, "at most 10000 paths; this sweep has 12012"},
    };
    for (const auto& c : usage) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(sweep(c.args), 2);
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_EQ(thinned, 0);
    }
    fs::remove(png);
}

// Ctrl+C on the real program: the runs under way finish, the first rows are
// written, and the exit status says it was interrupted.
TEST_F(Sweep, CtrlCWritesTheRowsDone)
{
    const std::string csv = path("interrupted.csv");
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::execl(SHOTLAB_EXE, SHOTLAB_EXE, "sweep", (kExamples + "hole1-teeshot.txt").c_str(),
                "--vary", "TeeLaunchAngle=5:55:0.01", "--vary", "TeeBackSpin=0:1000:1", "--csv",
                csv.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The temporary file beside the target appears once the sweep is under way.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool started = false;
    while (!started && std::chrono::steady_clock::now() < giveUp) {
        for (const auto& entry : fs::directory_iterator(dir))
            started |= entry.path().filename().string().rfind("interrupted.csv.", 0) == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(started);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGINT);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "the sweep did not stop";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kExitInterrupted);
    const auto rows = csvRecords(readAll(csv));
    EXPECT_LT(rows.size(), 5001u * 1001);
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
