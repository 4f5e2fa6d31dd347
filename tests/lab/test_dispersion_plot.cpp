// The picture of a dispersion, drawn on the offscreen platform: both kinds of
// points in their colours, on the plan view, and only the final points for
// putts.

#include "DispersionPicture.h"
#include "Shotlab.h"

#include <QImage>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace quillmoor::lab;

namespace {

const std::string kExamples = QUILLMOOR_SOURCE_DIR "/examples/";

// The pixels within a little of the colour.
int pixelsNear(const QImage& image, const QColor& colour)
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

} // namespace

TEST(DispersionPlotPicture, LandingAndFinalPointsAreToldApart)
{
    std::string name = ::testing::TempDir() + "dispersionplotXXXXXX";
    const fs::path dir = ::mkdtemp(name.data());
    Pictures pictures;
    pictures.dispersion = renderDispersionPlot;
    const QColor landing(255, 152, 0), finish(33, 33, 160);

    const struct
    {
        const char* model;
        std::vector<std::string> sd;
        bool landed;
    } cases[] = {
        {"hole1-teeshot.txt", {"--sd", "TeeBallSpeed=3%", "--sd", "TeeTargetAngle=3"}, true},
        {"hole1-putt.txt", {"--sd", "PuttBallSpeed=10%", "--sd", "PuttTargetAngle=3"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const std::string png = (dir / "d.png").string();
        std::vector<std::string> args = {
            "dispersion", kExamples + c.model, "--shots", "200", "--plot", png};
        args.insert(args.end(), c.sd.begin(), c.sd.end());
        std::ostringstream out, err;
        ASSERT_EQ(runShotlab(args, out, err, pictures), 0) << err.str();
        const QImage image(QString::fromStdString(png), "PNG");
        ASSERT_EQ(image.size(), QSize(kDispersionPlotWidth, kDispersionPlotHeight));
        EXPECT_GT(pixelsNear(image, finish), 200);
        // The key's sample ring alone is a dozen pixels.
        if (c.landed)
            EXPECT_GT(pixelsNear(image, landing), 200);
        else
            EXPECT_LT(pixelsNear(image, landing), 5);
    }
    fs::remove_all(dir);
}
