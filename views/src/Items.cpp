#include "Items.h"

#include "ImageCache.h"
#include "Palette.h"

#include <QBrush>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>
#include <algorithm>
#include <cmath>

FitContributor::~FitContributor() = default;

// ---- PixmapItem

PixmapItem::PixmapItem()
{
    setShapeMode(QGraphicsPixmapItem::BoundingRectShape);
    setTransformationMode(Qt::SmoothTransformation);
}

PixmapItem::~PixmapItem() = default;

QRectF PixmapItem::fitRect() const
{
    if (!isVisible() || pixmap().isNull())
        return {};
    return {offset(), QSizeF(declaredWidth, declaredHeight)};
}

void PixmapItem::setImage(const QString& name, double anchorX, double anchorY)
{
    prepareGeometryChange();
    const QPixmap pm = ImageCache::pixmap(name);
    setPixmap(pm);
    setOffset(-pm.width() * anchorX, -pm.height() * anchorY);
}

void PixmapItem::setSize(double width, double height)
{
    prepareGeometryChange();
    declaredWidth = width;
    declaredHeight = height;
    resetTransform();
    const QPixmap pm = pixmap();
    if (!pm.isNull())
        setTransform(QTransform::fromScale(width / pm.width(), height / pm.height()));
}

// ---- GroundItem

GroundItem::GroundItem()
{
    setBrush(Qt::NoBrush);
    setPen(Qt::NoPen);
    setZValue(-1000);
}

GroundItem::~GroundItem() = default;

QRectF GroundItem::fitRect() const
{
    const double top = std::min(anchor.y(), 0.0);
    return {0.0, top, anchor.x(), std::max(anchor.y(), 0.0) - top};
}

// ---- PathItem

PathItem::PathItem(QGraphicsItem* parent) : QGraphicsPathItem(parent)
{
    setPen(Palette::hairline(Qt::white));
}

PathItem::~PathItem() = default;

QRectF PathItem::fitRect() const
{
    return path().boundingRect();
}

// ---- TrackItem

namespace {
QRectF around(const QPointF& a, const QPointF& b)
{
    return QRectF(a, b).normalized();
}
} // namespace

TrackItem::TrackItem() : points{QPointF()}, spanned(true), linePen(Palette::hairline(Qt::white))
{
    // Painting needs the exposed area to skip what lies outside it.
    setFlag(ItemUsesExtendedStyleOption);
}

TrackItem::~TrackItem() = default;

QRectF TrackItem::boundingRect() const
{
    return extent;
}

QRectF TrackItem::fitRect() const
{
    return {anchor.x(), anchor.y(), 0.3, 0.3};
}

void TrackItem::setPen(const QPen& pen)
{
    linePen = pen;
    update();
}

QPainterPath TrackItem::path() const
{
    QPainterPath result;
    if (points.isEmpty())
        return result;
    result.moveTo(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        result.lineTo(points[i]);
    return result;
}

void TrackItem::setCorners(QList<QPointF> corners, const QRectF& room)
{
    prepareGeometryChange();
    points = std::move(corners);
    extent = QRectF();
    spanned = false;
    if (!room.isNull()) {
        extent = room.normalized();
        spanned = true;
    }
    for (const QPointF& p : std::as_const(points))
        span(p);
    update();
}

// Widens the extent to take in p (a level or upright track has an extent of
// no height or width, which QRectF would take for nothing).
void TrackItem::span(const QPointF& p)
{
    if (!spanned) {
        extent = QRectF(p, QSizeF(0, 0));
        spanned = true;
        return;
    }
    extent.setCoords(std::min(extent.left(), p.x()), std::min(extent.top(), p.y()),
                     std::max(extent.right(), p.x()), std::max(extent.bottom(), p.y()));
}

// The segment that ends at corner `last`, grown a little: an update of an
// empty rectangle (a level segment) would repaint nothing.
QRectF TrackItem::segmentRect(qsizetype last) const
{
    const QRectF r =
        last > 0 ? around(points[last - 1], points[last]) : around(points[0], points[0]);
    return r.adjusted(-1e-6, -1e-6, 1e-6, 1e-6);
}

void TrackItem::append(const QPointF& p)
{
    if (!spanned || p.x() < extent.left() || p.x() > extent.right() || p.y() < extent.top() ||
        p.y() > extent.bottom()) {
        prepareGeometryChange();
        span(p);
    }
    points.append(p);
    update(segmentRect(points.size() - 1));
}

void TrackItem::removeLast()
{
    if (points.isEmpty())
        return;
    update(segmentRect(points.size() - 1));
    points.removeLast();
}

void TrackItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    if (points.size() < 2)
        return;
    painter->setPen(linePen);
    painter->setBrush(Qt::NoBrush);

    // Two pixels around the exposed area, in scene units, for the pen.
    const double scale = std::sqrt(std::abs(painter->worldTransform().determinant()));
    const double margin = scale > 0 ? 2 / scale : 0;
    const QRectF area = option->exposedRect.adjusted(-margin, -margin, margin, margin);
    const auto touches = [&area](const QPointF& a, const QPointF& b) {
        return std::max(a.x(), b.x()) >= area.left() && std::min(a.x(), b.x()) <= area.right() &&
               std::max(a.y(), b.y()) >= area.top() && std::min(a.y(), b.y()) <= area.bottom();
    };
    // Runs of segments that touch the area, each drawn as one line.
    qsizetype first = -1;
    for (qsizetype i = 1; i <= points.size(); ++i) {
        const bool inside = i < points.size() && touches(points[i - 1], points[i]);
        if (inside && first < 0)
            first = i - 1;
        if (!inside && first >= 0) {
            painter->drawPolyline(points.constData() + first, int(i - first));
            first = -1;
        }
    }
}

