// Shotlab dispersion: the draws, the statistics of the shots, the outputs and
// bad input.

#include "Dispersion.h"
#include "LabTest.h"
#include "ShotOutput.h"
#include "SwingModel.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <set>

using namespace quillmoor;
using namespace quillmoor::lab;
using namespace quillmoor::labtest;

namespace {

class Dispersion : public LabTest
{
protected:
    int disperse(const std::vector<std::string>& args, const Pictures& pictures = {})
    {
        return run(joined({"dispersion"}, args), pictures);
    }
};

} // namespace

// The draws of one key over 10,000 shots: sample mean within 5 standard
// errors (5 σ/√N) of the centre, sample SD within 5 standard errors of σ
// (σ/√(2(N-1)) for a normal sample), and the share beyond 1.96 σ within 5
// standard errors of 5 %. A second key's draws are uncorrelated with the
// first's (|r| < 5/√N).
TEST_F(Dispersion, DrawsFollowTheNormalDistribution)
{
    constexpr std::size_t n = 10'000;
    const std::string csv = path("draws.csv");
    ASSERT_TRUE(ok(disperse({kExamples + "hole1-teeshot.txt", "--shots", std::to_string(n), "--sd",
                             "TeeBallSpeed=2", "--sd", "TeeLaunchAngle=5%", "--physics", "simple",
                             "--csv", csv})));
    std::vector<double> speed, angle;
    for (const auto& row : csvRecords(readAll(csv))) {
        speed.push_back(std::stod(row.at("TeeBallSpeed")));
        angle.push_back(std::stod(row.at("TeeLaunchAngle")));
    }
    ASSERT_EQ(speed.size(), n);
    ASSERT_EQ(angle.size(), n);

    struct Case
    {
        const std::vector<double>& values;
        double centre, sd;
    };
    std::vector<double> z[2];
    const Case cases[] = {{speed, 110.0, 2.0}, {angle, 45.0, 2.25}};
    for (int c = 0; c < 2; ++c) {
        RunningMoments m;
        std::size_t tails = 0;
        for (double v : cases[c].values) {
            m.add(v);
            z[c].push_back((v - cases[c].centre) / cases[c].sd);
            tails += std::fabs(z[c].back()) > 1.959963984540054;
        }
        const double se = cases[c].sd / std::sqrt(double(n));
        EXPECT_NEAR(m.mean(), cases[c].centre, 5 * se) << c;
        EXPECT_NEAR(m.sd(), cases[c].sd, 5 * cases[c].sd / std::sqrt(2.0 * (n - 1))) << c;
        EXPECT_NEAR(double(tails) / n, 0.05, 5 * std::sqrt(0.05 * 0.95 / n)) << c;
    }
    double r = 0;
    for (std::size_t i = 0; i < n; ++i)
        r += z[0][i] * z[1][i];
    EXPECT_LT(std::fabs(r / n), 5 / std::sqrt(double(n)));
}

// The same seed gives the same bytes whatever the threads; another seed
// other shots. Each row is what a sweep gives for the values drawn.
TEST_F(Dispersion, SameSeedSameOutputForAnyJobs)
{
    auto seeded = [&](const char* seed, const std::vector<std::string>& more) {
        return disperse(joined({kExamples + "hole3-teeshot.txt", "--shots", "120", "--sd",
                                "TeeBackSpin=300", "--sd", "TeeTargetAngle=1.5", "--seed", seed},
                               more));
    };
    std::string csv1, json1;
    for (const char* jobs : {"1", "2"}) {
        ASSERT_TRUE(ok(seeded("77", {"--jobs", jobs, "--csv", path("j.csv"), "--json", "-"})));
        csv1 = csv1.empty() ? readAll(path("j.csv")) : csv1;
        json1 = json1.empty() ? out : json1;
        EXPECT_EQ(readAll(path("j.csv")), csv1) << jobs;
        EXPECT_EQ(out, json1) << jobs; // the rows and the summary
    }
    EXPECT_EQ(nlohmann::json::parse(json1).at("shots").size(), 120u);
    ASSERT_TRUE(ok(seeded("78", {"--csv", path("j.csv")})));
    EXPECT_NE(readAll(path("j.csv")), csv1);

    // The fifth shot's values as a sweep sets them: the same row.
    const auto lines = linesOf(csv1);
    const auto cells = cellsOf(lines[5]);
    const std::string spin = cells[0], aim = cells[1];
    ASSERT_TRUE(ok(run({"sweep", kExamples + "hole3-teeshot.txt", "--vary",
                        "TeeBackSpin=" + spin + ":" + spin + ":1", "--vary",
                        "TeeTargetAngle=" + aim + ":" + aim + ":1", "--csv", "-"})));
    EXPECT_EQ(linesOf(out).at(1), lines[5]);
}

