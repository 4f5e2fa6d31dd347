// Draws the README's chart of the realistic physics against measured shots:
// predicted carry against measured carry for every row of a range table, with
// the line where the two agree.
//
//   range_chart TABLE.csv OUT.png

#include "PictureApplication.h"
#include "Range.h"
#include "ShotSummary.h"

#include <QImage>
#include <QPainter>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace quillmoor;
using namespace quillmoor::lab;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: range_chart TABLE.csv OUT.png\n");
        return 2;
    }
    std::vector<RangeRow> rows;
    std::vector<const MeasuredColumn*> measured;
    std::string error;
    if (readRangeTable(argv[1], rows, measured, error) != TableError::None) {
        std::fprintf(stderr, "range_chart: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    ApplicationForPictures application;
    auto* chart = new QChart;
    auto* shots = new QScatterSeries;
    shots->setName(QStringLiteral("Clubs"));
    shots->setMarkerSize(11);
    std::vector<std::pair<double, double>> pairs;
    double lo = 1e9, hi = -1e9;
    for (const RangeRow& row : rows) {
        const RangeResult r = runRangeShot(row.launch, {}, ShotMode::Realistic);
        if (!row.carry || !r.numbers || !r.numbers->tee.carry)
            continue;
        shots->append(*row.carry, *r.numbers->tee.carry);
        pairs.emplace_back(*r.numbers->tee.carry, *row.carry);
        lo = std::min({lo, *row.carry, *r.numbers->tee.carry});
        hi = std::max({hi, *row.carry, *r.numbers->tee.carry});
    }
    lo = std::floor((lo - 5) / 20) * 20;
    hi = std::ceil((hi + 5) / 20) * 20;
    auto* same = new QLineSeries;
    same->setName(QStringLiteral("Predicted = measured"));
    same->append(lo, lo);
    same->append(hi, hi);
    chart->addSeries(same);
    chart->addSeries(shots);
    chart->setTitle(QStringLiteral("Realistic physics: carry of the men's tour averages, RMSE %1 yd")
                        .arg(rmse(pairs).value_or(0), 0, 'f', 2));
    auto* x = new QValueAxis;
    auto* y = new QValueAxis;
    x->setTitleText(QStringLiteral("Measured carry (yd)"));
    y->setTitleText(QStringLiteral("Predicted carry (yd)"));
    for (QValueAxis* a : {x, y}) {
        a->setRange(lo, hi);
        a->setTickCount(static_cast<int>((hi - lo) / 20) + 1);
        a->setLabelFormat(QStringLiteral("%g"));
    }
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(same), static_cast<QAbstractSeries*>(shots)}) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    chart->legend()->setAlignment(Qt::AlignBottom);

    QChartView view(chart);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.setRenderHint(QPainter::Antialiasing);
    view.resize(800, 700);
    view.show();
    QCoreApplication::processEvents();
    QImage image(800, 700, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        view.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "range_chart: %s cannot be written\n", argv[2]);
        return 1;
    }
    return 0;
}
