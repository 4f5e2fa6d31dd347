// Shotlab range: the realistic physics held against the measured tour table,
// what golfers know of spin, air and wind, and the command line.

#include "LabTest.h"
#include "Range.h"

#include <cmath>
#include <nlohmann/json.hpp>

using json = nlohmann::json;
using namespace quillmoor;
using namespace quillmoor::lab;
using namespace quillmoor::labtest;

namespace {

const std::string kTourTable = QUILLMOOR_SOURCE_DIR "/data/clubs/tour-men.csv";

RangeNumbers shot(double speed, double launch, double spin, const RangeConditions& day = {},
                  double sideSpin = 0.0)
{
    RangeLaunch l;
    l.speedMph = speed;
    l.launchDeg = launch;
    l.spinRpm = spin;
    l.sideSpinRpm = sideSpin;
    const RangeResult r = runRangeShot(l, day, ShotMode::Realistic);
    EXPECT_TRUE(r.run) << r.run.reason;
    return r.numbers.value();
}

// The tour driver of the table.
RangeNumbers driver(const RangeConditions& day = {})
{
    return shot(167, 10.9, 2686, day);
}

RangeConditions wind(double mph, double toward)
{
    RangeConditions day;
    day.windMph = mph;
    day.windDirDeg = toward;
    return day;
}

} // namespace

// One set of constants over the 12 clubs, standard air, flat ground.
TEST(Validation, TheTourTableWithinTwoYardsAndTwoDegrees)
{
    std::vector<RangeRow> rows;
    std::vector<const MeasuredColumn*> measured;
    std::string error;
    ASSERT_EQ(readRangeTable(kTourTable, rows, measured, error), TableError::None) << error;
    ASSERT_EQ(rows.size(), 12u);
    std::vector<std::pair<double, double>> carry, height, angle;
    for (const RangeRow& row : rows) {
        const RangeResult r = runRangeShot(row.launch, {}, ShotMode::Realistic);
        ASSERT_TRUE(r.run) << row.club << ": " << r.run.reason;
        const RangeNumbers& n = *r.numbers;
        carry.emplace_back(n.tee.carry.value(), *row.carry);
        height.emplace_back(n.tee.apex, *row.maxHeight);
        angle.emplace_back(n.tee.landingAngle.value(), *row.landAngle);
    }
    EXPECT_LE(rmse(carry).value(), 2.0);
    EXPECT_LE(rmse(height).value(), 2.0);
    EXPECT_LE(rmse(angle).value(), 2.0);
}

// Thin air adds 4 to 12 % at 5000 ft; a headwind takes more than a tailwind
// gives back.
TEST(Golfers, AltitudeAndWind)
{
    RangeConditions denver;
    denver.altitudeFt = 5000;
    const double still = *driver().tee.carry;
    EXPECT_NEAR(*driver(denver).tee.carry / still, 1.08, 0.04);
    const double against = *driver(wind(10, 180)).tee.carry;
    const double with = *driver(wind(10, 0)).tee.carry;
    EXPECT_GT(1 - against / still, 0.05);
    EXPECT_LT(1 - against / still, 0.15);
    EXPECT_GT(with, still);
    EXPECT_LT(with - still, still - against);
    // Across from the right (blowing toward -x, direction 90): drifts left.
    EXPECT_LT(driver(wind(10, 90)).tee.side, -3.0);
}

TEST(Golfers, SideSpinCurvesTheBallTheWayItsAxisTilts)
{
    // Positive TeeSideSpin tilts the axis left (down at -x): the ball curves
    // left, negative side, as in the complex physics.
    const double left = shot(167, 10.9, 2686, {}, 500).tee.sideAtLanding.value();
    const double right = shot(167, 10.9, 2686, {}, -500).tee.sideAtLanding.value();
    EXPECT_LT(left, -5.0);
    EXPECT_NEAR(right, -left, 1e-6);
    EXPECT_LT(runRangeShot({167, 10.9, 2686, 500, 0}, {}, ShotMode::Complex).numbers->tee.side, 0);
}

