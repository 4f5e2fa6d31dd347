#include "HoleBand.h"

#include "Palette.h"

#include <QPainter>
#include <algorithm>

namespace {

// Corners closer than this (scene units, yards) add nothing to the picture:
// a putt stores a point every millisecond.
constexpr double kMinStep = 0.005;

QPainterPath polyline(const QList<QPointF>& points)
{
    QPainterPath path;
    if (points.isEmpty())
        return path;
    path.moveTo(points.first());
    QPointF last = points.first();
    for (qsizetype i = 1; i < points.size(); ++i) {
        const QPointF& p = points[i];
        const QPointF d = p - last;
        if (i + 1 < points.size() && d.x() * d.x() + d.y() * d.y() < kMinStep * kMinStep)
            continue;
        path.lineTo(p);
        last = p;
    }
    return path;
}

} // namespace

HoleBandItem::HoleBandItem(QGraphicsItem* parent) : QGraphicsObject(parent) {}

HoleBandItem::~HoleBandItem() = default;

void HoleBandItem::setLines(const QList<QPointF>& lowEdge, const QList<QPointF>& highEdge,
                            const QList<QPointF>& chosen)
{
    prepareGeometryChange();
    low = polyline(lowEdge);
    high = polyline(highEdge);
    middle = polyline(chosen);
    // Out along one edge and back along the other. Edges that cross each
    // other are still filled on both sides of the crossing.
    area = low;
    area.setFillRule(Qt::WindingFill);
    QList<QPointF> back = highEdge;
    std::reverse(back.begin(), back.end());
    area.connectPath(polyline(back));
    area.closeSubpath();
    extent = (low.boundingRect() | high.boundingRect()) | middle.boundingRect();
    update();
}

QRectF HoleBandItem::boundingRect() const
{
    return extent;
}

void HoleBandItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // The arrow's yellow, see-through: the room for error; white: the line.
    const auto tint = [](int alpha) {
        QColor c = Palette::ArrowFill;
        c.setAlpha(alpha);
        return c;
    };
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(tint(90));
    painter->drawPath(area);

    painter->setBrush(Qt::NoBrush);
    QPen edge(tint(200), 1.2);
    edge.setCosmetic(true);
    painter->setPen(edge);
    painter->drawPath(low);
    painter->drawPath(high);

    QPen line(QColor(255, 255, 255, 235), 2.0);
    line.setCosmetic(true);
    line.setCapStyle(Qt::RoundCap);
    line.setJoinStyle(Qt::RoundJoin);
    painter->setPen(line);
    painter->drawPath(middle);
}
