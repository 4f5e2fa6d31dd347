// Bags of clubs: reading them (the installed tour table, broken bags), putting
// a club into one without touching the rest of the file, where they lie, and
// `Shotlab range --club --bag`.

#include "ClubBag.h"
#include "Range.h"
#include "Shotlab.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using namespace quillmoor;
using namespace quillmoor::lab;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A scratch directory, and the environment variables a test changes, put
// back at the end.
class Bags : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) /
              ("bags-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        for (const auto& [name, value] : savedEnv)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        fs::remove_all(dir);
    }
    void setEnv(const std::string& name, const char* value)
    {
        if (!savedEnv.count(name)) {
            const char* old = std::getenv(name.c_str());
            savedEnv[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        value ? setenv(name.c_str(), value, 1) : unsetenv(name.c_str());
    }
    std::string write(const std::string& name, const std::string& text)
    {
        const fs::path path = dir / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    int range(std::vector<std::string> args)
    {
        args.insert(args.begin(), "range");
        std::ostringstream o, e;
        const int status = runShotlab(args, o, e);
        out = o.str();
        err = e.str();
        return status;
    }

    fs::path dir;
    std::map<std::string, std::optional<std::string>> savedEnv;
    std::string out, err;
};

const std::string kHeader = "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm\n";

} // namespace

TEST_F(Bags, TheInstalledTourTableIsABag)
{
    ClubBag bag;
    std::string error;
    ASSERT_EQ(readClubBag(defaultBagPath(), bag, error), BagError::None) << error;
    ASSERT_EQ(bag.clubs.size(), 12u);
    EXPECT_EQ(bag.names().substr(0, 23), "Driver, 3-wood, 5-wood,");
    const Club* driver = bag.find("driver"); // any case, when only one club answers
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->name, "Driver");
    EXPECT_EQ(driver->speedMph, 167);
    EXPECT_EQ(driver->launchDeg, 10.9);
    EXPECT_EQ(driver->spinRpm, 2686);
    EXPECT_EQ(driver->line, 2);
    EXPECT_EQ(bag.find("Putter"), nullptr);
    // The build tree holds the installed file where the program looks for it.
    EXPECT_EQ(slurp(defaultBagPath()), slurp(QUILLMOOR_SOURCE_DIR "/data/clubs/tour-men.csv"));
}

struct BrokenBag
{
    const char* name;
    std::string text;
    BagError error;
    const char* message;
    friend void PrintTo(const BrokenBag& b, std::ostream* os) { *os << b.name; }
};

class BrokenBags : public Bags, public ::testing::WithParamInterface<BrokenBag>
{
};