// The side is measured from the target line, not from the line the ball
// starts on: a straight shot started 5 degrees left ends left.
TEST(Golfers, ADirectionStartsTheBallOffTheTargetLine)
{
    for (ShotMode physics : {ShotMode::Realistic, ShotMode::Complex}) {
        const RangeNumbers n = *runRangeShot({150, 12, 3000, 0, 5}, {}, physics).numbers;
        EXPECT_NEAR(*n.tee.sideAtLanding, -*n.tee.carry * std::sin(5 * std::acos(-1.0) / 180), 0.01);
        EXPECT_LT(n.tee.side, -10.0);
    }
}

TEST(Golfers, AWedgeStopsAndADriverRunsOut)
{
    const RangeNumbers wedge = shot(102, 24.2, 9304);
    EXPECT_LT(std::fabs(*wedge.tee.roll), 5.0);
    EXPECT_LT(*wedge.landingSpinRpm, 9304); // the spin decays in the air
    const RangeNumbers drive = driver();
    EXPECT_GE(*drive.tee.roll, 10.0);
    EXPECT_LE(*drive.tee.roll, 30.0);
    EXPECT_NEAR(*drive.landingSpeedMph, 62, 8);
}

namespace {

class RangeCommand : public LabTest
{
protected:
    int range(const std::vector<std::string>& args) { return run(joined({"range"}, args)); }
};

} // namespace

TEST_F(RangeCommand, RefusesWithAMessageNamingTheValue)
{
    const std::vector<std::string> shot = {"--speed", "150", "--launch", "10", "--spin", "2500"};
    const std::string header = "ball_speed_mph,launch_angle_deg,spin_rate_rpm\n";
    const std::string huge = put("huge.csv", std::string(kMaxTableBytes + 1, 'x'));
    // clang-format off
    expectRefused({"range"}, {
        {{"--launch", "10", "--spin", "2500"}, 2, "--speed is required"},
        {{"--speed", "150", "--launch", "10", "--spin", "inf"}, 2, "--spin is not a finite number"},
        {{"--speed", "0", "--launch", "10", "--spin", "2500"}, 2, "--speed must be above 0"},
        {joined(shot, {"--wind", "nan"}), 2, "--wind is not a finite number"},
        {joined({"--physics", "magic"}, shot), 2, "--physics"},
        {{"--table", "/nonexistent/shots.csv"}, 1, "cannot be read"},
        // Tables that cannot be used.
        {{"--table", put("nocolumns.csv", "speed,launch\n150,10\n")}, 1, "has no column ball_speed_mph"},
        {{"--table", put("badcell.csv", header + "150,10,2500\n150,ten,2500\n")}, 2, "line 3: launch_angle_deg is not a finite number: \"ten\""},
        {{"--table", put("slow.csv", header + "0,10,2500\n")}, 2, "line 2: ball_speed_mph must be above 0"},
        // A table is read up to a bound, whatever it is: a file larger than
        // any table of shots, or a device that never ends, is given up there.
        {{"--table", huge}, 1, "longer than 16 MB"},
        // An empty value is not the option left out.
        {{"--table", ""}, 2, "--table needs a file name"},
        {{"--club", ""}, 2, "--club needs a value"},
        {{"--club", "Driver", "--bag", ""}, 2, "--bag needs a value"},
    });
    // clang-format on
}

