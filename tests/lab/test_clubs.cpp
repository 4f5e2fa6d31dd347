// Bags of clubs: broken bags, putting a club into one without touching the
// rest of the file, where they lie, and `Shotlab range --club --bag`.

#include "ClubBag.h"
#include "LabTest.h"

#include <cstdlib>

using namespace quillmoor::lab;
using namespace quillmoor::labtest;

namespace {

const std::string kHeader = "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm\n";

// A scratch folder as XDG_DATA_HOME (HOME and it put back at the end).
class Bags : public LabTest
{
protected:
    void SetUp() override
    {
        LabTest::SetUp();
        for (const char* name : {"HOME", "XDG_DATA_HOME"})
            if (const char* v = std::getenv(name))
                saved[name] = v;
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    }
    void TearDown() override
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME"})
            saved.count(name) ? setenv(name, saved[name].c_str(), 1) : unsetenv(name);
        LabTest::TearDown();
    }
    std::string own(const std::string& bag) { return "data/Quillmoor/Parview/clubs/" + bag; }
    int range(const std::vector<std::string>& args) { return run(joined({"range"}, args)); }

    std::map<std::string, std::string> saved;
};

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

} // namespace

// Reported with the line, and never written over: putting a club into one is
// refused with the same reason.
TEST_P(BrokenBags, AreReportedWithTheLineAndNeverWrittenOver)
{
    const BrokenBag& b = GetParam();
    const std::string path = put("broken.csv", b.text);
    ClubBag bag;
    std::string error, again, text;
    EXPECT_EQ(readClubBag(path, bag, error), b.error);
    EXPECT_THAT(error, HasSubstr(b.message));
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
        BrokenBag{"BadNumber", kHeader + "Driver,167,10.9,2686\n7-iron,120,16.3,lots\n", BagError::BadRow, "line 3: spin_rate_rpm is not a finite number: \"lots\""},
        BrokenBag{"SameNameTwice", kHeader + "Driver,167,10.9,2686\nDriver,150,12,3000\n", BagError::BadRow, "line 3: a second club named \"Driver\" (the first is on line 2)"},
        BrokenBag{"Binary", std::string("\0\x01\x02,\xff\n", 6), BagError::Unreadable, "has no column"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A new bag, a club added, a club replaced: read back, the same numbers; every
// line but the club's stays byte for byte, columns the bag does not use and
// Windows line ends included.
TEST_F(Bags, PuttingAClubInKeepsTheRestOfTheFile)
{
    const std::string path = (dir / "sub" / "mine.csv").string();
    std::string text, error;
    bool replaced = true;
    ASSERT_EQ(bagWithClub(path, {"Driver", 150.25, 12.5, 2800}, text, replaced, error),
              BagError::None);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(text, kHeader + "Driver,150.25,12.5,2800\n");
    ASSERT_TRUE(writeBag(path, text, error)) << error; // makes the folder
    ClubBag bag;
    ASSERT_EQ(readClubBag(path, bag, error), BagError::None) << error;
    ASSERT_EQ(bag.clubs.size(), 1u);
    EXPECT_EQ(bag.clubs[0].launchDeg, 12.5);

    const std::string start =
        "\xEF\xBB\xBF"
        "notes,club,spin_rate_rpm,launch_angle_deg,ball_speed_mph,carry_yd\r\n";
    const std::string rest = "\r\nfine,\"7 \"\"iron\"\"\",7097,16.3,120,172"; // no final line end
    const std::string mine =
        put("own.csv", start + "\"windy, wet\",Driver,2686,10.9,167,275\r\n" + rest);
    ASSERT_EQ(bagWithClub(mine, {"PW", 102, 24.2, 9304.5}, text, replaced, error), BagError::None);
    EXPECT_FALSE(replaced);
    EXPECT_EQ(text, start + "\"windy, wet\",Driver,2686,10.9,167,275\r\n" + rest +
                        "\r\n,PW,9304.5,24.2,102,\r\n");
    ASSERT_EQ(bagWithClub(mine, {"Driver", 170, 11, 2500}, text, replaced, error), BagError::None);
    EXPECT_TRUE(replaced);
    EXPECT_EQ(text, start + "\"windy, wet\",Driver,2500,11,170,275\r\n" + rest);
    ASSERT_TRUE(writeBag(mine, text, error)) << error;
    ASSERT_EQ(readClubBag(mine, bag, error), BagError::None) << error;
    EXPECT_EQ(bag.names(), "Driver, 7 \"iron\"");
    EXPECT_EQ(bag.find("driver")->speedMph, 170); // any case, when only one club answers
}

TEST_F(Bags, NamesAndPlaces)
{
    std::string why;
    for (const char* bad : {"", "../up", ".hidden"})
        EXPECT_FALSE(isBagName(bad, why)) << bad;

    setenv("XDG_DATA_HOME", "/data/home/", 1);
    EXPECT_EQ(userBagsDir(), "/data/home/Quillmoor/Parview/clubs");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(userBagsDir(), "/home/someone/.local/share/Quillmoor/Parview/clubs");

    put(own("b.csv"), kHeader);
    put(own("a.csv"), kHeader);
    put(own("notes.txt"), "");
    fs::create_directories(dir / own("dir.csv"));
    const std::vector<BagFile> bags = bagsIn((dir / own("")).string(), false);
    ASSERT_EQ(bags.size(), 2u);
    EXPECT_EQ(bags[0].name + bags[1].name, "ab");
}

// --club takes the club's launch, --speed, --launch or --spin each override it;
// --bag takes a bag of the user's by name or a file.
TEST_F(Bags, RangeWithAClub)
{
    auto same = [&](std::vector<std::string> club, std::vector<std::string> numbers) {
        club.push_back("--csv");
        numbers.push_back("--csv");
        EXPECT_TRUE(ok(range(club)));
        const std::string first = out;
        EXPECT_TRUE(ok(range(numbers)));
        EXPECT_EQ(first, out);
    };
    same({"--club", "7-iron", "--spin", "5000", "--bag", "tour-men"},
         {"--speed", "120", "--launch", "16.3", "--spin", "5000"});
    const std::string file = put("elsewhere/other.csv", kHeader + "Big,170,9,2200\n");
    same({"--club", "big", "--bag", file}, {"--speed", "170", "--launch", "9", "--spin", "2200"});
}

TEST_F(Bags, RangeWithAClubRefusesNamingWhatThereIs)
{
    put(own("mine.csv"), kHeader + "Driver,150,13,3100\n");
    put(own("broken.csv"), kHeader + "Driver,150,13,3100\nW,,,\n");
    // clang-format off
    expectRefused({"range"}, {
        {{"--club", "Putter"}, 2, "tour-men.csv: its clubs are Driver, 3-wood, 5-wood, Hybrid, 3-iron, 4-iron, 5-iron, 6-iron, 7-iron, 8-iron, 9-iron, PW\n"},
        {{"--club", "Driver", "--bag", "winter"}, 2, "no bag named \"winter\": the bags are broken, mine, tour-men (installed)"},
        {{"--club", "Driver", "--bag", "broken"}, 1, "broken.csv: line 3: ball_speed_mph is empty"},
        {{"--bag", "mine", "--speed", "150", "--launch", "10", "--spin", "2500"}, 2, "--bag requires --club"},
    });
    // clang-format on
}
