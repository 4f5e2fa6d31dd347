#include "../../model/src/NumberText.h"
#include "ModelFixture.h"

#include <clocale>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class DataFileTest : public ModelTest
{
protected:
    void TearDown() override { fs::remove_all(dir); }

    std::string file(const std::string& name) const { return dir + "/" + name; }
    std::string put(const std::string& name, const std::string& text) const
    {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }

    std::string tmpl = "/tmp/qh-datafile-XXXXXX";
    const std::string dir = mkdtemp(tmpl.data());
};

} // namespace

TEST_F(DataFileTest, FreshModelMatchesTheGoldenFile)
{
    SwingModel m;
    m.fileName = put("fresh.txt", "old\n"); // replaced through fileName; its mode stays
    fs::permissions(m.fileName, fs::perms(0640));
    ASSERT_TRUE(m.write(""));
    EXPECT_EQ(slurp(m.fileName), slurp(QUILLMOOR_TEST_DATA "/fresh-model.txt"));
    EXPECT_EQ(fs::status(m.fileName).permissions(), fs::perms(0640));

    const std::string link = dir + "/link.txt"; // a link stays a link
    fs::create_symlink(m.fileName, link);
    ASSERT_TRUE(m.write(link));
    EXPECT_TRUE(fs::is_symlink(link));
}

// A link to a file not there yet makes that file where the link points
// (relative to the link's own directory, along a chain of links) and stays a
// link; one that leads nowhere that can be made fails and stays as it was.
TEST_F(DataFileTest, ADanglingLinkMakesTheFileItNames)
{
    SwingModel m;
    fs::create_directory(file("sub"));
    fs::create_symlink("../chained.txt", file("sub/next.txt"));
    const struct
    {
        const char *link, *to;
        std::string made; // empty: the write fails with why
        int why = 0;
    } cases[] = {
        {"plain.txt", "new.txt", file("new.txt")},
        {"sub/up.txt", "../up.txt", file("up.txt")},
        {"absolute.txt", "/dev/null/x", "", ENOTDIR},
        {"chain.txt", "sub/next.txt", file("chained.txt")},
        {"nodir.txt", "no/such/dir.txt", "", ENOENT},
        {"loop.txt", "loop.txt", "", ELOOP},
    };
    for (const auto& c : cases) {
        const std::string link = file(c.link);
        fs::create_symlink(c.to, link);
        errno = 0;
        const bool written = m.write(link);
        EXPECT_EQ(written ? 0 : errno, c.why) << c.link;
        EXPECT_TRUE(fs::is_symlink(link)) << c.link;
        EXPECT_EQ(c.made.empty() ? "" : slurp(c.made), c.made.empty() ? "" : m.toText()) << c.link;
    }
    // Nothing else made: the links, sub and the three new files.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir), {}), 11);
}

TEST_F(DataFileTest, ResultSectionAndFooter)
{
    SwingModel m;
    m.selectHole(2); // Oak at (0, 30, 0), 25 high; hole at (-10, 154, -7)
    m.setPoint(12, {-1.5, 30.25, 0});
    m.setPoint(13, {1.5, 31, -0.5}); // ties on x, never above the ground
    m.setFirstImpact(12);
    m.setExitCode(1);
    std::string t = m.toText();
    EXPECT_EQ(t.substr(t.find("MaxX")),
              "MaxXPosition:     12, -1.50000000, 30.25000000, 0.00000000\n"
              "MaxYPosition:     13, 1.50000000, 31.00000000, -0.50000000\n"
              "MaxZPosition: -nil-, x, y, z\n"
              "TreeProximity:     12, -1.50000000, 30.25000000, 0.00000000\n"
              "BallDistanceToTree: 25.04620730, 1.50000000, -0.25000000, 25.00000000\n"
              "BallDistanceToHole: 123.707\n"
              "BallDistanceToGreen: 115.374\n"
              "FirstImpact:     12, -1.50000000, 30.25000000, 0.00000000\n"
              "FirstImpactDistanceToGreen: 115.906\n"
              "\nTeeShotSteps: 2\n"
              "    12, -1.50000000, 30.25000000, 0.00000000\n"
              "    13, 1.50000000, 31.00000000, -0.50000000\n"
              "\nPuttShotSteps: 0\n"
              "\nExit Code: 1\n# The golf swing simulation was completed successfully.\n");

    m.setExitCode(-1);
    t = m.toText(true); // no step blocks
    EXPECT_EQ(t.substr(t.find("FirstImpactDistance")),
              "FirstImpactDistanceToGreen: 115.906\n\n"
              "Exit Code: -1\n# The golf swing simulation exited with errors.\n");
}

