// A dispersion's dots: stamped from one small picture (the window) or drawn
// one by one (Shotlab's picture), each at its point whatever the zoom, and a
// dot cut by the edge of the part repainted still drawn there.

#include "DispersionItems.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <gtest/gtest.h>

namespace {

const QList<QPointF> kPoints = {{2, 3}, {10.25, 7.5}, {17.6, 2.2}};

// The dots painted at `zoom` pixels per unit into an image of `size`, as a
// view repaints the part `exposed` (in the item's units) of them.
QImage paintDots(bool stamped, double zoom, const QSize& size, const QRectF& exposed)
{
    QPen pen(Qt::white, 0.8);
    pen.setCosmetic(true);
    DispersionDotsItem dots(kPoints, 3.0, pen, QColor(33, 33, 160));
    dots.setStamped(stamped);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(zoom, zoom);
    QStyleOptionGraphicsItem option;
    option.exposedRect = exposed;
    dots.paint(&painter, &option, nullptr);
    return image;
}

// The middle of the blue pixels within `radius` of `around`.
QPointF blueCentre(const QImage& image, const QPointF& around, int radius = 8)
{
    double sx = 0, sy = 0, n = 0;
    for (int y = int(around.y()) - radius; y <= int(around.y()) + radius; ++y)
        for (int x = int(around.x()) - radius; x <= int(around.x()) + radius; ++x) {
            if (!image.valid(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            const double blue = std::max(0, c.blue() - c.red()) / 127.0;
            sx += blue * (x + 0.5);
            sy += blue * (y + 0.5);
            n += blue;
        }
    return n > 0 ? QPointF(sx / n, sy / n) : QPointF(-1, -1);
}

// Only the dots of the part repainted are drawn, and a dot cut by its edge
// (its centre 2 pixels outside) is one of them.
TEST(DispersionDots, DotsLieAtTheirPointsAndARepaintDrawsThoseItCuts)
{
    for (const bool stamped : {false, true}) {
        SCOPED_TRACE(stamped);
        for (const double zoom : {10.0, 23.7}) {
            const QImage image =
                paintDots(stamped, zoom, (QSizeF(20, 10) * zoom).toSize(), QRectF(0, 0, 20, 10));
            for (const QPointF& p : kPoints)
                EXPECT_LT(QLineF(blueCentre(image, p * zoom), p * zoom).length(), 0.8)
                    << zoom << ": " << p.x() << ", " << p.y();
        }
        const QImage part = paintDots(stamped, 10, QSize(200, 100), QRectF(10.45, 0, 10, 10));
        EXPECT_NE(blueCentre(part, kPoints[1] * 10), QPointF(-1, -1)); // cut by the edge
        EXPECT_NE(blueCentre(part, kPoints[2] * 10), QPointF(-1, -1)); // inside
        EXPECT_EQ(blueCentre(part, kPoints[0] * 10), QPointF(-1, -1)); // far outside
    }
}

} // namespace
