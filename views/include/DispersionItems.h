#pragma once
// A dispersion drawn over the plan view: the landing points as orange rings,
// the final points as dark blue dots, and their 68 % (solid) and 95 %
// (dashed) ellipses, each ellipse on a white halo so that it shows over a
// crowd of points. Shotlab's picture and the window's overlay draw with the
// same items, so both look alike. The ellipses come as numbers (centre,
// semi-axes, orientation), so the views need nothing of the statistics.

#include "Items.h"
#include "Vector3.h"

#include <QColor>
#include <QGraphicsItem>
#include <QList>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <vector>

class SwingScene;

namespace dispersionlook {
// Neither the grass nor the sky nor the sweep's purple-to-orange: the two
// kinds of points are told apart at a glance, and from the scenery.
inline const QColor Landing{255, 152, 0}; // orange, hollow rings
inline const QColor Final{33, 33, 160};   // dark blue, filled dots
// The landing ellipses a darker orange, which shows over the rings.
inline const QColor LandingEllipse{200, 80, 0};
// Above every picture, line and sweep path of the view.
constexpr double kZ = 3100;
} // namespace dispersionlook

// Dots of a fixed size in pixels at points of the scene, whatever the zoom.
class DispersionDotsItem : public QGraphicsItem
{
public:
    DispersionDotsItem(QList<QPointF> points, double radius, const QPen& pen, const QBrush& brush);

    // Half a unit round the points: the dots' few pixels at any zoom the
    // views take.
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    const QList<QPointF>& points() const { return dots; }
    // Each dot stamped from one drawn picture, to the nearest pixel: many
    // times faster than drawing each, for a view that zooms.
    void setStamped(bool on) { stamped = on; }

private:
    QPixmap stampFor(const QPainter& painter) const;

    QList<QPointF> dots;
    double radius; // pixels
    QPen pen;
    QBrush brush;
    QRectF extent;
    bool stamped = false;
    mutable QPixmap stamp;
};

// One ellipse: a direction angle like TeeTargetAngle gives the long axis (0
// down the hole, positive turning toward -x), the semi-axes are in yards.
struct PlanEllipse
{
    double probability = 0.0;
    double x = 0.0, y = 0.0;
    double semiMajor = 0.0, semiMinor = 0.0;
    double orientation = 0.0; // degrees
};

// The ellipse as a closed polygon in the scene.
QPainterPath dispersionEllipsePath(const SwingScene& scene, const PlanEllipse& e);

// Adds the points, landing rings over final dots, in the look of their
// number (a crowd smaller and lighter, so that its density shows). Returns
// the items added; points that are not finite are left out.
QList<QGraphicsItem*> addDispersionPoints(SwingScene& scene, const std::vector<Vector3>& landing,
                                          const std::vector<Vector3>& final);

// Adds each ellipse that can be drawn, as a halo and a line in colour.
// Returns the items added.
QList<QGraphicsItem*> addDispersionEllipses(SwingScene& scene,
                                            const std::vector<PlanEllipse>& ellipses,
                                            const QColor& colour);

// A sample of each mark, then its words: the landing points (when there
// are any), the final points and the two ellipses. The window's legend and
// Shotlab's picture both draw it.
struct DispersionKeyEntry
{
    QString text;
    QColor colour;
    bool dot, ring, dashed;
};
QList<DispersionKeyEntry> dispersionKey(bool landing);
// The sample of an entry, 22 pixels wide, its middle at (x + 11, y).
void paintDispersionSample(QPainter& painter, const DispersionKeyEntry& entry, double x, double y);

// The key in a corner of the view, one entry per line on a pale box, clear
// of the flag.
class DispersionLegendItem : public TextItem
{
public:
    explicit DispersionLegendItem(bool landing);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    const QList<DispersionKeyEntry>& entries() const { return key; }

private:
    QList<DispersionKeyEntry> key;
};