TEST_F(DataFileTest, RoundTripIsAFixedPoint)
{
    SwingModel m;
    m.selectHole(3);
    // Each setting gets its own value, so a line read into the wrong field shows.
    double v = 100;
    for (const char* key :
         {"WindDir", "WindSpeed", "GreenXRot", "GreenYRot", "GreenRho", "TeeBallSpeed",
          "TeeLaunchAngle", "TeeTargetAngle", "TeeBackSpin", "TeeSideSpin", "PuttBallSpeed",
          "PuttTargetAngle", "GreenSize", "GreenType", "TimeStepSize"})
        m.setValue(key, v += 1.0 / 3);
    m.BallPos = {1.0 / 3, 2.0 / 3, -1e-9};
    for (int i = 0; i < 50; ++i)
        m.setPoint(i, {i * 0.1, i * 1.7, std::sin(i * 0.3) * 5});
    m.setPuttEnabled(true);
    m.setPoint(0, {1, 2, 3});
    m.FirstImpact = 20;
    m.setExitCode(1);
    ASSERT_TRUE(m.write(file("a.txt")));

    holeCatalogue().clear(); // as a fresh process reads it
    SwingModel r;
    ASSERT_TRUE(r.read(file("a.txt")));
    EXPECT_EQ(r.toText(), slurp(file("a.txt")));
    EXPECT_EQ(r.teeStep, 0);
}

// Text read with keepOnEmpty into a model holding a first impact and a point,
// and a piece of what the model writes afterwards.
TEST_F(DataFileTest, ReaderQuirks)
{
    const std::pair<std::string, std::string> rows[] = {
        {"FirstImpact: -nil-, x, y, z\n", "FirstImpact:     77,"}, // kept
        {"FirstImpact:-nil-, x, y, z\n", "FirstImpact:      0,"},  // no blank: a number
        {"HolePos: 5\n", "HolePos: -15.0000, 154.0000,  -7.0000"}, // no comma: ignored
        {"BallPos: 1 ,2,3\n", "BallPos: 1.00000000, 0.00000000, 0.00000000"},
        {"WindDir: 1,5\n", "WindDir: 22.00000000"},
        {"windDir: 5\nWindDir : 6\n WindDir: 7\n", "WindDir: 22.00000000"}, // keys are exact
        {"TeeBackSpin: +1e3rpm\n", "TeeBackSpin: 1000.00000000"},
        {"WindDir: nan\nWindSpeed: fast\nGreenXRot: 0x10\n", // decimal only
         "WindDir: 0.00000000\nWindSpeed: 0.00000000\nGreenXRot: 0.00000000\n"},
        {"BallPos: 0x10,\t-inf, nan\n", "BallPos: 16.00000000,     -inf,      nan\n"}, // as scanf
        {"GreenRho: -1e999\n", "GreenRho:     -inf\n"},
        {"TreeType:\tOak\n", "TreeType: \tOak\n"},
        {"TreeType:    Birch\r\n", "TreeType: Birch\n"},
        {"TreeType: Oak, big\n", "TreeType: \n"},
        {"TreeType: " + std::string(250, 'x'), "TreeType: " + std::string(189, 'x') + "\n"},
        {"Exit Code: 3\r\n",
         "Exit Code: 3\n# The golf swing simulation was completed successfully.\n"},
        {"TeeShotSteps: -5\n 0, 1, 1, 1\n", "TeeShotSteps: 1\n     0, 9.00000000,"},
        {"TeeShotSteps: 4\n 3, 1, 2, 3\nno comma\n 1, 4\n 3, 7, 7, 7\nPuttShotSteps: 1\n0,5,5,5",
         "TeeShotSteps: 2\n     1, 4.00000000, 0.00000000, 0.00000000\n"
         "     3, 7.00000000, 7.00000000, 7.00000000\n\nPuttShotSteps: 1\n     0, 5.0"},
        {"PuttShotSteps: 2147483647\n 0, 1, 1, 1\n 1, 2, 2, 2", "PuttShotSteps: 2\n"},
    };
    for (const auto& [in, piece] : rows) {
        SCOPED_TRACE(in);
        holeCatalogue().clear();
        SwingModel m;
        m.FirstImpact = 77;
        m.setPoint(0, {9, 9, 9});
        ASSERT_TRUE(m.read(put("in.txt", in), true));
        const std::string out = m.toText();
        EXPECT_NE(out.find(piece), std::string::npos) << out;
    }
}

TEST_F(DataFileTest, FileHoleReachesTheCatalogue)
{
    SwingModel m;
    ASSERT_TRUE(m.read(put("a.txt", "HoleId: 3\n"))); // hole 1's ground under id 3
    EXPECT_TRUE(holeCatalogue().at(3) == m.hole);

    ASSERT_TRUE(m.read(put("b.txt", "HoleId: 9\nWindDir: 22\n"))); // unchanged: no write-through
    EXPECT_EQ(m.hole.HoleId, 5);
    ASSERT_TRUE(m.read(put("c.txt", "HoleId: 9\nWindDir: 40\n")));
    EXPECT_EQ(m.hole.HoleId, 9);
    EXPECT_EQ(holeCatalogue().at(9).WindDir, 40.0);
    ASSERT_TRUE(m.read(put("d.txt", "HoleId: 0\n"))); // counted from the size, 6, not past 9
    EXPECT_EQ(m.hole.HoleId, 6);

    SwingModel later; // keeps the catalogue as it is, redefined built-in holes included
    EXPECT_EQ(SwingModel::holeCount(), 7);
    EXPECT_EQ(holeCatalogue().at(3).HolePos, Vector3(-15, 154, -7));
}

