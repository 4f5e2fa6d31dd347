// The picture of the overlaid paths, drawn on the offscreen platform: the
// paths are there in the colours of the sweep, wherever the picture goes.

#include "Shotlab.h"
#include "SweepPictures.h"
#include "SweepTraces.h"

#include <QImage>
#include <QString>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quillmoor::lab;

namespace {

const std::string kExamples = QUILLMOOR_SOURCE_DIR "/examples/";

class SweepPlotPicture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string name = ::testing::TempDir() + "sweepplotXXXXXX";
        dir = ::mkdtemp(name.data());
        pictures.chart = renderSweepChart;
        pictures.plot = renderSweepPlot;
        pictures.thin = thinTrace;
    }
    void TearDown() override { fs::remove_all(dir); }

    int sweep(const std::string& model, std::vector<std::string> options)
    {
        std::vector<std::string> args = {"sweep", kExamples + model};
        args.insert(args.end(), options.begin(), options.end());
        std::ostringstream out, e;
        const int status = runShotlab(args, out, e, pictures);
        err = e.str();
        return status;
    }
    // The pixels of the picture within a little of the colour.
    static int pixelsNear(const QImage& image, const QColor& colour)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                         std::abs(c.blue() - colour.blue()) <
                     30;
            }
        return n;
    }
    std::string path(const char* name) const { return (dir / name).string(); }

    fs::path dir;
    Pictures pictures;
    std::string err;
};

} // namespace

TEST_F(SweepPlotPicture, TeeShotsAndPuttsAreDrawnInTheSweepsColours)
{
    const struct
    {
        const char* model;
        const char* vary;
        std::size_t count;
    } cases[] = {
        {"hole1-teeshot.txt", "TeeLaunchAngle=10:40:5", 7},
        {"hole1-putt.txt", "PuttTargetAngle=-6:6:3", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const std::string png = path("paths.png");
        ASSERT_EQ(sweep(c.model, {"--vary", c.vary, "--plot", png, "--chart",
                                  std::string(c.count == 7 ? "carry_yd:" : "break_yd:") +
                                      path("chart.png")}),
                  0)
            << err;
        const QImage image(QString::fromStdString(png), "PNG");
        ASSERT_EQ(image.size(), QSize(kPlotWidth, kPlotHeight));
        // The first and the last path in the plan, dozens of pixels each; in
        // the elevation putts lie on one another and the last is on top.
        const QImage plan = image.copy(0, 0, kPlotWidth, kPlotHeight / 2);
        const QImage elevation = image.copy(0, kPlotHeight / 2, kPlotWidth, kPlotHeight / 2);
        EXPECT_GT(pixelsNear(plan, sweepColour(0, c.count)), 40);
        EXPECT_GT(pixelsNear(plan, sweepColour(c.count - 1, c.count)), 40);
        EXPECT_GT(pixelsNear(elevation, sweepColour(c.count - 1, c.count)), 40);
        EXPECT_TRUE(fs::exists(path("chart.png")));
    }
    // Refused runs draw nothing: none of those colours is the scenery's.
    ASSERT_EQ(sweep("hole1-teeshot.txt", {"--vary", "TeeBallSpeed=0:0:1", "--vary",
                                          "TeeLaunchAngle=10:40:5", "--plot", path("paths.png")}),
              0)
        << err;
    const QImage none(QString::fromStdString(path("paths.png")), "PNG");
    EXPECT_LT(pixelsNear(none, sweepColour(0, 7)), 5);
    EXPECT_LT(pixelsNear(none, sweepColour(6, 7)), 5);

    // Only the pictures are left: no temporary file beside them.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(SweepPlotPicture, AFileThatCannotBeWrittenIsAnError)
{
    fs::create_directory(path("taken.png"));
    EXPECT_EQ(sweep("hole1-teeshot.txt", {"--vary", "TeeLaunchAngle=10:40:10", "--plot",
                                          path("taken.png")}),
              1);
    EXPECT_NE(err.find("taken.png: Is a directory"), std::string::npos) << err;
    // A directory that takes no new file (root writes anywhere).
    if (::geteuid() != 0) {
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(sweep("hole1-teeshot.txt",
                        {"--vary", "TeeLaunchAngle=10:40:10", "--plot", path("p.png")}),
                  1);
        EXPECT_NE(err.find("p.png: Permission denied"), std::string::npos) << err;
        fs::permissions(dir, fs::perms::owner_all);
    }
    EXPECT_FALSE(fs::exists(path("p.png")));
}
