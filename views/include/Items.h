#pragma once
// The item classes both views draw with.
//
// Two questions are kept apart. The bounding rectangle covers everything an
// item paints, so that a repaint of any part of a view redraws all of it.
// The fit rectangle (FitContributor) is what the item adds to the automatic
// fit of its view: ball, labels and line segments add nothing and never widen
// the framing, nor do arrows unless they are marked framed (the axes and the
// wind); a track adds a tiny square at its anchor (the hole); the terrain
// spans from the tee to its anchor; pictures add their declared size at their
// pixel offset.

#include <QGraphicsEllipseItem>
#include <QGraphicsItemGroup>
#include <QGraphicsLineItem>
#include <QGraphicsPathItem>
#include <QGraphicsPixmapItem>
#include <QGraphicsSimpleTextItem>
#include <QList>
#include <QPen>

// What an item adds to the automatic fit of its view, in item coordinates.
// Items without this add their bounding rectangle.
class FitContributor
{
public:
    virtual ~FitContributor();
    // An empty rectangle adds nothing.
    virtual QRectF fitRect() const = 0;
};

// A picture from the image cache, scaled to a size in scene units.
class PixmapItem : public QGraphicsPixmapItem, public FitContributor
{
public:
    PixmapItem();
    ~PixmapItem() override;

    // The pixel offset with the declared size in scene units, transformed as
    // the picture is: near the picture's top left corner, as the framing of
    // the views has always taken it. Nothing while hidden or empty.
    QRectF fitRect() const override;

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

// Terrain or fairway: a filled outline whose fit spans from the origin to
// the anchor.
class GroundItem : public QGraphicsPathItem, public FitContributor
{
public:
    GroundItem();
    ~GroundItem() override;

    QRectF fitRect() const override;
    void setAnchor(const QPointF& p)
    {
        prepareGeometryChange();
        anchor = p;
    }

private:
    QPointF anchor;
};

// A comparison trace: the whole path is framed.
class PathItem : public QGraphicsPathItem, public FitContributor
{
public:
    explicit PathItem(QGraphicsItem* parent = nullptr);
    ~PathItem() override;

    QRectF fitRect() const override;
};

// The ball's track: a polyline of scene points. A replay grows it a segment
// at a time and repaints only the segments that change, and painting skips
// the segments outside the exposed area, so a frame costs the same for a
// long shot as for a short one. Its geometry can be given room to grow into
// (the whole shot), so that growing never repaints the whole track.
//
// trackState: 0 off, 1 armed (the next step of a shot starts a new track),
// -1 drawing (each step extends it).
class TrackItem : public QGraphicsItem, public FitContributor
{
public:
    TrackItem();
    ~TrackItem() override;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    // A tiny square at the anchor (the hole): the track itself never
    // widens the framing; the scene frames the shot.
    QRectF fitRect() const override;
    void setAnchor(const QPointF& p)
    {
        prepareGeometryChange();
        anchor = p;
    }

    QPen pen() const { return linePen; }
    void setPen(const QPen& pen);

    const QList<QPointF>& corners() const { return points; }
    // The corners as a path: a move to the first, lines to the others.
    QPainterPath path() const;
    // Replaces the corners; the track may later grow inside room without
    // changing its geometry.
    void setCorners(QList<QPointF> corners, const QRectF& room = QRectF());
    void append(const QPointF& p);
    void removeLast();

    int trackState = 0;

private:
    QRectF segmentRect(qsizetype last) const;
    void span(const QPointF& p);

    QList<QPointF> points;
    QRectF extent;        // the corners and the room
    bool spanned = false; // extent holds something, even of no size
    QPointF anchor;
    QPen linePen;
};

// The ball. Only its picture is repainted when it moves.
class BallItem : public QGraphicsEllipseItem, public FitContributor
{
public:
    // plan: centred on its position; otherwise resting on it.
    explicit BallItem(bool plan);
    ~BallItem() override;

    QPainterPath shape() const override;
    QRectF fitRect() const override { return {}; }
};

class LineItem : public QGraphicsLineItem, public FitContributor
{
public:
    LineItem(const QPointF& from, const QPointF& to, QGraphicsItem* parent = nullptr);
    ~LineItem() override;

    QRectF fitRect() const override { return {}; }
};

// A label. With ItemIgnoresTransformations set (as the views set it on every
// label) its size is in pixels; a shift, in the same units, moves the text
// away from its anchor without moving the anchor.
class TextItem : public QGraphicsSimpleTextItem, public FitContributor
{
public:
    explicit TextItem(const QString& text, QGraphicsItem* parent = nullptr);
    ~TextItem() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QRectF fitRect() const override { return {}; }

    // The text's own rectangle, before the shift.
    QRectF textRect() const { return QGraphicsSimpleTextItem::boundingRect(); }
    QPointF shift() const { return textShift; }
    void setShift(const QPointF& shift);
    // Where the text would rather be; the views keep it inside their view.
    QPointF preferredShift;
    // Kept in a corner of the view rather than at its anchor: the first of
    // top left, bottom left, top right and bottom right that leaves the
    // flag and the hole clear.
    bool pinned = false;
    // The widest the text may be, in pixels: a label that can go on more
    // lines does so. Plain labels stay as they are.
    virtual void fitWidth(double pixels);

private:
    QPointF textShift;
};

// An arrow along +x from its origin, 1.2 * length long: three lines, or a
// filled block. Views turn it with setRotation and size it with setScale.
class ArrowItem : public QGraphicsItemGroup, public FitContributor
{
public:
    class BlockArrow : public QGraphicsPathItem, public FitContributor
    {
    public:
        BlockArrow(double length, QGraphicsItem* parent);
        ~BlockArrow() override;

        QRectF fitRect() const override { return {}; }
    };

    ArrowItem(double length, bool block, QGraphicsItem* parent = nullptr);
    ~ArrowItem() override;

    // The whole arrow when framed, else nothing.
    QRectF fitRect() const override { return framed ? childrenBoundingRect() : QRectF(); }

    // An arrow that must be seen whole wherever it points and however long
    // it grows; the others may run out of the view.
    bool framed = false;
};