TEST_F(Dispersion, APuttThatAlwaysHolesReportsAHundredPercent)
{
    // Hole 4's flat green, 9 ft out: 4.85 to 5.96 mph and ±3.8° hole.
    SwingModel model(false);
    std::string reason;
    ASSERT_TRUE(readFreshModel(kExamples + "hole4-putt.txt", model, reason)) << reason;
    model.PuttBallSpeed = 5.42;
    ASSERT_TRUE(model.write(path("sure.txt")));

    ASSERT_TRUE(ok(disperse({path("sure.txt"), "--shots", "1000", "--sd", "PuttBallSpeed=2%",
                             "--sd", "PuttTargetAngle=0.5"})));
    // All 1000: the interval runs from 1000 / (1000 + 1.96²) to 1.
    EXPECT_THAT(out,
                HasSubstr("Holes 100 % (99.6\u2013100 %) of putts with 2 % speed and 0.5\u00b0 aim "
                          "spread."));
}

// Points from a 2-D normal distribution with known axes and orientation:
// the ellipses found from them, and from the exact covariance.
class EllipseOfANormal : public ::testing::TestWithParam<double>
{
};

TEST_P(EllipseOfANormal, HasTheAxesAndOrientation)
{
    const double angle = GetParam(), a = angle * M_PI / 180;
    const double ux = -std::sin(a), uy = std::cos(a); // long axis, SD 3
    const double vx = uy, vy = -ux;                   // short axis, SD 1
    const double expected = angle > 90 ? angle - 180 : angle <= -90 ? angle + 180 : angle;
    constexpr std::size_t n = 20'000;
    PointMoments points;
    std::vector<std::pair<double, double>> drawn;
    for (std::size_t i = 0; i < n; ++i) {
        const double s = 3 * standardNormal(9, i, 1), t = standardNormal(9, i, 2);
        drawn.push_back({5 + s * ux + t * vx, -2 + s * uy + t * vy});
        points.add(drawn.back().first, drawn.back().second);
    }
    for (double p : kEllipseProbabilities) {
        const Ellipse e = *probabilityEllipse(points, p);
        const double q = std::sqrt(-2 * std::log(1 - p));
        EXPECT_NEAR(e.semiMajor, 3 * q, 0.05 * 3 * q);
        EXPECT_NEAR(e.semiMinor, q, 0.05 * q);
        const double off = std::remainder(e.orientation - expected, 180.0);
        EXPECT_LT(std::fabs(off), 1.0) << e.orientation;
        // It holds its share of the points, within 5 standard errors.
        std::size_t inside = 0;
        const double ea = e.orientation * M_PI / 180;
        for (const auto& [x, y] : drawn) {
            const double along = (x - e.x) * -std::sin(ea) + (y - e.y) * std::cos(ea);
            const double across = (x - e.x) * std::cos(ea) + (y - e.y) * std::sin(ea);
            inside += std::pow(along / e.semiMajor, 2) + std::pow(across / e.semiMinor, 2) <= 1;
        }
        EXPECT_NEAR(double(inside) / n, p, 5 * std::sqrt(p * (1 - p) / n));
    }
}

