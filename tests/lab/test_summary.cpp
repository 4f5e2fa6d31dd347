// Shotlab summary: the three output formats, bad files and usage errors,
// driven in-process through the lab library; one run of the real program.

#include "LabTest.h"
#include "ShotSummary.h"
#include "Simulation.h"
#include "SwingModel.h"

#include <clocale>
#include <nlohmann/json.hpp>

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
    EXPECT_EQ(t["file"], path("tee.txt"));
    const ShotRecord tee = recordOf(path("tee.txt"));
    for (const ShotField& f : shotFields()) {
        if (f.kind == ShotKind::Tee) {
            EXPECT_EQ(t[f.key].get<double>(), std::stod(plainText(f, tee))) << f.key;
        }
    }

    const json& p = list[1];
    EXPECT_EQ(p["file"], path("odd-\xef\xbf\xbd.txt"));
    EXPECT_EQ(p["holed"], true);
    EXPECT_EQ(p["roll_time_s"].get<double>(), 2.519);
    EXPECT_TRUE(list[2]["carry_yd"].is_null());
}

TEST_F(Summary, CsvHasOneHeaderAndEmptyCellsWhereNothingApplies)
{
    ASSERT_EQ(run({"summary", "--csv", path("tee.txt"), path("putt.txt"), path("air,shot.txt")}),
              0);
    const auto rows = linesOf(out);
    ASSERT_EQ(rows.size(), 4u);
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

    ASSERT_TRUE(ok(run({"summary", "--json", path("noise.txt")})));
    EXPECT_THAT(out, HasSubstr("\"hang_time_s\": 7.491,"));
    EXPECT_THAT(out, HasSubstr("\"carry_yd\": 102.6267,"));
}

// A number that is not finite is no number: an empty CSV cell and a dash in
// the table, as JSON prints null.
TEST_F(Summary, NumbersThatAreNotFiniteAreLeftOut)
{
    SwingModel m(false);
    ASSERT_TRUE(m.setValue("TeeBallSpeed", 1e200));
    simpleSwing(m);
    ASSERT_TRUE(m.write(path("far.txt")));
    ASSERT_TRUE(ok(run({"summary", "--csv", path("far.txt")})));
    const auto records = csvRecords(out);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].at("distance_to_hole_yd"), "");
    ASSERT_TRUE(ok(run({"summary", path("far.txt")})));
    EXPECT_EQ(out.find("inf"), std::string::npos) << out;
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
    const std::string missing = path("missing.txt");
    EXPECT_EQ(run({"summary", "--json", missing, dir.string(), path("tee.txt")}), 1);
    EXPECT_THAT(err, HasSubstr("Shotlab: " + missing + ": No such file or directory\n"));
    EXPECT_THAT(err, HasSubstr("Shotlab: " + dir.string() + ": Is a directory\n"));
    EXPECT_EQ(json::parse(out).size(), 1u);

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
        {{"summary"}, 2, "Shotlab summary --help"},
        {{"summary", "--json", "--csv", path("tee.txt")}, 2, "Shotlab summary --help"},
        {{"read-putt", "--csv", putt}, 2, "Shotlab read-putt --help"},
        {{"read-putt", putt, "extra"}, 2, "Shotlab read-putt --help"},
    }, {}, "--help' for more information");
    // clang-format on
    EXPECT_TRUE(ok(run({"summary", "--help"})));
    // Exit 1 covers more than an unreadable file, and the help says so.
    EXPECT_THAT(out, HasSubstr("standard output"));
    EXPECT_TRUE(ok(run({"--help"})));
    for (const char* also : {"written", "refused", "nothing"})
        EXPECT_THAT(out, HasSubstr(also));
}
