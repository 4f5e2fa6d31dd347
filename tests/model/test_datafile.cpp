#include "../../model/src/NumberText.h"
#include "ModelFixture.h"

#include <clocale>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class DataFileTest : public ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        char tmpl[] = "/tmp/qh-datafile-XXXXXX";
        dir = mkdtemp(tmpl);
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string file(const std::string& name) const { return dir + "/" + name; }
    std::string put(const std::string& name, const std::string& text) const
    {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        DIR* d = opendir(dir.c_str());
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
        return names;
    }

    std::string dir;
};

bool contains(const std::string& text, const std::string& line)
{
    return text.find("\n" + line + "\n") != std::string::npos;
}

} // namespace

TEST_F(DataFileTest, FreshModelMatchesTheGoldenFile)
{
    SwingModel m;
    ASSERT_TRUE(m.write(file("fresh.txt")));
    EXPECT_EQ(slurp(file("fresh.txt")), slurp(QUILLMOOR_TEST_DATA "/fresh-model.txt"));
}

TEST_F(DataFileTest, ResultLinesAndFooter)
{
    SwingModel m;
    m.setPoint(12, {-1.5, 30.25, 0});
    m.setPoint(13, {-1.0, 31, 2});
    m.FirstImpact = 13;
    m.setExitCode(1);
    std::string t = m.toText();
    EXPECT_TRUE(contains(t, "    12, -1.50000000, 30.25000000, 0.00000000"));
    EXPECT_TRUE(contains(t, "MaxXPosition:     12, -1.50000000, 30.25000000, 0.00000000"));
    EXPECT_TRUE(contains(t, "MaxZPosition:     13, -1.00000000, 31.00000000, 2.00000000"));
    EXPECT_TRUE(contains(t, "FirstImpact:     13, -1.00000000, 31.00000000, 2.00000000"));
    EXPECT_TRUE(contains(t, "TeeShotSteps: 2"));
    EXPECT_NE(t.find("\n\nExit Code: 1\n# The golf swing simulation was completed successfully.\n"),
              std::string::npos);

    m.setExitCode(-1);
    t = m.toText(true);
    EXPECT_EQ(t.find("TeeShotSteps"), std::string::npos);
    EXPECT_NE(t.find("Exit Code: -1\n# The golf swing simulation exited with errors.\n"),
              std::string::npos);
}

TEST_F(DataFileTest, TreeProximityAndGreenDistanceLines)
{
    SwingModel m;
    m.selectHole(2); // Oak at (0, 30, 0), 25 high
    m.setPoint(0, {0, 0, 0});
    m.setPoint(1, {0, 30, 20});
    m.FirstImpact = 1;
    const std::string t = m.toText();
    EXPECT_TRUE(contains(t, "TreeProximity:      1, 0.00000000, 30.00000000, 20.00000000"));
    EXPECT_TRUE(contains(t, "BallDistanceToTree: 5.00000000, 0.00000000, 0.00000000, 5.00000000"));
    EXPECT_TRUE(contains(t, "FirstImpactDistanceToGreen: 118.966"));
    EXPECT_TRUE(contains(t, "BallDistanceToGreen: 118.966"));
}

TEST_F(DataFileTest, RoundTripIsAFixedPoint)
{
    SwingModel m;
    m.selectHole(3);
    m.TeeBallSpeed = 123.456789012;
    m.PuttTargetAngle = -1e-7;
    m.TimeStepSize = 0.0025;
    m.BallPos = {1.0 / 3, 2.0 / 3, -1e-9};
    for (int i = 0; i < 50; ++i)
        m.setPoint(i, {i * 0.1, i * 1.7, std::sin(i * 0.3) * 5});
    m.setPuttEnabled(true);
    m.setPoint(0, {1, 2, 3});
    m.FirstImpact = 20;
    m.setExitCode(1);
    ASSERT_TRUE(m.write(file("a.txt")));

    SwingModel r;
    ASSERT_TRUE(r.read(file("a.txt")));
    ASSERT_TRUE(r.write(file("b.txt")));
    SwingModel r2;
    ASSERT_TRUE(r2.read(file("b.txt")));
    ASSERT_TRUE(r2.write(file("c.txt")));
    EXPECT_EQ(slurp(file("b.txt")), slurp(file("c.txt")));
    EXPECT_EQ(r.hole.TreeType, "Birch");
    EXPECT_EQ(r.teeShot.size(), 50);
    EXPECT_EQ(r.teeStep, 0);
    EXPECT_EQ(r.FirstImpact, 20);
    EXPECT_TRUE(r.PuttEnabled);
    EXPECT_EQ(r.exitCode, 1);
}

