// Shotlab summary: the three output formats, bad files and usage errors,
// driven in-process through the lab library; one run of the real program.

#include "ShotSummary.h"
#include "Shotlab.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;
using namespace quillmoor;

namespace {

// Result files written once: the default complex tee shot, the hole-1 putt
// example (holed), a simple swing that ends in the air, and a model without
// any shot.
class Summary : public ::testing::Test
{
protected:
    static inline fs::path dir;
    static std::string path(const char* name) { return (dir / name).string(); }

    static void SetUpTestSuite()
    {
        std::string name = ::testing::TempDir() + "shotlabXXXXXX";
        dir = ::mkdtemp(name.data());
        holeCatalogue().clear();
        SwingModel tee(false);
        ASSERT_TRUE(complexSwing(tee) && tee.write(path("tee.txt")));
        ASSERT_TRUE(simpleSwing(tee) && tee.write(path("air,shot.txt")));
        SwingModel putt(false);
        ASSERT_TRUE(putt.read(QUILLMOOR_SOURCE_DIR "/examples/hole1-putt.txt"));
        ASSERT_TRUE(complexPutt(putt) && putt.write(path("putt.txt")));
        ASSERT_TRUE(SwingModel(false).write(path("empty.txt")));
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }

    std::string out, err;
    int run(std::vector<std::string> args)
    {
        std::ostringstream o, e;
        const int status = lab::runShotlab(args, o, e);
        out = o.str();
        err = e.str();
        return status;
    }

    // The numbers as the model gives them for a file read afresh.
    static ShotRecord recordOf(const std::string& file, std::size_t index)
    {
        holeCatalogue().clear();
        SwingModel m(false);
        EXPECT_TRUE(m.read(file));
        return summarizeShots(m).at(index);
    }
};

} // namespace

TEST_F(Summary, JsonHasEveryNumberAtFullPrecision)
{
    ASSERT_EQ(run({"summary", "--json", path("tee.txt"), path("putt.txt"), path("air,shot.txt")}),
              0)
        << err;
    EXPECT_EQ(err, "");
    const json list = json::parse(out);
    ASSERT_EQ(list.size(), 3u);

    const ShotRecord tee = recordOf(path("tee.txt"), 0);
    const json& t = list[0];
    EXPECT_EQ(t["file"], path("tee.txt"));
    EXPECT_EQ(t["shot"], "tee");
    std::vector<std::string> keys;
    for (auto it = t.begin(); it != t.end(); ++it)
        keys.push_back(it.key());
    ASSERT_EQ(keys.size(), 11u);
    EXPECT_EQ(keys[2], "carry_yd");
    for (const ShotField& f : shotFields()) {
        if (f.kind == ShotKind::Tee) {
            EXPECT_EQ(t[f.key].get<double>(), *f.of(tee)) << f.key;
        }
    }

    const json& p = list[1];
    EXPECT_EQ(p["shot"], "putt");
    EXPECT_EQ(p["holed"], true);
    EXPECT_EQ(p["distance_to_hole_yd"], 0.0);
    EXPECT_EQ(p["roll_time_s"].get<double>(), *recordOf(path("putt.txt"), 0).putt.rollTime);
    EXPECT_FALSE(p.contains("carry_yd"));

    const json& air = list[2]; // never landed
    for (const char* key :
         {"carry_yd", "roll_yd", "hang_time_s", "landing_angle_deg", "side_at_landing_yd"})
        EXPECT_TRUE(air[key].is_null()) << key;
    EXPECT_TRUE(air["total_yd"].is_number());
}

// A path that is not UTF-8 must not break the JSON (the writer would throw).
TEST_F(Summary, JsonStaysValidForAnyFileName)
{
    const std::string odd = path("odd-\xff.txt");
    fs::copy_file(path("putt.txt"), odd, fs::copy_options::overwrite_existing);
    ASSERT_EQ(run({"summary", "--json", odd}), 0);
    EXPECT_EQ(json::parse(out).at(0)["file"], path("odd-\xef\xbf\xbd.txt"));
}

TEST_F(Summary, CsvHasOneHeaderAndEmptyCellsWhereNothingApplies)
{
    ASSERT_EQ(run({"summary", "--csv", path("tee.txt"), path("putt.txt"), path("air,shot.txt")}),
              0);
    std::istringstream lines(out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "file,shot,carry_yd,total_yd,roll_yd,apex_yd,hang_time_s,landing_angle_deg,"
                       "side_yd,side_at_landing_yd,distance_to_hole_yd,holed,roll_distance_yd,"
                       "break_yd,roll_time_s");
    const ShotRecord tee = recordOf(path("tee.txt"), 0);
    EXPECT_EQ(rows[1].rfind(path("tee.txt") + ",tee," + exactText(*tee.tee.carry) + ",", 0), 0u)
        << rows[1];
    EXPECT_EQ(rows[1].substr(rows[1].size() - 4), ",,,,");
    EXPECT_EQ(rows[2].rfind(path("putt.txt") + ",putt,,,,,,,,,0,true,", 0), 0u) << rows[2];
    // The comma in the name is quoted; carry and roll are empty.
    EXPECT_EQ(rows[3].rfind("\"" + path("air,shot.txt") + "\",tee,,", 0), 0u) << rows[3];
}

