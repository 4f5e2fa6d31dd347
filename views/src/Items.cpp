#include "Items.h"

#include "ImageCache.h"
#include "Palette.h"

#include <QBrush>
#include <QLinearGradient>
#include <QPen>
#include <algorithm>

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
    return {anchor.x(), anchor.y(), 0.3, 0.3};
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