struct ReaderCase
{
    const char* name;
    std::string text;
    std::function<void(const SwingModel&)> check;
    friend void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }
};

class ReaderQuirks : public DataFileTest, public ::testing::WithParamInterface<ReaderCase>
{
};

TEST_P(ReaderQuirks, Reads)
{
    SwingModel m;
    m.FirstImpact = 77;
    m.setPoint(0, {9, 9, 9});
    ASSERT_TRUE(m.read(put("in.txt", GetParam().text), true));
    GetParam().check(m);
}

INSTANTIATE_TEST_SUITE_P(
    Format, ReaderQuirks,
    ::testing::Values(
        ReaderCase{"NilImpactKeepsValue", "FirstImpact: -nil-, x, y, z\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.FirstImpact, 77); }},
        ReaderCase{"NilWithoutBlankIsZero", "FirstImpact:-nil-, x, y, z\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.FirstImpact, 0); }},
        ReaderCase{"VectorWithoutCommaIgnored", "HolePos: 5\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.hole.HolePos, Vector3(-15, 154, -7)); }},
        ReaderCase{"ShortVector", "HolePos: 1, 2\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.hole.HolePos, Vector3(1, 2, 0)); }},
        ReaderCase{"TightVector", "HolePos: 1,2,3\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.hole.HolePos, Vector3(1, 2, 3)); }},
        ReaderCase{"BlankBeforeCommaStops", "BallPos: 1 ,2,3\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.BallPos, Vector3(1, 0, 0)); }},
        ReaderCase{"CommaInScalarIgnored", "WindDir: 1,5\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.hole.WindDir, 22.0); }},
        ReaderCase{"KeysAreExact", "windDir: 5\nWindDir : 6\n WindDir: 7\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.hole.WindDir, 22.0); }},
        ReaderCase{"UnparsableNumberIsZero", "WindSpeed: fast\nTeeBackSpin: 1e3rpm\n",
                   [](const SwingModel& m) {
                       EXPECT_EQ(m.hole.WindSpeed, 0.0);
                       EXPECT_EQ(m.TeeBackSpin, 1000.0);
                   }},
        ReaderCase{"AlternativeKeys", "TeeClubSpeed: 99\nTeeZSpin: -5\nPuttClubSpeed: 3\n",
                   [](const SwingModel& m) {
                       EXPECT_EQ(m.TeeBallSpeed, 99.0);
                       EXPECT_EQ(m.TeeSideSpin, -5.0);
                       EXPECT_EQ(m.PuttBallSpeed, 3.0);
                   }},
        ReaderCase{"TreeTypeTrimmed", "TreeType:    Birch\r\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.hole.TreeType, "Birch"); }},
        ReaderCase{"TreeTypeWithCommaIgnored", "TreeType: Oak, big\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.hole.TreeType, ""); }},
        ReaderCase{"ExitCodeAndCrLf", "Exit Code: 3\r\nTeeLaunchAngle: 12.5\r\n",
                   [](const SwingModel& m) {
                       EXPECT_EQ(m.exitCode, 3);
                       EXPECT_EQ(m.TeeLaunchAngle, 12.5);
                   }},
        ReaderCase{"EmptyBlockKeptWithKeepOnEmpty", "TeeShotSteps: 0\n",
                   [](const SwingModel& m) {
                       EXPECT_EQ(m.teeShot.size(), 1);
                       EXPECT_EQ(m.teeStep, -1);
                   }},
        ReaderCase{"BlockReplacesAndSkipsLinesWithoutComma",
                   "TeeShotSteps: 4\n  3, 1, 2, 3\nnonsense\n  1, 4\n  3, 7, 7, 7\nWindDir: 5\n",
                   [](const SwingModel& m) {
                       ASSERT_EQ(m.teeShot.size(), 2);
                       EXPECT_EQ(*m.teeShot.find(1), Vector3(4, 0, 0));
                       EXPECT_EQ(*m.teeShot.find(3), Vector3(7, 7, 7)); // the later wins
                       EXPECT_EQ(m.teeStep, 0);
                       EXPECT_EQ(m.hole.WindDir, 5.0); // read as an ordinary line again
                   }},
        ReaderCase{"HugeCountReadsWhatIsThere", "PuttShotSteps: 2147483647\n 0, 1, 1, 1\n 1, 2, 2, 2",
                   [](const SwingModel& m) { EXPECT_EQ(m.puttShot.size(), 2); }},
        ReaderCase{"NegativeCountReadsNothing", "TeeShotSteps: -5\n 0, 1, 1, 1\n",
                   [](const SwingModel& m) { EXPECT_EQ(m.teeShot.size(), 1); }},
        ReaderCase{"LongLineArrivesInPieces",
                   "TreeType: " + std::string(250, 'x') + "\nWindSpeed: 2\n",
                   [](const SwingModel& m) {
                       EXPECT_EQ(m.hole.TreeType, std::string(189, 'x'));
                       EXPECT_EQ(m.hole.WindSpeed, 2.0);
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DataFileTest, UnknownHoleIdGetsTheNextFreeIdUnlessWrittenThrough)
{
    SwingModel m;
    ASSERT_TRUE(m.read(put("a.txt", "HoleId: 9\nWindDir: 22\n")));
    EXPECT_EQ(m.hole.HoleId, 5);
    EXPECT_EQ(SwingModel::holeCount(), 5);
    ASSERT_TRUE(m.read(put("b.txt", "HoleId: 9\nWindDir: 40\n")));
    EXPECT_EQ(m.hole.HoleId, 9);
    EXPECT_EQ(holeCatalogue().at(9).WindDir, 40.0);
}

TEST_F(DataFileTest, HoleIdAloneRedefinesThatHole)
{
    SwingModel m;
    RecordingListener l;
    ASSERT_TRUE(m.read(put("a.txt", "HoleId: 3\n")));
    EXPECT_EQ(m.hole.HoleId, 3);
    EXPECT_EQ(holeCatalogue().at(3).HolePos, Vector3(-15, 154, -7));
    EXPECT_EQ(holeCatalogue().at(3).TreeType, "");
    ASSERT_EQ(l.calls.size(), 1u);
    EXPECT_EQ(l.calls[0].flags, 56u);
}

TEST_F(DataFileTest, MissingPathsAndDirectoriesFailWithoutChange)
{
    SwingModel m;
    EXPECT_FALSE(m.read(""));
    EXPECT_FALSE(m.read(file("absent.txt")));
    EXPECT_FALSE(m.read(dir));
    EXPECT_FALSE(m.write("")); // no path and no fileName
    m.fileName = file("named.txt");
    EXPECT_TRUE(m.write(""));
    EXPECT_EQ(slurp(file("named.txt")).substr(0, 22), "# SwingModel Data File");
}

TEST_F(DataFileTest, FailedWriteLeavesNothingBehind)
{
    SwingModel m;
    const std::string good = put("good.txt", "keep me\n");
    EXPECT_FALSE(m.write(file("no/such/dir/x.txt")));
    mkdir(file("target").c_str(), 0755); // rename over a directory fails
    EXPECT_FALSE(m.write(file("target")));
    auto names = entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"good.txt", "target"}));
    EXPECT_EQ(slurp(good), "keep me\n");
}

TEST_F(DataFileTest, WriteKeepsTheModeOfTheFileItReplaces)
{
    SwingModel m;
    const std::string path = put("mode.txt", "old\n");
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(m.write(path));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(DataFileTest, ReaderSurvivesJunk)
{
    std::mt19937 rng(7);
    std::string junk(64 * 1024, '\0');
    for (auto& c : junk)
        c = static_cast<char>(rng());
    using namespace std::string_literals;
    const std::string nul = "WindDir: 5\0WindSpeed: 9\nGreenRho: 0.5"s;
    for (const std::string& text :
         {junk, nul, std::string(10 * 1024 * 1024, 'x') + ":1,2\n", std::string("TeeShotSteps: 3\n1")}) {
        SwingModel m;
        EXPECT_TRUE(m.read(put("junk.bin", text)));
    }
    SwingModel m;
    m.read(put("nul.txt", nul));
    EXPECT_EQ(m.hole.WindDir, 5.0);
    EXPECT_EQ(m.hole.GreenRho, 0.5); // no final line end
    EXPECT_EQ(m.hole.WindSpeed, 4.5); // hidden behind the NUL
}

TEST_F(DataFileTest, ReversedStepsReadFast)
{
    std::string text = "TeeShotSteps: 200000\n";
    for (int i = 200000; i > 0; --i)
        text += std::to_string(i) + ", 1, 2, 3\n";
    SwingModel m;
    ASSERT_TRUE(m.read(put("rev.txt", text)));
    EXPECT_EQ(m.teeShot.size(), 200000);
    EXPECT_EQ(m.teeShot.begin()->first, 1);
}

TEST_F(DataFileTest, CommaLocaleDoesNotLeakIntoFiles)
{
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not generated here (scripts/setup.sh generates it)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5"); // the locale really is active

    SwingModel m;
    m.TeeBallSpeed = 101.25;
    const bool written = m.write(file("de.txt"));
    SwingModel r;
    const bool read = r.read(file("de.txt"));
    std::setlocale(LC_ALL, saved.c_str());

    ASSERT_TRUE(written);
    ASSERT_TRUE(read);
    EXPECT_EQ(slurp(file("de.txt")), m.toText()); // the same text as under "C"
    EXPECT_EQ(r.TeeBallSpeed, 101.25);
    EXPECT_EQ(r.hole.HolePos, Vector3(-15, 154, -7));
}

// The locale-free formatting must give printf's digits for every magnitude.
TEST(NumberText, MatchesPrintf)
{
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> mant(-10, 10);
    std::uniform_int_distribution<int> expo(-12, 14);
    std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, 0.125, 0.03125, 0.001953125, -0.005859375, -1e-12, 1e-5, 999999999.99999999, 5e-324, 123456.5, 1e6, 999999.5,
                                  std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::denorm_min(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    for (int i = 0; i < 20000; ++i)
        values.push_back(mant(rng) * std::pow(10.0, expo(rng)));
    std::uniform_int_distribution<std::uint64_t> anyBits;
    for (int i = 0; i < 20000; ++i) { // every exponent, NaN payloads included
        const std::uint64_t b = anyBits(rng);
        double v;
        std::memcpy(&v, &b, sizeof v);
        values.push_back(v);
    }
    char ref[512];
    for (double v : values) {
        const char* end = nullptr;
        std::snprintf(ref, sizeof ref, "%.17g", v);
        const double back = numtext::parseDouble(ref, &end);
        ASSERT_TRUE(back == v || (std::isnan(back) && std::isnan(v))) << ref;
        ASSERT_EQ(*end, '\0') << ref;
        std::string s;
        numtext::appendFixed(s, v, 4, 8);
        std::snprintf(ref, sizeof ref, "%8.4f", v);
        ASSERT_EQ(s, ref) << v;
        s.clear();
        numtext::appendFixed(s, v, 8, 8);
        std::snprintf(ref, sizeof ref, "%8.8f", v);
        ASSERT_EQ(s, ref) << v;
        s.clear();
        numtext::appendGeneral(s, v);
        std::snprintf(ref, sizeof ref, "%g", v);
        ASSERT_EQ(s, ref) << v;
    }
    std::string s;
    numtext::appendInt(s, -42, 6);
    EXPECT_EQ(s, "   -42");
}

TEST(NumberText, ParsesLikeTheCLibrary)
{
    EXPECT_EQ(numtext::parseInt("  -12abc"), -12);
    EXPECT_EQ(numtext::parseInt("x"), 0);
    EXPECT_EQ(numtext::parseInt("99999999999999"), std::numeric_limits<int>::max());
    EXPECT_EQ(numtext::parseDouble(" +2.5e1x"), 25.0);
    double v[3] = {0, 0, 0};
    EXPECT_EQ(numtext::parseTriple(" 1.5,\t-2 ,3", v), 2);
    EXPECT_EQ(v[1], -2.0);
}
