// What counts as a model file, and the scratch reads that leave the model and
// the hole catalogue alone unless the whole read was good.

#include "ModelFile.h"
#include "ModelFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;
using modelfile::Verdict;

namespace {

class ModelFileTest : public ModelTest
{
protected:
    void TearDown() override { fs::remove_all(dir); }
    std::string put(const std::string& name, const std::string& text) const
    {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::string tmpl = "/tmp/qh-modelfile-XXXXXX";
    const std::string dir = mkdtemp(tmpl.data());
};

std::string randomBytes(std::size_t n)
{
    std::mt19937 gen(15);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen() & 0xff);
    return s;
}

TEST_F(ModelFileTest, WhatIsAModel)
{
    SwingModel written(false);
    written.setPoint(0, {0, 0, 0});
    written.setPoint(1, {0, 1, 0});
    const struct
    {
        const char* what;
        std::string text;
        bool model;
    } rows[] = {
        {"as written", written.toText(), true},
        {"header alone", "# SwingModel Data File\n", true},
        {"header, CR LF", "# SwingModel Data File\r\nprose\r\n", true},
        {"header after a byte-order mark", "\xEF\xBB\xBF# SwingModel Data File\nprose\n", true},
        {"hand-written keys", "# my shot\n\nHoleId: 2\nTeeBallSpeed: 90\nnote\n", true},
        {"hand-written steps", "TeeShotSteps: 3\n 0, 0, 0, 0\n 1, 0, 1, 0\n 2, 0, 2, 0\nx\ny\n",
         true},
        {"alternative names", "TeeClubSpeed: 90\nTeeZSpin: 500\nPuttClubSpeed: 3\nExit Code: 1\n",
         true},
        {"half keys is not most", "HoleId: 2\nThis is hole 2.\n", false},
        {"prose quoting keys",
         "# Notes\n\nThe file says:\nHoleId: 1\nWindDir: 22\nand more.\n"
         "TeeShotSteps: 12463\nThat is all.\nReally.\n",
         false},
        {"a blank before the key", " HoleId: 1\n WindDir: 22\n", false},
        {"header not first", "\n# SwingModel Data File\nprose\n", false},
        {"nothing", "", false},
        {"comments only", "# SwingModel\n#\n\n", false},
        {"binary", randomBytes(20000), false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(modelfile::isModelText(row.text), row.model) << row.what;
        EXPECT_EQ(modelfile::examine(put("f", row.text)),
                  row.model ? Verdict::Model : Verdict::NotAModel)
            << row.what;
    }
}

TEST_F(ModelFileTest, UnreadableAndEndlessFiles)
{
    EXPECT_EQ(modelfile::examine(dir + "/missing.txt"), Verdict::Unreadable);
    EXPECT_EQ(modelfile::examine(dir), Verdict::Unreadable);
    EXPECT_EQ(modelfile::examine(""), Verdict::Unreadable);
    // A key on a line of eight megabytes is still no model; no last line end.
    EXPECT_EQ(modelfile::examine(put("long", "HoleId: 1\n" + std::string(8 << 20, 'x'))),
              Verdict::NotAModel);
    EXPECT_EQ(modelfile::examine(put("short", "HoleId: 1\nWindDir: 3")), Verdict::Model);
}

// A model with a run behind it, on hole 1.
SwingModel ranModel()
{
    SwingModel m(false);
    m.setPoint(0, {0, 0, 0});
    m.setPoint(1, {0, 50, 10});
    m.setCurrentStep(-1);
    m.FirstImpact = 1;
    m.exitCode = 1;
    return m;
}

TEST_F(ModelFileTest, AnOpenedModelKeepsNoResultsOfTheOldOne)
{
    const SwingModel current = ranModel();
    SwingModel out(false);
    ASSERT_TRUE(modelfile::loadOver(current, put("m.txt", "HoleId: 3\nTeeBallSpeed: 90\n"), out));
    EXPECT_EQ(out.teeShot.size(), 0);
    EXPECT_EQ(out.FirstImpact, -1);
    EXPECT_EQ(out.exitCode, 0);
    EXPECT_EQ(out.hole.HoleId, 3);
    EXPECT_EQ(out.TeeBallSpeed, 90);
    EXPECT_EQ(out.TeeLaunchAngle, current.TeeLaunchAngle); // the rest is overlaid
    EXPECT_FALSE(out.notifyEnabled);

    const auto catalogue = holeCatalogue();
    EXPECT_FALSE(modelfile::loadOver(current, dir + "/missing.txt", out));
    EXPECT_EQ(holeCatalogue(), catalogue);
}

TEST_F(ModelFileTest, OnlyARealResultCountsAsARun)
{
    SwingModel tee = ranModel();
    SwingModel putt = ranModel();
    putt.PuttEnabled = true;
    putt.setPoint(0, {0, 50, 10});

    SwingModel result = tee;
    result.hole.HolePos = {3, 160, 0}; // as read back: another version of hole 1
    result.setPoint(2, {0, 70, 0});
    result.FirstImpact = -1;
    result.exitCode = 1;
    std::string good = result.toText();
    result.exitCode = 0;
    const std::string noExit = result.toText();
    const std::string noSteps = result.toText(true) + "\nExit Code: 1\n";

    const struct
    {
        const char* what;
        const SwingModel& current;
        std::string text;
        bool ok;
    } rows[] = {
        {"tee shot", tee, good, true},           {"no exit code", tee, noExit, false},
        {"no steps", tee, noSteps, false},       {"no putt points", putt, good, false},
        {"junk", tee, randomBytes(3000), false},
    };
    for (const auto& row : rows) {
        const auto catalogue = holeCatalogue();
        SwingModel out(false);
        const bool ok = modelfile::readRunOutput(row.current, put("out", row.text), out);
        EXPECT_EQ(ok, row.ok) << row.what;
        if (ok) {
            EXPECT_EQ(out.teeShot.size(), 3) << row.what;
            EXPECT_EQ(out.FirstImpact, -1) << "a new shot without impact keeps none";
            EXPECT_EQ(holeCatalogue().at(1).HolePos, result.hole.HolePos);
            holeCatalogue() = catalogue;
        } else {
            EXPECT_EQ(holeCatalogue(), catalogue) << row.what;
        }
    }
}

TEST_F(ModelFileTest, AComparedFileLeavesTheCatalogueAlone)
{
    SwingModel other = ranModel();
    other.hole.GreenSize = 25;
    other.hole.WindDir = 200; // reached through a write-through setter
    const std::string path = put("other.out", other.toText());
    const auto catalogue = holeCatalogue();
    SwingModel out(false);
    ASSERT_TRUE(modelfile::readDetached(path, out));
    EXPECT_EQ(holeCatalogue(), catalogue);
    EXPECT_EQ(out.teeShot.size(), 2);
    EXPECT_EQ(out.hole.WindDir, 200);
}

} // namespace
