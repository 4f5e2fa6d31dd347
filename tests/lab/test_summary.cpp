// Shotlab summary: the three output formats, bad files and usage errors,
// driven in-process through the lab library; one run of the real program.

#include "LabTest.h"
#include "ShotSummary.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <clocale>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

using json = nlohmann::ordered_json;
using namespace quillmoor;
using namespace quillmoor::labtest;

namespace {

// Result files: the default complex tee shot, the hole-1 putt example
// (holed), a simple swing that ends in the air (with a comma in its name) and
// a model without any shot.
class Summary : public LabTest
{
protected:
    void SetUp() override
    {
        LabTest::SetUp();
        holeCatalogue().clear();
        SwingModel tee(false);
        ASSERT_TRUE(complexSwing(tee) && tee.write(path("tee.txt")));
        ASSERT_TRUE(simpleSwing(tee) && tee.write(path("air,shot.txt")));
        SwingModel putt(false);
        ASSERT_TRUE(putt.read(kExamples + "hole1-putt.txt"));
        ASSERT_TRUE(complexPutt(putt) && putt.write(path("putt.txt")));
        ASSERT_TRUE(SwingModel(false).write(path("empty.txt")));
    }

    // The first record of a file read afresh.
    static ShotRecord recordOf(const std::string& file)
    {
        holeCatalogue().clear();
        SwingModel m(false);
        EXPECT_TRUE(m.read(file));
        return summarizeShots(m).at(0);
    }
};

} // namespace

TEST_F(Summary, JsonHasEveryNumberAsTheCsvPrintsIt)
{
    const std::string odd = path("odd-\xff.txt"); // not UTF-8: the writer must not throw
    fs::copy_file(path("putt.txt"), odd, fs::copy_options::overwrite_existing);
    ASSERT_TRUE(ok(run({"summary", "--json", path("tee.txt"), odd, path("air,shot.txt")})));
    EXPECT_EQ(err, "");
    const json list = json::parse(out);
    ASSERT_EQ(list.size(), 3u);

    const json& t = list[0];
    EXPECT_EQ(t.begin().key(), "file");
    EXPECT_EQ(t["file"], path("tee.txt"));
    EXPECT_EQ(t["shot"], "tee");
    EXPECT_EQ(t.size(), 11u);
    const ShotRecord tee = recordOf(path("tee.txt"));
    for (const ShotField& f : shotFields()) {
        if (f.kind == ShotKind::Tee) {
            EXPECT_EQ(t[f.key].get<double>(), std::stod(plainText(f, tee))) << f.key;
            EXPECT_NEAR(t[f.key].get<double>(), *f.of(tee), 1e-8) << f.key;
        }
    }

    const json& p = list[1];
    EXPECT_EQ(p["file"], path("odd-\xef\xbf\xbd.txt"));
    EXPECT_EQ(p["shot"], "putt");
    EXPECT_EQ(p["holed"], true);
    EXPECT_EQ(p["roll_time_s"].get<double>(), 2.519);
    EXPECT_FALSE(p.contains("carry_yd"));

    for (const char* key :
         {"carry_yd", "roll_yd", "hang_time_s", "landing_angle_deg", "side_at_landing_yd"})
        EXPECT_TRUE(list[2][key].is_null()) << key;
}

TEST_F(Summary, CsvHasOneHeaderAndEmptyCellsWhereNothingApplies)
{
    ASSERT_EQ(run({"summary", "--csv", path("tee.txt"), path("putt.txt"), path("air,shot.txt")}),
              0);
    const auto rows = linesOf(out);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], "file,shot,carry_yd,total_yd,roll_yd,apex_yd,hang_time_s,landing_angle_deg,"
                       "side_yd,side_at_landing_yd,distance_to_hole_yd,holed,roll_distance_yd,"
                       "break_yd,roll_time_s");
    const std::string carry = plainText(shotFields()[0], recordOf(path("tee.txt")));
    EXPECT_EQ(rows[1].rfind(path("tee.txt") + ",tee," + carry + ",", 0), 0u) << rows[1];
    EXPECT_EQ(rows[1].substr(rows[1].size() - 4), ",,,,");
    EXPECT_EQ(rows[2].rfind(path("putt.txt") + ",putt,,,,,,,,,0,true,", 0), 0u) << rows[2];
    // The name with a comma is quoted; carry is empty.
    EXPECT_EQ(rows[3].rfind("\"" + path("air,shot.txt") + "\",tee,,", 0), 0u) << rows[3];
}

