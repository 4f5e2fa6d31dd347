// What a data file carries: every case is checked against a real write and a
// read into a fresh model, bit for bit (a -0 must stay -0).

#include "CarriedValue.h"
#include "ModelFixture.h"
#include "ShotSummary.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unistd.h>

using namespace quillmoor;

namespace {

std::uint64_t bitsOf(double v)
{
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

#define EXPECT_SAME_DOUBLE(a, b) EXPECT_EQ(bitsOf(a), bitsOf(b)) << (a) << " vs " << (b)

// Every number of a model a file carries, in a fixed order.
std::vector<double> numbersOf(const SwingModel& m)
{
    const HoleInfo& h = m.hole;
    std::vector<double> v{h.GreenSize,       h.WindDir,      h.WindSpeed,    h.GreenXRot,
                          h.GreenYRot,       h.GreenRho,     m.TeeBallSpeed, m.TeeLaunchAngle,
                          m.TeeTargetAngle,  m.TeeBackSpin,  m.TeeSideSpin,  m.PuttBallSpeed,
                          m.PuttTargetAngle, m.TimeStepSize, m.Temperature,  m.Altitude,
                          m.Humidity};
    for (const Vector3& p : {h.HolePos, h.GreenPos, h.TreePos, h.TreeSize, m.BallPos})
        v.insert(v.end(), {p.x, p.y, p.z});
    for (const Trajectory* shot : {&m.teeShot, &m.puttShot})
        for (const auto& [step, p] : *shot)
            v.insert(v.end(), {double(step), p.x, p.y, p.z});
    return v;
}

class Carried : public ModelTest
{
protected:
    std::string path = ::testing::TempDir() + "carried_" + std::to_string(::getpid()) + ".txt";
    void TearDown() override { std::remove(path.c_str()); }

    // m written and read back into a fresh model.
    SwingModel throughFile(const SwingModel& m)
    {
        EXPECT_TRUE(m.write(path));
        holeCatalogue().clear();
        SwingModel back(false);
        EXPECT_TRUE(back.read(path));
        return back;
    }
};

double quantity(const SwingModel& m, const std::string& key)
{
    if (key == "TimeStepSize")
        return m.TimeStepSize;
    if (key == "GreenType")
        return m.hole.GreenType;
    return m.getValue(key);
}

} // namespace

// Every key with every awkward value: digits past the line's decimals, ties,
// a -0 or what rounds to one, lines longer than the reader takes in one piece,
// what is no number at all.
TEST_F(Carried, ValuesComeBackAsTheFileHoldsThem)
{
    for (const char* key :
         {"WindDir",      "WindSpeed",    "GreenXRot",      "GreenYRot",      "GreenRho",
          "TeeClubSpeed", "TeeBallSpeed", "TeeLaunchAngle", "TeeTargetAngle", "TeeBackSpin",
          "TeeZSpin",     "TeeSideSpin",  "PuttClubSpeed",  "PuttBallSpeed",  "PuttTargetAngle",
          "GreenSize",    "TimeStepSize", "Temperature",    "Altitude",       "Humidity",
          "GreenType",    "PuttEnabled"}) {
        for (double v : {-0.0, -1e-10, 4e-9, 5 + 3 * 0.05, 1.0 / 3, 50.0 / 3, 0.00123456789,
                         0.001 + 1e-17, 9.999999996, 9.999999994, 70.000000001, -1.5,
                         -123456789.123456789, 1e250, std::nan(""), HUGE_VAL}) {
            SCOPED_TRACE(std::string(key) + " " + std::to_string(v));
            holeCatalogue().clear();
            SwingModel m(false);
            m.setValue(key, 7.0); // so that a -0 counts as a change here
            ASSERT_TRUE(m.setValue(key, v));
            EXPECT_SAME_DOUBLE(carriedValue(key, v), quantity(throughFile(m), key));
        }
    }
    EXPECT_EQ(carriedValue("HoleId", 2.7), 2.0);
    EXPECT_EQ(carriedValue("HolePosX", 1.0 / 3), 1.0 / 3); // not a setValue key
}

TEST_F(Carried, AWholeModelComesBackAsTheFileHoldsIt)
{
    SwingModel m(false);
    m.hole.HolePos = {-15.123456, 154.00005, -7.99999};
    m.hole.GreenPos = {1.0 / 3, 2.0 / 3, -1e-7};
    m.hole.GreenSize = 12.34567;
    m.hole.TreePos = {0.00004, 40.00006, 4.5};
    m.hole.TreeSize = {13.33333, 1e200, 25}; // a line too long for one piece
    m.hole.TreeType = "  Birch";
    m.hole.WindDir = 22.123456789;
    m.hole.GreenXRot = -3.8000000049;
    m.TeeBackSpin = 3999.999999999;
    m.PuttTargetAngle = -0.000000004;
    m.BallPos = {1.0 / 3, 2.0 / 3, -1e-12};
    m.TimeStepSize = 0.0011111111;
    for (int i = 0; i < 50; ++i)
        m.teeShot.set(i, {std::sin(i) / 7, i / 3.0, -1e-10 * i});
    m.puttShot.set(0, {-1.5, 30.25, 0});
    m.puttShot.set(1, {std::nan(""), std::numeric_limits<double>::infinity(), 1e-9});

    m.Altitude = -0.0;
    m.Humidity = 12.3456789012;

    const SwingModel back = throughFile(m);
    SwingModel carried = m;
    carryModel(carried);
    const std::vector<double> a = numbersOf(carried), b = numbersOf(back);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_SAME_DOUBLE(a[i], b[i]) << " number " << i;
    EXPECT_EQ(carried.hole.TreeType, "Birch");
    EXPECT_EQ(back.hole.TreeType, "Birch");

    // A tree type the reader passes over leaves a fresh model's: no tree.
    m.hole.TreeType = "Oak, tall";
    carried = m;
    carryModel(carried);
    EXPECT_EQ(carried.hole.TreeType, "");
}

// The numbers of a shot seen through carriedPoint are those of its file.
TEST_F(Carried, ShotNumbersThroughTheViewAreThoseOfTheFile)
{
    SwingModel tee(false);
    tee.TeeLaunchAngle = 12.5;
    for (int i = 0; i < 400; ++i) // a made-up flight with digits beyond the eighth
        tee.teeShot.set(i, {std::sin(i * 0.01) / 3, i * 0.37123456789, 5 * std::sin(i * 0.01)});
    tee.FirstImpact = 314;
    SwingModel putt(false);
    putt.PuttEnabled = true;
    for (int i = 0; i < 300; ++i)
        putt.puttShot.set(i, {std::sin(i * 0.02) / 7, 140 + i * 0.031234567, -7 - i * 1e-9});

    for (const SwingModel* m : {&tee, &putt}) {
        const auto seen = summarizeActiveShot(*m, &carriedPoint);
        const auto fromFile = summarizeActiveShot(throughFile(*m));
        ASSERT_TRUE(seen && fromFile);
        for (const ShotField& f : shotFields()) {
            const auto a = f.of(*seen), b = f.of(*fromFile);
            ASSERT_EQ(a.has_value(), b.has_value()) << f.key;
            if (a) {
                EXPECT_SAME_DOUBLE(*a, *b);
            }
        }
    }
    // Without the view the stored points give other last digits.
    EXPECT_NE(summarizeTeeShot(tee)->total, summarizeTeeShot(tee, &carriedPoint)->total);
}
