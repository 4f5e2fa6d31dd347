#include "SweepPictures.h"

#include "PictureApplication.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>

namespace quillmoor::lab {

namespace {

// Blue for the first line through to red for the last, as the sweep's order.
QColor lineColor(std::size_t i, std::size_t count)
{
    const double t = count > 1 ? static_cast<double>(i) / static_cast<double>(count - 1) : 0.0;
    return QColor::fromHsvF(static_cast<float>(0.62 * (1.0 - t)), 0.85f, 0.8f);
}

// Lines with more points than this are drawn without markers.
constexpr std::size_t kMarkedPoints = 60;
// Legends with more lines than this are left out: the colours say the order.
constexpr std::size_t kLegendLines = 16;

} // namespace

bool renderSweepChart(const SweepChart& data, std::string& png, std::string& error)
{
    ApplicationForPictures application;

    auto* chart = new QChart;
    chart->setTitle(QString::fromStdString(data.title));
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(13);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setBackgroundRoundness(0);

    auto* xAxis = new QValueAxis;
    auto* yAxis = new QValueAxis;
    xAxis->setTitleText(QString::fromStdString(data.xTitle));
    yAxis->setTitleText(QString::fromStdString(data.yTitle));
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);

    double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL;
    for (double x : data.x) {
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
    }
    const bool markers = data.x.size() <= kMarkedPoints;
    for (std::size_t l = 0; l < data.lines.size(); ++l) {
        const ChartLine& line = data.lines[l];
        QPen pen(lineColor(l, data.lines.size()));
        pen.setWidthF(2.0);
        // A line breaks where a number is absent (a refused run, no landing).
        bool first = true;
        std::size_t i = 0;
        do {
            auto* series = new QLineSeries;
            series->setName(QString::fromStdString(line.name));
            series->setPen(pen);
            for (; i < data.x.size() && !std::isfinite(line.y[i]); ++i) {
            }
            if (i == data.x.size() && !first) {
                delete series;
                break;
            }
            for (; i < data.x.size() && std::isfinite(line.y[i]); ++i) {
                series->append(data.x[i], line.y[i]);
                yMin = std::min(yMin, line.y[i]);
                yMax = std::max(yMax, line.y[i]);
            }
            series->setPointsVisible(markers || series->count() == 1);
            chart->addSeries(series);
            series->attachAxis(xAxis);
            series->attachAxis(yAxis);
            if (!first)
                chart->legend()->markers(series).value(0)->setVisible(false);
            first = false;
        } while (i < data.x.size());
    }

    if (!(xMin <= xMax)) {
        xMin = 0;
        xMax = 1;
    }
    if (xMin == xMax) {
        xMin -= 1;
        xMax += 1;
    }
    if (!(yMin <= yMax)) { // no number at all
        yMin = 0;
        yMax = 1;
        chart->setTitle(chart->title() + QStringLiteral(" (no values)"));
    }
    const double pad = yMax > yMin ? 0.05 * (yMax - yMin) : std::max(1.0, std::fabs(yMax) * 0.05);
    xAxis->setRange(xMin, xMax);
    yAxis->setRange(yMin - pad, yMax + pad);
    yAxis->applyNiceNumbers();
    xAxis->setLabelFormat(QStringLiteral("%g"));
    yAxis->setLabelFormat(QStringLiteral("%g"));

    const bool legend = data.lines.size() > 1 && data.lines.size() <= kLegendLines;
    chart->legend()->setVisible(legend);
    chart->legend()->setAlignment(Qt::AlignRight);

    QChartView view(chart); // owns the chart
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(kChartWidth, kChartHeight);
    view.show(); // the chart is laid out for a view that is shown
    QCoreApplication::processEvents();

    QImage image(kChartWidth, kChartHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        view.render(&painter);
    }

    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        error = "the picture could not be encoded";
        return false;
    }
    png.assign(encoded.constData(), static_cast<std::size_t>(encoded.size()));
    return true;
}

} // namespace quillmoor::lab
