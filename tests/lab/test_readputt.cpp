// Shotlab read-putt, in-process: the JSON form against the reader itself, a
// ball nothing holes from, a model set for a tee shot, files that cannot be
// read or putted from, and usage errors.

#include "LabTest.h"
#include "PuttReader.h"
#include "ShotSummary.h"
#include "SwingModel.h"

#include <nlohmann/json.hpp>

using json = nlohmann::ordered_json;
using namespace quillmoor;
using namespace quillmoor::labtest;

namespace {

class ReadPutt : public LabTest
{
protected:
    static constexpr const char* kExample = QUILLMOOR_SOURCE_DIR "/examples/hole1-putt.txt";

    // The hole-1 example, read directly, once and only where it is needed.
    static const PuttRead& example()
    {
        static const PuttRead read = [] {
            holeCatalogue().clear();
            SwingModel m(false);
            EXPECT_TRUE(m.read(kExample));
            return readPutt(m);
        }();
        return read;
    }

    void SetUp() override
    {
        LabTest::SetUp();
        holeCatalogue().clear();
        SwingModel m(false);
        ASSERT_TRUE(m.read(kExample));
        // The same ball with the model set for a tee shot.
        m.PuttEnabled = false;
        ASSERT_TRUE(m.write(path("tee-mode.txt")));

        // 40 yd short on the level hole 4: no putt gets there slowly enough.
        holeCatalogue().clear();
        SwingModel far(false);
        far.selectHole(4);
        far.PuttEnabled = true;
        far.BallPos = {0.0, 60.0, far.groundHeight(0.0, 60.0)};
        ASSERT_TRUE(far.write(path("far.txt")));
        // No friction on a level green: the putt itself is refused.
        far.hole.GreenRho = 0.0;
        far.BallPos = {0.0, 95.0, far.groundHeight(0.0, 95.0)};
        ASSERT_TRUE(far.write(path("frictionless.txt")));
    }
};

} // namespace

TEST_F(ReadPutt, JsonIsOneLineWithTheReadersNumbers)
{
    ASSERT_TRUE(ok(run({"read-putt", "--json", kExample})));
    EXPECT_EQ(err, "");
    EXPECT_EQ(out.rfind("{\"holed\": true, \"speed_mph\": ", 0), 0u) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1);
    const json j = json::parse(out);
    // The data file's 8 decimals of speeds and angles.
    const auto number = [](double v) { return std::stod(plainText(v, 8)); };
    EXPECT_EQ(j["speed_mph"].get<double>(), number(example().speedMph));
    EXPECT_EQ(j["target_angle_deg"].get<double>(), number(example().targetAngleDeg));
    const json window = {number(example().windowLoDeg), number(example().windowHiDeg)};
    EXPECT_EQ(j["window_deg"], window);
    EXPECT_EQ(j["windows_deg"], json::array({window}));
    EXPECT_EQ(j["max_speed_mph"].get<double>(), number(example().maxSpeedMph));
}

TEST_F(ReadPutt, TextSaysSpeedAimWindowAndSpeedsInWordsAndNumbers)
{
    ASSERT_TRUE(ok(run({"read-putt", kExample})));
    EXPECT_THAT(out, HasSubstr("Hole 1, the ball 9.51 feet from the cup.\n"));
    EXPECT_THAT(out, HasSubstr("Putt it at 1.45 mph, aimed 29.90 deg left of the hole"));
    EXPECT_THAT(out, HasSubstr("from 24.77 deg to 35.02 deg holes: 10.25 deg of room"));
    EXPECT_THAT(out, HasSubstr("from 1.05 to 2.93 mph"));
    EXPECT_EQ(out.find("tee shot"), std::string::npos);
}

// Read as a putt from its ball position: the same answer as in putt mode.
TEST_F(ReadPutt, AModelSetForATeeShotIsReadAsAPuttFromItsBall)
{
    ASSERT_TRUE(ok(run({"read-putt", path("tee-mode.txt")})));
    EXPECT_EQ(out.rfind("The model is set for a tee shot: read as a putt", 0), 0u) << out;
    ASSERT_TRUE(ok(run({"read-putt", "--json", path("tee-mode.txt")})));
    EXPECT_EQ(json::parse(out)["target_angle_deg"].get<double>(),
              std::stod(plainText(example().targetAngleDeg, 8)));
}

TEST_F(ReadPutt, NothingHolingExitsWithOneAndSaysWhy)
{
    const std::string why = "the ball lies off the green, and a putt slow enough to drop needs "
                            "more than its 4.0 s of roll";
    EXPECT_EQ(run({"read-putt", "--json", path("far.txt")}), 1);
    EXPECT_EQ(out, "{\"holed\": false, \"reason\": \"" + why + "\"}\n");
    EXPECT_EQ(err, "Shotlab: " + path("far.txt") + ": no putt holes from here: " + why + "\n");
    EXPECT_EQ(run({"read-putt", path("far.txt")}), 1);
    EXPECT_THAT(out, HasSubstr("No putt holes from here: " + why + ".\n"));
}

TEST_F(ReadPutt, FilesThatCannotBeReadOrPuttedFromAreNamed)
{
    EXPECT_EQ(run({"read-putt", dir.string()}), 1);
    EXPECT_EQ(err, "Shotlab: " + dir.string() + ": Is a directory\n");
    EXPECT_EQ(run({"read-putt", "--json", path("frictionless.txt")}), 1);
    EXPECT_EQ(out, "");
    EXPECT_THAT(
        err, HasSubstr("frictionless.txt: no putt can be played from here: The putt's friction"));
}