TEST_F(Summary, TableIsAlignedWithUnits)
{
    ASSERT_EQ(run({"summary", path("tee.txt"), path("air,shot.txt"), path("putt.txt")}), 0);
    std::istringstream lines(out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 10u) << out;
    EXPECT_EQ(rows[0], "Tee shots");
    EXPECT_EQ(rows[6], "Putts");
    EXPECT_NE(rows[1].find("Carry"), std::string::npos);
    EXPECT_NE(rows[2].find("(yd)"), std::string::npos);
    EXPECT_NE(rows[3].find(" 108.35 "), std::string::npos) << rows[3];
    EXPECT_NE(rows[4].find("\u2013"), std::string::npos) << rows[4];
    EXPECT_NE(rows[9].find(" yes "), std::string::npos) << rows[9];
    // Numbers are right-aligned: every line of a section ends in the same column.
    const auto width = [](const std::string& s) {
        return s.size() - 2 * std::count(s.begin(), s.end(), '\xe2');
    };
    EXPECT_EQ(width(rows[1]), width(rows[2]));
    EXPECT_EQ(width(rows[1]), width(rows[3]));
    EXPECT_EQ(width(rows[1]), width(rows[4]));
}

TEST_F(Summary, UnreadableFilesAreNamedAndTheOthersStillPrinted)
{
    const std::string missing = path("missing.txt");
    EXPECT_EQ(run({"summary", "--json", missing, dir.string(), path("tee.txt")}), 1);
    EXPECT_NE(err.find("Shotlab: " + missing + ": No such file or directory"), std::string::npos)
        << err;
    EXPECT_NE(err.find("Shotlab: " + dir.string() + ": Is a directory"), std::string::npos) << err;
    EXPECT_EQ(json::parse(out).size(), 1u);

    // A file without any shot is reported, not failed.
    EXPECT_EQ(run({"summary", "--json", path("empty.txt")}), 0);
    EXPECT_EQ(out, "[]\n");
    EXPECT_NE(err.find("empty.txt: no tee shot or putt"), std::string::npos) << err;
}

TEST_F(Summary, UnreadableForLackOfPermission)
{
    const std::string locked = path("locked.txt");
    fs::copy_file(path("tee.txt"), locked, fs::copy_options::overwrite_existing);
    fs::permissions(locked, fs::perms::none);
    if (std::ifstream(locked).good())
        GTEST_SKIP() << "running with the right to read any file";
    EXPECT_EQ(run({"summary", locked}), 1);
    EXPECT_NE(err.find(locked + ": Permission denied"), std::string::npos) << err;
}

// Each file is read as in a fresh process: a hole redefined by one file does not
// become the starting hole of the next.
TEST_F(Summary, NoHoleLeaksFromOneFileIntoTheNext)
{
    std::ofstream(path("moved.txt")) << "HoleId: 1\nHolePos: 0, 50, 0\n"
                                        "TeeShotSteps: 2\n0, 0, 0, 0\n1, 0, 10, 0\n";
    std::ofstream(path("bare.txt")) << "TeeShotSteps: 2\n0, 0, 0, 0\n1, 0, 10, 0\n";
    ASSERT_EQ(run({"summary", "--json", path("moved.txt"), path("bare.txt")}), 0);
    const json list = json::parse(out);
    EXPECT_NEAR(list[0]["distance_to_hole_yd"].get<double>(), 40.0, 1e-9);
    EXPECT_NEAR(list[1]["distance_to_hole_yd"].get<double>(), std::sqrt(15.0 * 15 + 144 * 144 + 49),
                1e-9);
}

TEST_F(Summary, NumbersUseAPointWhateverTheLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not generated here (scripts/setup.sh generates it)";
    const std::locale before = std::locale::global(std::locale("de_DE.UTF-8"));
    const int table = run({"summary", path("tee.txt")});
    const std::string tableText = out;
    const int csv = run({"summary", "--csv", path("tee.txt")});
    std::locale::global(before);
    std::setlocale(LC_ALL, saved.c_str());

    EXPECT_EQ(table, 0);
    EXPECT_NE(tableText.find("108.35"), std::string::npos) << tableText;
    EXPECT_EQ(csv, 0);
    EXPECT_NE(out.find(",108.3"), std::string::npos) << out;
}

TEST_F(Summary, UsageErrorsExitWithTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"summary"},
        {"summary", "--bogus", path("tee.txt")},
        {"summary", "--json", "--csv", path("tee.txt")},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(run(args), 2) << testing::PrintToString(args);
        EXPECT_EQ(out, "");
        EXPECT_NE(err.find("--help"), std::string::npos) << err;
    }
    EXPECT_NE(err.find("summary --help"), std::string::npos) << err;

    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.find("summary"), std::string::npos);
    EXPECT_EQ(run({"summary", "--help"}), 0);
    EXPECT_NE(out.find("--csv"), std::string::npos);
    EXPECT_NE(out.find("FILE"), std::string::npos);
}

TEST_F(Summary, TheProgram)
{
    const std::string exe = SHOTLAB_EXE;
    const std::string o = path("stdout"), e = path("stderr");
    int status = std::system(
        ("'" + exe + "' summary --json '" + path("tee.txt") + "' >'" + o + "' 2>'" + e + "'")
            .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::ifstream in(o);
    EXPECT_EQ(json::parse(in).at(0)["landing_angle_deg"].get<double>(),
              *recordOf(path("tee.txt"), 0).tee.landingAngle);

    status = std::system(("'" + exe + "' summary --frobnicate x 2>'" + e + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}
