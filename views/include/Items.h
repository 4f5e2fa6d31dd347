#pragma once
// The item classes both views draw with.
//
// Most of what they add to Qt is their bounding rectangle, because it decides
// what the automatic fit of a view takes into account: ball, arrows, labels
// and line segments report an empty rectangle and never widen the framing; a
// track reports a tiny square at its anchor (the hole); the terrain spans from
// the tee to its anchor; pictures report their declared size.

#include <QGraphicsEllipseItem>
#include <QGraphicsItemGroup>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsSimpleTextItem>

// A picture from the image cache, scaled to a size in scene units.
class PixmapItem : public QGraphicsPixmapItem
{
public:
    PixmapItem();
    ~PixmapItem() override;

    QRectF boundingRect() const override;

    // Loads the picture; the anchor (fractions of its width and height) is put
    // at the item's origin. A missing picture leaves the item empty.
    void setImage(const QString& name, double anchorX, double anchorY);
    // Scales the current picture to width x height scene units. A later
    // setImage keeps the scaling it finds.
    void setSize(double width, double height);

protected:
    double declaredWidth = -1.0;
    double declaredHeight = -1.0;
};

// Terrain or fairway: a filled outline whose bounding rectangle spans from
// the origin to the anchor.
class GroundItem : public QGraphicsPathItem
{
public:
    GroundItem();
    ~GroundItem() override;

    QRectF boundingRect() const override;
    void setAnchor(const QPointF& p)
    {
        prepareGeometryChange();
        anchor = p;
    }

private:
    QPointF anchor;
};

// A ball track. trackState: 0 off, 1 armed (the next ball move starts a new
// subpath), -1 drawing (each ball move adds a line).
class PathItem : public QGraphicsPathItem
{
public:
    explicit PathItem(QGraphicsItem* parent = nullptr);
    ~PathItem() override;

    QRectF boundingRect() const override;
    void setAnchor(const QPointF& p)
    {
        prepareGeometryChange();
        anchor = p;
    }

    int trackState = 0;

private:
    QPointF anchor;
};

class BallItem : public QGraphicsEllipseItem
{
public:
    // plan: centred on its position; otherwise resting on it.
    explicit BallItem(bool plan);
    ~BallItem() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
};

class LineItem : public QGraphicsLineItem
{
public:
    LineItem(const QPointF& from, const QPointF& to, QGraphicsItem* parent = nullptr);
    ~LineItem() override;

    QRectF boundingRect() const override;
};

class TextItem : public QGraphicsSimpleTextItem
{
public:
    explicit TextItem(const QString& text, QGraphicsItem* parent = nullptr);
    ~TextItem() override;

    QRectF boundingRect() const override;
};

// An arrow along +x from its origin, 1.2 * length long: three lines, or a
// filled block. Views turn it with setRotation and size it with setScale.
class ArrowItem : public QGraphicsItemGroup
{
public:
    class BlockArrow : public QGraphicsPathItem
    {
    public:
        BlockArrow(double length, QGraphicsItem* parent);
        ~BlockArrow() override;

        QRectF boundingRect() const override;
    };

    ArrowItem(double length, bool block, QGraphicsItem* parent = nullptr);
    ~ArrowItem() override;
};