// 7491 steps of 0.001 s come to 7.4910000000000005 in binary: the hang time
// prints as the 7.491 it is, distances to the 8 decimals of the points.
TEST_F(Summary, CsvAndJsonPrintNoBinaryNoise)
{
    SwingModel m(false);
    for (int i = 0; i <= 7491; ++i)
        m.teeShot.set(i, {0.0, i * 0.0137, 5.0 - i * (5.0 + 3.0) / 7491});
    m.FirstImpact = 7491;
    m.TimeStepSize = 0.001;
    ASSERT_TRUE(m.write(path("noise.txt")));

    ASSERT_TRUE(ok(run({"summary", "--csv", path("noise.txt"), path("tee.txt")})));
    const auto rows = linesOf(out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(rows[1].find(",7.491,"), std::string::npos) << rows[1];
    for (const std::string& row : {rows[1], rows[2]}) {
        std::istringstream cells(row);
        for (std::string cell; std::getline(cells, cell, ',');) {
            const std::size_t point = cell.find('.');
            if (point != std::string::npos && cell.find('/') == std::string::npos) {
                EXPECT_LE(cell.size() - point - 1, 8u) << cell;
            }
        }
    }

    ASSERT_TRUE(ok(run({"summary", "--json", path("noise.txt")})));
    EXPECT_THAT(out, HasSubstr("\"hang_time_s\": 7.491,"));
    EXPECT_THAT(out, HasSubstr("\"carry_yd\": 102.6267,"));
}

TEST_F(Summary, TableIsAlignedWithUnitsWhateverTheLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    const bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    const std::locale before =
        comma ? std::locale::global(std::locale("de_DE.UTF-8")) : std::locale();
    const int status = run({"summary", path("tee.txt"), path("air,shot.txt"), path("putt.txt")});
    if (comma)
        std::locale::global(before);
    std::setlocale(LC_ALL, saved.c_str());

    ASSERT_EQ(status, 0);
    const auto rows = linesOf(out);
    ASSERT_EQ(rows.size(), 10u) << out;
    EXPECT_EQ(rows[0], "Tee shots");
    EXPECT_EQ(rows[6], "Putts");
    EXPECT_NE(rows[1].find("Carry"), std::string::npos);
    EXPECT_NE(rows[2].find("(yd)"), std::string::npos);
    EXPECT_NE(rows[3].find(" 108.35 "), std::string::npos) << rows[3];
    EXPECT_NE(rows[4].find(" \u2013 "), std::string::npos) << rows[4]; // no carry
    EXPECT_NE(rows[9].find(" yes "), std::string::npos) << rows[9];
    // Right-aligned numbers: each line of a section ends in the same column.
    const auto width = [](const std::string& s) {
        return s.size() - 2 * std::count(s.begin(), s.end(), '\xe2'); // "–" takes 3 bytes
    };
    for (int r : {2, 3, 4})
        EXPECT_EQ(width(rows[r]), width(rows[1])) << r;
}

TEST_F(Summary, UnreadableFilesAreNamedAndTheOthersStillPrinted)
{
    const std::string missing = path("missing.txt"), locked = path("locked.txt");
    fs::copy_file(path("tee.txt"), locked, fs::copy_options::overwrite_existing);
    fs::permissions(locked, fs::perms::none);
    const bool canLock = !std::ifstream(locked).good(); // not when run as root

    EXPECT_EQ(run({"summary", "--json", missing, dir.string(), locked, path("tee.txt")}), 1);
    EXPECT_THAT(err, HasSubstr("Shotlab: " + missing + ": No such file or directory\n"));
    EXPECT_THAT(err, HasSubstr("Shotlab: " + dir.string() + ": Is a directory\n"));
    if (canLock) {
        EXPECT_THAT(err, HasSubstr(locked + ": Permission denied\n"));
    }
    EXPECT_EQ(json::parse(out).size(), canLock ? 1u : 2u);

    // A file without any shot is reported, not failed.
    EXPECT_EQ(run({"summary", "--json", path("empty.txt")}), 0);
    EXPECT_EQ(out, "[]\n");
    EXPECT_THAT(err, HasSubstr("empty.txt: no tee shot or putt"));
}

// Each file is read as in a fresh process: a hole redefined by one file does not
// become the starting hole of the next.
TEST_F(Summary, NoHoleLeaksFromOneFileIntoTheNext)
{
    const char* steps = "TeeShotSteps: 2\n0, 0, 0, 0\n1, 0, 10, 0\n";
    std::ofstream(path("moved.txt")) << "HoleId: 1\nHolePos: 0, 50, 0\n" << steps;
    std::ofstream(path("bare.txt")) << steps;
    ASSERT_EQ(run({"summary", "--json", path("moved.txt"), path("bare.txt")}), 0);
    const json list = json::parse(out);
    EXPECT_NEAR(list[0]["distance_to_hole_yd"].get<double>(), 40.0, 1e-8);
    EXPECT_NEAR(list[1]["distance_to_hole_yd"].get<double>(), std::sqrt(15.0 * 15 + 144 * 144 + 49),
                1e-8);
}

// Usage errors of every command exit with 2 and say where help is.
TEST_F(Summary, UsageErrorsExitWithTwo)
{
    const std::string putt = kExamples + "hole1-putt.txt";
    // clang-format off
    expectRefused({}, {
        {{}, 2, "Shotlab --help"},
        {{"frobnicate"}, 2, "Shotlab --help"},
        {{"-x"}, 2, "Shotlab --help"},
        {{"summary"}, 2, "Shotlab summary --help"},
        {{"summary", "--bogus", path("tee.txt")}, 2, "Shotlab summary --help"},
        {{"summary", "--json", "--csv", path("tee.txt")}, 2, "Shotlab summary --help"},
        {{"read-putt"}, 2, "Shotlab read-putt --help"},
        {{"read-putt", "--csv", putt}, 2, "Shotlab read-putt --help"},
        {{"read-putt", putt, "extra"}, 2, "Shotlab read-putt --help"},
    }, {}, "--help' for more information");
    // clang-format on
    const std::pair<std::vector<std::string>, const char*> helps[] = {
        {{"--help"}, "summary"},
        {{"summary", "--help"}, "--csv"},
        {{"read-putt", "--help"}, "--json"}};
    for (const auto& [args, piece] : helps) {
        EXPECT_TRUE(ok(run(args)));
        EXPECT_THAT(out, HasSubstr(piece));
    }
}

TEST_F(Summary, TheProgram)
{
    const std::string exe = std::string("'") + SHOTLAB_EXE + "'", o = path("stdout");
    int status =
        std::system((exe + " summary --json '" + path("tee.txt") + "' >'" + o + "'").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream in(o);
    EXPECT_EQ(json::parse(in).at(0)["landing_angle_deg"].get<double>(),
              std::stod(plainText(shotFields()[5], recordOf(path("tee.txt")))));

    status = std::system((exe + " summary --frobnicate x 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}
