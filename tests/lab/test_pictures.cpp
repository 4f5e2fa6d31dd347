// The pictures, drawn on the offscreen platform: the chart is drawn whatever
// the data, the paths and the dispersion's points appear in their colours.

#include "DispersionPicture.h"
#include "LabTest.h"
#include "SweepPictures.h"
#include "SweepTraces.h"

#include <QImage>
#include <QString>
#include <cmath>
#include <limits>

using namespace quillmoor::lab;
using namespace quillmoor::labtest;

namespace {

class Pictured : public LabTest
{
protected:
    void SetUp() override
    {
        LabTest::SetUp();
        pictures.chart = renderSweepChart;
        pictures.plot = renderSweepPlot;
        pictures.thin = thinTrace;
        pictures.dispersion = renderDispersionPlot;
    }
    QImage image(const std::string& file) const
    {
        return QImage(QString::fromStdString(file), "PNG");
    }
    int sweep(const std::string& model, const std::vector<std::string>& options)
    {
        return run(joined({"sweep", kExamples + model}, options), pictures);
    }

    Pictures pictures;
};

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

// A chart of its size with something besides the background drawn: axes,
// labels, lines.
void expectChart(const QImage& image)
{
    ASSERT_EQ(image.size(), QSize(kChartWidth, kChartHeight));
    int drawn = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            drawn += image.pixel(x, y) != image.pixel(0, 0);
    EXPECT_GT(drawn, image.width() * image.height() / 9 / 100);
}

} // namespace

// Gaps (refused runs, shots without a landing), a single x value, a line
// without any number, and no number at all still give a picture.
TEST_F(Pictured, OddDataStillGivesAChart)
{
    const double gap = std::numeric_limits<double>::quiet_NaN();
    SweepChart chart;
    chart.x = {0, 10, 20, 30, 40};
    chart.lines = {
        {"a", {gap, 1, 2, gap, 4}}, {"b", {gap, gap, gap, gap, gap}}, {"c", {5, 5, 5, 5, 5}}};
    std::string error, png;
    ASSERT_TRUE(renderSweepChart(chart, png, error)) << error;
    expectChart(QImage::fromData(QByteArray::fromStdString(png), "PNG"));
    chart.x = {7}; // one x value, no number at all
    chart.lines = {{"only", {gap}}};
    EXPECT_TRUE(renderSweepChart(chart, png, error)) << error;
}

TEST_F(Pictured, TeeShotsAndPuttsAreDrawnInTheSweepsColours)
{
    const struct
    {
        const char *model, *vary, *column;
        std::size_t count;
    } cases[] = {
        {"hole1-teeshot.txt", "TeeLaunchAngle=10:40:5", "carry_yd:", 7},
        {"hole1-putt.txt", "PuttTargetAngle=-6:6:3", "break_yd:", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        ASSERT_TRUE(ok(sweep(c.model, {"--vary", c.vary, "--plot", path("paths.png"), "--chart",
                                       c.column + path("chart.png")})));
        const QImage plot = image(path("paths.png"));
        ASSERT_EQ(plot.size(), QSize(kPlotWidth, kPlotHeight));
        // The first and the last path in the plan, dozens of pixels each; in
        // the elevation putts lie on one another and the last is on top.
        const QImage plan = plot.copy(0, 0, kPlotWidth, kPlotHeight / 2);
        const QImage elevation = plot.copy(0, kPlotHeight / 2, kPlotWidth, kPlotHeight / 2);
        EXPECT_GT(pixelsNear(plan, sweepColour(0, c.count)), 40);
        EXPECT_GT(pixelsNear(plan, sweepColour(c.count - 1, c.count)), 40);
        EXPECT_GT(pixelsNear(elevation, sweepColour(c.count - 1, c.count)), 40);
        expectChart(image(path("chart.png"))); // Shotlab draws the chart beside the paths
    }
    // Only the pictures are left: no temporary file beside them.
    EXPECT_EQ(names(), (std::vector<std::string>{"chart.png", "paths.png"}));
}

TEST_F(Pictured, DispersionLandingAndFinalPointsAreToldApart)
{
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
        ASSERT_TRUE(ok(run(
            joined({"dispersion", kExamples + c.model, "--shots", "200", "--plot", path("d.png")},
                   c.sd),
            pictures)));
        const QImage plot = image(path("d.png"));
        ASSERT_EQ(plot.size(), QSize(kDispersionPlotWidth, kDispersionPlotHeight));
        EXPECT_GT(pixelsNear(plot, finish), 200);
        // The key's sample ring alone is a dozen pixels.
        if (c.landed)
            EXPECT_GT(pixelsNear(plot, landing), 200);
        else
            EXPECT_LT(pixelsNear(plot, landing), 5);
    }
}