// A failed read changes nothing. A write that fails leaves errno saying why,
// for the message a person reads, and leaves what was there: no half-written
// file, no temporary file. The file grown past what the process may write (as
// on a full disk) fails halfway; in a child, the limit is per process.
TEST_F(DataFileTest, FailuresSayWhyAndTouchNothing)
{
    SwingModel m;
    EXPECT_FALSE(m.read(""));
    EXPECT_FALSE(m.read(file("absent.txt")));
    EXPECT_FALSE(m.read(dir));
    EXPECT_EQ(m.toText(), SwingModel().toText());

    fs::create_directory(file("target"));
    for (const auto& [path, why] : {std::pair{std::string(), ENOENT}, // no fileName either
                                    {file("no/such/dir/x.txt"), ENOENT},
                                    {file("target"), EISDIR}}) {
        errno = 0;
        EXPECT_FALSE(m.write(path)) << path;
        EXPECT_EQ(errno, why) << path;
    }

    const std::string old = put("result.txt", "old results\n");
    for (int i = 0; i < 20000; ++i)
        m.setPoint(i, {0.5 * i, 1.0 * i, 2.0});
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // a failing write(), not a signal
        const rlimit limit{200 * 1024, 200 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        errno = 0;
        const bool written = m.write(old);
        _exit(written ? 0 : errno == EFBIG ? 1 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(slurp(old), "old results\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 2); // result.txt and target
}

TEST_F(DataFileTest, ReaderSurvivesNulCutAndReversedInput)
{
    using namespace std::string_literals;
    SwingModel m;
    ASSERT_TRUE(m.read(put("nul.txt", "WindSpeed: 1\0WindDir: 9\nGreenRho: 0.5"s)));
    EXPECT_EQ(m.hole.WindDir, 22.0); // hidden behind the NUL
    EXPECT_EQ(m.hole.GreenRho, 0.5); // no final line end

    EXPECT_TRUE(SwingModel().read(put("cut.txt", "TeeShotSteps: 3\n1")));

    std::string reversed = "TeeShotSteps: 200000\n"; // must not turn quadratic
    for (int i = 200000; i > 0; --i)
        reversed += std::to_string(i) + ", 1, 2, 3\n";
    ASSERT_TRUE(m.read(put("rev.txt", reversed)));
    EXPECT_EQ(m.teeShot.size(), 200000);
    EXPECT_EQ(m.teeShot.begin()->first, 1);
}

TEST_F(DataFileTest, CommaLocaleDoesNotLeakIntoFiles)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not generated here (scripts/setup.sh generates it)";
    SwingModel m;
    m.TeeBallSpeed = 101.25;
    SwingModel r;
    const bool ok = m.write(file("de.txt")) && r.read(file("de.txt"));
    std::setlocale(LC_ALL, saved.c_str());

    ASSERT_TRUE(ok);
    EXPECT_EQ(slurp(file("de.txt")), m.toText()); // the same text as under "C"
    EXPECT_EQ(r.TeeBallSpeed, 101.25);
    EXPECT_EQ(r.hole.HolePos, Vector3(-15, 154, -7));
}

// The locale-free formatting must give printf's digits for every magnitude.
TEST(NumberText, MatchesPrintf)
{
    using lim = std::numeric_limits<double>;
    std::vector<double> values;
    // Ties, carries, the edges of the fast path and the special values first.
    for (double v : {0.0, -0.0, 0.5, 1.5, 2.5, 0.03125, 0.001953125, -0.005859375, -1e-12, 1e-5,
                     123456.5, 1e6, 999999.5, 999999999.99999999, lim::max(), lim::denorm_min(),
                     lim::infinity(), -lim::infinity(), -lim::quiet_NaN()})
        values.push_back(v);
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> mant(-10, 10);
    std::uniform_int_distribution<int> expo(-12, 14);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(mant(rng) * std::pow(10.0, expo(rng)));
        const std::uint64_t bits = rng(); // any exponent, NaN payloads included
        std::memcpy(&values.emplace_back(), &bits, sizeof bits);
    }
    char ref[1024];
    for (double v : values) {
        const char* end = nullptr;
        std::snprintf(ref, sizeof ref, "%.17g", v);
        const double back = numtext::parseDouble(ref, &end, false);
        ASSERT_TRUE(back == v || (std::isnan(back) && std::isnan(v))) << ref;
        ASSERT_EQ(*end, '\0') << ref;
        std::string ours;
        numtext::appendFixed(ours, v, 4, 8);
        numtext::appendFixed(ours += '|', v, 8, 8);
        numtext::appendGeneral(ours += '|', v);
        std::snprintf(ref, sizeof ref, "%8.4f|%8.8f|%g", v, v, v);
        ASSERT_EQ(ours, ref);
    }
}