INSTANTIATE_TEST_SUITE_P(Angles, EllipseOfANormal,
                         ::testing::Values(0.0, 30.0, -45.0, 89.0, 90.0, 135.0));

TEST(DispersionShares, WilsonIntervalsTheirTextAndTheSd)
{
    const struct
    {
        std::size_t hits, count;
        double low, high;
    } cases[] = {
        {0, 10, 0.0, 0.2775327998628892},
        {62, 100, 0.5220975529551107, 0.7090240074752127},
        {10, 10, 0.7224672001371107, 1.0},
    };
    for (const auto& c : cases) {
        const Share s = wilsonShare(c.hits, c.count);
        EXPECT_NEAR(s.low, c.low, 1e-12) << c.hits << "/" << c.count;
        EXPECT_NEAR(s.high, c.high, 1e-12) << c.hits << "/" << c.count;
    }
    EXPECT_EQ(wilsonShare(10, 10).high, 1.0); // exactly, not 0.9999999999999999

    // Whole percents, unless that would read as none or all of them.
    const std::pair<double, const char*> texts[] = {
        {0.62, "62"}, {0.0, "0"}, {1.0, "100"}, {0.9996, "99.96"}, {0.005, "0.5"}};
    for (const auto& [share, text] : texts)
        EXPECT_EQ(percentText(share), text) << share;

    // The SD of a few numbers is that of a sample: 1, 2 and 6 lie 14 from their mean.
    RunningMoments few;
    for (double v : {1.0, 2.0, 6.0})
        few.add(v);
    EXPECT_DOUBLE_EQ(few.sd(), std::sqrt(14.0 / 2));
}

// A shot ends on the green strictly inside its radius, and within 10 ft at
// 10 ft exactly; refused shots count as shots and nowhere else.
TEST(DispersionShares, ShotsAreCountedWhereTheyEnd)
{
    SwingModel model(false); // hole 1: a green 10 yd across, the cup at (-15, 154, -7)
    DispersionStats stats(model);
    ASSERT_EQ(stats.greenRadius, 5.0);
    auto tee = [&](double distance, std::optional<Vector3> landing) {
        SweepRow row;
        row.status = "ok";
        row.shot.emplace();
        row.shot->tee.distanceToHole = distance;
        row.shot->tee.carry = 100;
        row.shot->tee.landingPoint = landing;
        row.shot->tee.finalPoint = model.hole.HolePos + Vector3(distance, 0, 0);
        stats.add(row);
    };
    tee(5.0, Vector3(0, 100, 0));
    tee(4.999, std::nullopt);
    tee(10.0 / 3, Vector3(0, 120, 0));
    tee(0.0, Vector3(0, 140, 0));
    SweepRow refused;
    refused.status = "TeeBallSpeed must be above 0";
    stats.add(refused);

    EXPECT_EQ(stats.shots, 5u);
    EXPECT_EQ(stats.ran, 4u);
    EXPECT_EQ(stats.onGreen, 3u);
    EXPECT_EQ(stats.nearHole, 2u);
    EXPECT_EQ(stats.holed, 1u); // ended in the cup
    EXPECT_EQ(stats.landing.count(), 3u);
    EXPECT_EQ(stats.finish.count(), 4u);
    EXPECT_EQ(stats.numbers.front().moments.count(), 4u);
}

