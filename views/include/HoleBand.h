#pragma once
// The band of holing lines in the plan view, after a read of the green: the
// paths of the putts at the two edges of the window of holing aims, a light
// fill between them, and the recommended line. Translucent, so that the
// green's shading and the cup show through. It never widens the framing.
//
// A QGraphicsObject, so that whoever shows it can hold it by QPointer while
// the scene owns it.

#include "Items.h"

#include <QGraphicsObject>
#include <QList>
#include <QPainterPath>
#include <QPointF>

class HoleBandItem : public QGraphicsObject, public FitContributor
{
    Q_OBJECT

public:
    explicit HoleBandItem(QGraphicsItem* parent = nullptr);
    ~HoleBandItem() override;

    // Scene points of the paths; each runs from the ball to the cup.
    void setLines(const QList<QPointF>& lowEdge, const QList<QPointF>& highEdge,
                  const QList<QPointF>& chosen);

    const QPainterPath& lowEdge() const { return low; }
    const QPainterPath& highEdge() const { return high; }
    const QPainterPath& chosenLine() const { return middle; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QRectF fitRect() const override { return {}; }

private:
    QPainterPath low, high, middle;
    QPainterPath area; // between the edges
    QRectF extent;
};