// ---- BallItem

BallItem::BallItem(bool plan)
    : QGraphicsEllipseItem(plan ? QRectF(-0.3, -0.3, 0.6, 0.6) : QRectF(-0.3, -0.6, 0.6, 0.6))
{
    QLinearGradient shading(0, 0, 1, 1);
    shading.setCoordinateMode(QGradient::ObjectBoundingMode);
    shading.setColorAt(0.5, Qt::white);
    shading.setColorAt(1.0, Qt::darkGray);
    setBrush(shading);
    setPen(Palette::hairline());
}

BallItem::~BallItem() = default;

QPainterPath BallItem::shape() const
{
    QPainterPath path;
    path.addRect(rect());
    return path;
}

// ---- LineItem, TextItem

LineItem::LineItem(const QPointF& from, const QPointF& to, QGraphicsItem* parent)
    : QGraphicsLineItem(QLineF(from, to), parent)
{
    setPen(Palette::hairline());
}

LineItem::~LineItem() = default;

TextItem::TextItem(const QString& text, QGraphicsItem* parent)
    : QGraphicsSimpleTextItem(text, parent)
{
}

TextItem::~TextItem() = default;

QRectF TextItem::boundingRect() const
{
    return textRect().translated(textShift);
}

QPainterPath TextItem::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void TextItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    painter->translate(textShift);
    QGraphicsSimpleTextItem::paint(painter, option, widget);
}

void TextItem::fitWidth(double) {}

void TextItem::setShift(const QPointF& shift)
{
    if (shift == textShift)
        return;
    prepareGeometryChange();
    textShift = shift;
}

// ---- ArrowItem

ArrowItem::BlockArrow::BlockArrow(double length, QGraphicsItem* parent) : QGraphicsPathItem(parent)
{
    const double l = length * 1.2;
    QPainterPath path(QPointF(0, 0.12));
    path.lineTo(l - 0.36, 0.12);
    path.lineTo(l - 0.48, 0.36);
    path.lineTo(l, 0);
    path.lineTo(l - 0.48, -0.36);
    path.lineTo(l - 0.36, -0.12);
    path.lineTo(0, -0.12);
    path.closeSubpath();
    setPath(path);
    setPen(Palette::hairline(Palette::ArrowEdge));
    setBrush(Palette::ArrowFill);
}

ArrowItem::BlockArrow::~BlockArrow() = default;

ArrowItem::ArrowItem(double length, bool block, QGraphicsItem* parent) : QGraphicsItemGroup(parent)
{
    const double l = length * 1.2;
    if (block) {
        new BlockArrow(length, this);
        return;
    }
    new LineItem({0, 0}, {l, 0}, this);
    new LineItem({l, 0}, {l - 0.6, 0.6}, this);
    new LineItem({l, 0}, {l - 0.6, -0.6}, this);
}

ArrowItem::~ArrowItem() = default;
