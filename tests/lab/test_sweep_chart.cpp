// The chart picture, drawn on the offscreen platform: its size and that it
// is drawn at all, whatever the data (the pixels are not compared).

#include "Shotlab.h"
#include "SweepPictures.h"

#include <QImage>
#include <QString>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>

namespace fs = std::filesystem;
using namespace quillmoor::lab;

namespace {

std::string tempPng(const char* name)
{
    return ::testing::TempDir() + "sweep_chart_" + std::to_string(::getpid()) + "_" + name;
}

void expectPicture(const std::string& path)
{
    const QImage image(QString::fromStdString(path), "PNG");
    ASSERT_FALSE(image.isNull()) << path;
    EXPECT_EQ(image.width(), kChartWidth);
    EXPECT_EQ(image.height(), kChartHeight);
    // Something besides the background was drawn: axes, labels, lines.
    int drawn = 0;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            drawn += image.pixel(x, y) != image.pixel(0, 0);
    EXPECT_GT(drawn, image.width() * image.height() / 9 / 100);
}

} // namespace

TEST(SweepChartPicture, ShotlabDrawsTheChartOfASweep)
{
    const std::string png = tempPng("carry.png");
    Pictures pictures;
    pictures.chart = renderSweepChart;
    std::ostringstream out, err;
    const int status =
        runShotlab({"sweep", QUILLMOOR_SOURCE_DIR "/examples/hole1-teeshot.txt", "--vary",
                    "TeeLaunchAngle=5:45:2.5", "--vary", "TeeBackSpin=2000:6000:2000", "--chart",
                    "carry_yd:" + png, "--csv", tempPng("carry.csv")},
                   out, err, pictures);
    ASSERT_EQ(status, 0) << err.str();
    expectPicture(png);
    fs::remove(png);
    fs::remove(tempPng("carry.csv"));
}

// Gaps (refused runs, shots without a landing), a single x value, a line
// without any number, and no number at all still give a picture.
TEST(SweepChartPicture, OddDataStillGivesAPicture)
{
    const double gap = std::numeric_limits<double>::quiet_NaN();
    SweepChart chart;
    chart.title = "Carry against TeeBallSpeed";
    chart.xTitle = "TeeBallSpeed (mph)";
    chart.yTitle = "Carry (yd)";
    chart.x = {0, 10, 20, 30, 40};
    chart.lines = {
        {"a", {gap, 1, 2, gap, 4}}, {"b", {gap, gap, gap, gap, gap}}, {"c", {5, 5, 5, 5, 5}}};
    std::string error, png;
    ASSERT_TRUE(renderSweepChart(chart, png, error)) << error;
    const std::string file = tempPng("odd.png");
    std::ofstream(file, std::ios::binary) << png;
    expectPicture(file);
    fs::remove(file);

    chart.x = {7};
    chart.lines = {{"only", {gap}}};
    ASSERT_TRUE(renderSweepChart(chart, png, error)) << error;
    const QImage image = QImage::fromData(QByteArray::fromStdString(png), "PNG");
    EXPECT_EQ(image.size(), QSize(kChartWidth, kChartHeight));
}