TEST_F(Dispersion, BadInputIsRefusedBeforeAnythingIsWritten)
{
    const std::string model = kExamples + "hole1-teeshot.txt", csv = path("bad.csv");
    const struct
    {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--sd", "TeeBallSpead=1"}, "unknown key \"TeeBallSpead\": --sd takes one of"},
        {{"--sd", "TeeBallSpeed=-3%"}, "TeeBallSpeed: the SD must be 0 or more, not -3"},
        {{"--sd", "TeeBallSpeed=nan"}, "TeeBallSpeed: the SD must be a finite number, not nan"},
        {{"--sd", "TeeBallSpeed=2mph"}, "\"TeeBallSpeed=2mph\" is not KEY=SD"},
        {{"--sd", "TeeBallSpeed"}, "\"TeeBallSpeed\" is not KEY=SD"},
        {{"--sd", "TeeBallSpeed=1", "--sd", "TeeBallSpeed=2"}, "--sd TeeBallSpeed is given twice"},
        {{"--sd", "TeeBallSpeed=1", "--sd", "TeeClubSpeed=2"}, "are the same quantity"},
        {{"--sd", "TeeSideSpin=5%"}, "TeeSideSpin: the model's value is 0"},
        {{"--sd", "TeeBallSpeed=1", "--shots", "1000001"}, "--shots takes a whole number of 1 to"},
        {{"--sd", "TeeBallSpeed=1", "--seed", "18446744073709551616"}, "--seed takes"},
        {{"--sd", "TeeBallSpeed=1", "--json", csv}, "--csv and --json name the same file"},
        {{}, "--sd is required"},
        {{"--sd", "TeeBallSpeed=1", "--seed", ""}, "--seed needs a value"},
        {{"--sd", "TeeBallSpeed=1", "--json", ""}, "--json needs a file name"},
        {{"--sd", "TeeBallSpeed=1", "--plot", ""}, "--plot needs a file name"},
        // Draws the data file could not carry: an SD, or the value 10 SDs out.
        {{"--sd", "TeeBallSpeed=1e300"}, "TeeBallSpeed: an SD of 1e+300 draws values"},
        {{"--sd", "TeeBallSpeed=1e99"}, "TeeBallSpeed: an SD of 1e+99 draws values"},
        // A key that plays no part in the model's shot.
        {{"--sd", "PuttBallSpeed=1"}, "PuttBallSpeed plays no part in a tee shot"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::vector<std::string> args = {model, "--csv", csv};
        if (std::find(c.args.begin(), c.args.end(), "--shots") == c.args.end())
            args.insert(args.end(), {"--shots", "10"});
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(disperse(args), 2);
        EXPECT_THAT(err, HasSubstr(c.message));
        EXPECT_THAT(err, HasSubstr("--help' for more information"));
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(
        disperse({path("missing.txt"), "--shots", "10", "--sd", "TeeBallSpeed=1", "--csv", csv}),
        1);
    EXPECT_THAT(err, HasSubstr("missing.txt: No such file or directory"));
    for (const char* key : {"TeeBallSpeed", "WindSpeed", "Temperature"}) {
        EXPECT_EQ(disperse({kExamples + "hole1-putt.txt", "--shots", "3", "--sd",
                            std::string(key) + "=1", "--csv", csv}),
                  2);
        EXPECT_THAT(err, HasSubstr(std::string(key) + " plays no part in a putt"));
    }
    EXPECT_EQ(names(), std::vector<std::string>()); // nothing written
}

// A model whose every shot the routine refuses gives rows of refusals and no
// statistics: a failure, with the reason.
TEST_F(Dispersion, EveryShotRefusedIsAFailure)
{
    SwingModel model(false);
    std::string reason;
    ASSERT_TRUE(readFreshModel(kExamples + "hole1-teeshot.txt", model, reason)) << reason;
    model.TimeStepSize = 0;
    ASSERT_TRUE(model.write(path("nostep.txt")));
    EXPECT_EQ(disperse({path("nostep.txt"), "--shots", "5", "--sd", "TeeBallSpeed=1", "--json",
                        path("nostep.json")}),
              1);
    EXPECT_THAT(err, HasSubstr("no shot could be run: TimeStepSize"));
    const auto doc = nlohmann::json::parse(readAll(path("nostep.json")));
    EXPECT_EQ(doc.at("shots").size(), 5u);
    EXPECT_EQ(doc.at("summary").at("refused"), 5u);
    EXPECT_TRUE(doc.at("summary").at("on_green").at("share").is_null());
    EXPECT_TRUE(doc.at("summary").at("numbers").at("carry_yd").at("mean").is_null());
}