// Reported with the line, and never written over: putting a club into it is
// refused with the same reason.
TEST_P(BrokenBags, AreReportedWithTheLineAndNeverWrittenOver)
{
    const BrokenBag& b = GetParam();
    const std::string path = write("broken.csv", b.text);
    ClubBag bag;
    std::string error;
    EXPECT_EQ(readClubBag(path, bag, error), b.error);
    EXPECT_NE(error.find(b.message), std::string::npos) << error;

    std::string text, again;
    bool replaced = true;
    EXPECT_EQ(bagWithClub(path, {"Mine", 150, 12, 3000}, text, replaced, again), b.error);
    EXPECT_EQ(again, error);
    EXPECT_EQ(text, "");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Clubs, BrokenBags,
    ::testing::Values(
        BrokenBag{"Empty", "", BagError::Unreadable, "is empty"},
        BrokenBag{"NoClubColumn", "ball_speed_mph,launch_angle_deg,spin_rate_rpm\n150,10,3000\n", BagError::Unreadable, "has no column club"},
        BrokenBag{"NoSpinColumn", "club,ball_speed_mph,launch_angle_deg\nA,150,10\n", BagError::Unreadable, "has no column spin_rate_rpm"},
        BrokenBag{"BadNumber", kHeader + "Driver,167,10.9,2686\n7-iron,120,16.3,lots\n", BagError::BadRow, "line 3: spin_rate_rpm is not a finite number: \"lots\""},
        BrokenBag{"NoSpeed", kHeader + "\nDriver,0,10.9,2686\n", BagError::BadRow, "line 3: ball_speed_mph must be above 0"},
        BrokenBag{"NoName", kHeader + "Driver,167,10.9,2686\n ,120,16.3,7000\n", BagError::BadRow, "line 3: club is empty"},
        BrokenBag{"SameNameTwice", kHeader + "Driver,167,10.9,2686\nDriver,150,12,3000\n", BagError::BadRow, "line 3: a second club named \"Driver\" (the first is on line 2)"},
        BrokenBag{"Binary", std::string("\0\x01\x02,\xff\n", 6), BagError::Unreadable, "has no column"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(Bags, TooLargeOrEndlessIsRefusedAtTheBound)
{
    ClubBag bag;
    std::string error;
    EXPECT_EQ(readClubBag("/dev/zero", bag, error), BagError::Unreadable);
    EXPECT_NE(error.find("longer than 16 MB"), std::string::npos) << error;
    EXPECT_EQ(readClubBag((dir / "missing.csv").string(), bag, error), BagError::Unreadable);
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

// A new bag, a club added, a club replaced: read back, the same numbers; every
// line but the club's stays byte for byte, columns the bag does not use and
// Windows line ends included.
TEST_F(Bags, PuttingAClubInKeepsTheRestOfTheFile)
{
    const std::string path = (dir / "sub" / "mine.csv").string();
    std::string text, error;
    bool replaced = true;
    ASSERT_EQ(bagWithClub(path, {"Driver", 150.25, 12.5, 2800}, text, replaced, error),
              BagError::None)
        << error;
    EXPECT_FALSE(replaced);
    EXPECT_EQ(text, kHeader + "Driver,150.25,12.5,2800\n");
    ASSERT_TRUE(writeBag(path, text, error)) << error; // makes the folder
    ClubBag bag;
    ASSERT_EQ(readClubBag(path, bag, error), BagError::None) << error;
    ASSERT_EQ(bag.clubs.size(), 1u);
    EXPECT_EQ(bag.clubs[0].speedMph, 150.25);
    EXPECT_EQ(bag.clubs[0].launchDeg, 12.5);
    EXPECT_EQ(bag.clubs[0].spinRpm, 2800);

    const std::string own = "\xEF\xBB\xBF"
                            "notes,club,spin_rate_rpm,launch_angle_deg,ball_speed_mph,carry_yd\r\n"
                            "\"windy, wet\",Driver,2686,10.9,167,275\r\n"
                            "\r\n"
                            "fine,\"7 \"\"iron\"\"\",7097,16.3,120,172"; // no final line end
    const std::string mine = write("own.csv", own);
    ASSERT_EQ(bagWithClub(mine, {"PW", 102, 24.2, 9304.5}, text, replaced, error), BagError::None)
        << error;
    EXPECT_FALSE(replaced);
    EXPECT_EQ(text, own + "\r\n,PW,9304.5,24.2,102,\r\n");
    ASSERT_EQ(bagWithClub(mine, {"Driver", 170, 11, 2500}, text, replaced, error), BagError::None);
    EXPECT_TRUE(replaced);
    EXPECT_EQ(text, "\xEF\xBB\xBF"
                    "notes,club,spin_rate_rpm,launch_angle_deg,ball_speed_mph,carry_yd\r\n"
                    "\"windy, wet\",Driver,2500,11,170,275\r\n"
                    "\r\n"
                    "fine,\"7 \"\"iron\"\"\",7097,16.3,120,172");
    ASSERT_TRUE(writeBag(mine, text, error)) << error;
    ASSERT_EQ(readClubBag(mine, bag, error), BagError::None) << error;
    ASSERT_EQ(bag.clubs.size(), 2u);
    EXPECT_EQ(bag.clubs[1].name, "7 \"iron\"");
    EXPECT_EQ(bag.find("Driver")->speedMph, 170);
}

TEST_F(Bags, NamesOfNewBagsAndClubs)
{
    std::string why;
    for (const char* good : {"Mine", "Summer 2024", "mine.v2"}) {
        EXPECT_TRUE(isBagName(good, why)) << good;
        EXPECT_TRUE(isClubName(good, why)) << good;
    }
    for (const char* bad : {"", " ", " Mine", "two\nlines"}) {
        EXPECT_FALSE(isBagName(bad, why)) << bad;
        EXPECT_FALSE(isClubName(bad, why)) << bad;
    }
    for (const char* bad : {"../up", "a/b", ".hidden"}) {
        EXPECT_FALSE(isBagName(bad, why)) << bad;
        EXPECT_TRUE(isClubName(bad, why)) << bad;
    }
}

TEST_F(Bags, TheUsersBagsLieInParviewsDataDirectory)
{
    setEnv("XDG_DATA_HOME", "/data/home/");
    EXPECT_EQ(userBagsDir(), "/data/home/Quillmoor/Parview/clubs");
    setEnv("XDG_DATA_HOME", nullptr);
    setEnv("HOME", "/home/someone");
    EXPECT_EQ(userBagsDir(), "/home/someone/.local/share/Quillmoor/Parview/clubs");

    write("data/Quillmoor/Parview/clubs/b.csv", kHeader);
    write("data/Quillmoor/Parview/clubs/a.csv", kHeader);
    write("data/Quillmoor/Parview/clubs/notes.txt", "");
    fs::create_directories(dir / "data/Quillmoor/Parview/clubs/dir.csv");
    setEnv("XDG_DATA_HOME", (dir / "data").c_str());
    const std::vector<BagFile> bags = bagsIn(userBagsDir(), false);
    ASSERT_EQ(bags.size(), 2u);
    EXPECT_EQ(bags[0].name, "a");
    EXPECT_EQ(bags[1].path, userBagsDir() + "/b.csv");
    EXPECT_TRUE(bagsIn((dir / "none").string(), false).empty());
}

// --club takes the club's launch, --speed, --launch or --spin each override it;
// --bag takes a bag of the user's by name or a file.
TEST_F(Bags, RangeWithAClub)
{
    ASSERT_EQ(range({"--club", "Driver", "--csv"}), 0) << err;
    const std::string driver = out;
    ASSERT_EQ(range({"--speed", "167", "--launch", "10.9", "--spin", "2686", "--csv"}), 0) << err;
    EXPECT_EQ(out, driver);
    ASSERT_EQ(range({"--club", "7-iron", "--spin", "5000", "--csv", "--bag", "tour-men"}), 0)
        << err;
    const std::string iron = out;
    ASSERT_EQ(range({"--speed", "120", "--launch", "16.3", "--spin", "5000", "--csv"}), 0) << err;
    EXPECT_EQ(out, iron);

    setEnv("XDG_DATA_HOME", (dir / "data").c_str());
    write("data/Quillmoor/Parview/clubs/mine.csv", kHeader + "Driver,150,13,3100\n");
    const std::string file = write("elsewhere/other.csv", kHeader + "Big,170,9,2200\n");
    ASSERT_EQ(range({"--speed", "150", "--launch", "13", "--spin", "3100", "--csv"}), 0) << err;
    const std::string mine = out;
    ASSERT_EQ(range({"--club", "Driver", "--bag", "mine", "--csv"}), 0) << err;
    EXPECT_EQ(out, mine);
    ASSERT_EQ(range({"--club", "big", "--bag", file, "--csv"}), 0) << err;
    ASSERT_EQ(range({"--club", "Big", "--bag", file, "--speed", "170", "--csv"}), 0) << err;
}

struct BadClub
{
    const char* name;
    std::vector<std::string> args;
    int status;
    std::vector<const char*> messages;
    friend void PrintTo(const BadClub& c, std::ostream* os) { *os << c.name; }
};

class RangeClubRefuses : public Bags, public ::testing::WithParamInterface<BadClub>
{
};

TEST_P(RangeClubRefuses, WithAMessageNamingWhatThereIs)
{
    const BadClub& c = GetParam();
    setEnv("XDG_DATA_HOME", (dir / "data").c_str());
    write("data/Quillmoor/Parview/clubs/mine.csv", kHeader + "Driver,150,13,3100\n");
    write("data/Quillmoor/Parview/clubs/broken.csv", kHeader + "Driver,150,13,3100\nW,,,\n");
    std::vector<std::string> args = c.args;
    for (std::string& a : args)
        if (a.rfind("DIR/", 0) == 0)
            a = (dir / a.substr(4)).string();
    EXPECT_EQ(range(args), c.status) << err;
    for (const char* m : c.messages)
        EXPECT_NE(err.find(m), std::string::npos) << m << " in " << err;
    EXPECT_EQ(out, "");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Range, RangeClubRefuses,
    ::testing::Values(
        BadClub{"UnknownClub", {"--club", "Putter"}, 2, {"no club \"Putter\"", "tour-men.csv: its clubs are Driver, 3-wood,", "PW"}},
        BadClub{"UnknownBag", {"--club", "Driver", "--bag", "winter"}, 2, {"no bag named \"winter\": the bags are broken, mine, tour-men (installed)"}},
        BadClub{"BrokenBag", {"--club", "Driver", "--bag", "broken"}, 1, {"broken.csv: line 3: ball_speed_mph is empty"}},
        BadClub{"MissingFile", {"--club", "Driver", "--bag", "DIR/nothing.csv"}, 1, {"nothing.csv: cannot be read"}},
        BadClub{"BagWithoutClub", {"--bag", "mine", "--speed", "150", "--launch", "10", "--spin", "2500"}, 2, {"--bag requires --club"}},
        BadClub{"ClubAndTable", {"--club", "Driver", "--table", "DIR/t.csv"}, 2, {"excludes"}},
        BadClub{"ClubOfSlowSpeed", {"--club", "Driver", "--speed", "0"}, 2, {"--speed must be above 0"}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on