TEST_F(RangeCommand, OneShotAsJsonAndTable)
{
    const std::vector<std::string> shot = {"--speed", "167", "--launch", "10.9", "--spin", "2686"};
    ASSERT_TRUE(ok(range(joined(shot, {"--json", "--wind", "10", "--wind-dir", "90"}))));
    const json j = json::parse(out);
    EXPECT_EQ(j.size(), rangeFields().size());
    // Printed with the precision of each quantity, as the shot numbers are:
    // a whole number of steps as such, lengths to the file's 8 decimals.
    const RangeNumbers across = driver(wind(10, 90));
    EXPECT_EQ(j["side_yd"].get<double>(), std::stod(plainText(across.tee.side, 8)));
    EXPECT_EQ(j["hang_time_s"].get<double>(), std::stod(plainText(*across.tee.hangTime, 3)));

    // The simple physics has no spin to report.
    ASSERT_TRUE(ok(range(joined(shot, {"--physics", "simple", "--json"}))));
    EXPECT_TRUE(json::parse(out)["landing_spin_rpm"].is_null());

    ASSERT_TRUE(ok(range(shot)));
    EXPECT_THAT(out, HasSubstr("Carry"));
    EXPECT_THAT(out, HasSubstr(fixedText(*driver().tee.carry, 2)));
}

TEST_F(RangeCommand, ATableGivesMeasuredBesidePredictedAndTheRmse)
{
    const std::string path =
        put("mine.csv",
            "club,\"ball_speed_mph\",launch_angle_deg,spin_rate_rpm,carry_yd,total_yd,"
            "notes\n\"Driver, mine\",167,10.9,2686,270,,windy\n7i,120,16.3,7097,170,175,\n");
    ASSERT_TRUE(ok(range({"--table", path, "--json"})));
    const json j = json::parse(out);
    ASSERT_EQ(j["shots"].size(), 2u);
    EXPECT_EQ(j["shots"][0]["club"], "Driver, mine");
    const double d = j["shots"][0]["carry_yd"].get<double>() - 270;
    const double i = j["shots"][1]["carry_yd"].get<double>() - 170;
    EXPECT_NEAR(j["rmse"]["carry_yd"].get<double>(), std::sqrt((d * d + i * i) / 2), 1e-8);
    // Only the 7-iron has a measured total.
    EXPECT_NEAR(j["rmse"]["total_yd"].get<double>(),
                std::fabs(j["shots"][1]["total_yd"].get<double>() - 175), 1e-8);
    EXPECT_FALSE(j["rmse"].contains("max_height_yd"));
}

// A table without measured columns still shows what was predicted; a row the
// physics refuses is named, its reason under a heading, and the exit is 1 as
// for one refused shot.
TEST_F(RangeCommand, ATableShowsPredictionsAndNamesRefusedRows)
{
    const std::string header = "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm\n";
    ASSERT_TRUE(ok(range({"--table", put("plain.csv", header + "Driver,167,10.9,2686\n")})));
    EXPECT_THAT(out, HasSubstr("Carry"));
    EXPECT_THAT(out, HasSubstr(fixedText(*driver().tee.carry, 2)));
    EXPECT_THAT(out, ::testing::Not(HasSubstr("RMSE"))); // nothing measured to hold them against

    const std::string refused =
        put("refused.csv", header + "Driver,167,10.9,2686\nDriver,1e300,12.5,2900\n");
    for (const std::vector<std::string>& format :
         {std::vector<std::string>{}, {"--csv"}, {"--json"}}) {
        SCOPED_TRACE(testing::PrintToString(format));
        EXPECT_EQ(range(joined({"--table", refused}, format)), 1);
        EXPECT_THAT(err, HasSubstr("refused.csv: line 3 (Driver): the shot was refused: "));
    }
    std::string table = (range({"--table", refused}), out);
    for (std::size_t dash; (dash = table.find("\u2013")) != std::string::npos;)
        table.replace(dash, 3, "-"); // one column on screen
    const auto lines = linesOf(table);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_THAT(lines[0], HasSubstr("Status"));
    EXPECT_THAT(lines[2], ::testing::EndsWith("ok"));
    // The reason starts under its heading.
    const std::string reason = err.substr(err.find("refused: ") + 9, 10);
    EXPECT_EQ(lines[3].find(reason), lines[0].find("Status"));
}
