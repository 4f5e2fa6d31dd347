#include "TopScene.h"

#include "Palette.h"

#include <QGraphicsView>
#include <QLinearGradient>
#include <algorithm>
#include <cmath>

TopScene::TopScene(QGraphicsView* view) : SwingScene(view, true)
{
    fairway = new GroundItem;
    addItem(fairway);

    auto* teeMarker = new QGraphicsEllipseItem(-0.15, -0.15, 0.3, 0.3);
    teeMarker->setPen(Palette::hairline());
    addItem(teeMarker);

    windArrow = new ArrowItem(2, true);
    windArrow->setPos(24, 6);
    windArrow->setZValue(1000);
    windArrow->framed = true; // a strong wind's long arrow, any way it blows
    addItem(windArrow);
    windLabel = new TextItem(QStringLiteral("Wind"));
    windLabel->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    windLabel->setPos(24, 6);
    addItem(windLabel);
    keptInside.append(windLabel);
    placeWindLabel();

    puttArrow = new ArrowItem(2, true);
    puttArrow->setZValue(1000);
    puttArrow->hide();
    addItem(puttArrow);

    tree->setImage(QStringLiteral("tree-top.png"), 0.5, 0.5);

    for (int i = 0; i < DecorationItem::TableSize; ++i) {
        auto* decoration = new DecorationItem(i, true);
        decorations.append(decoration);
        addItem(decoration);
    }

    if (view) {
        view->viewport()->setStyleSheet(
            QStringLiteral("* { background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                           "stop:0 %1, stop:0.3 %2); }")
                .arg(Palette::css(Palette::GrassDark), Palette::css(Palette::GrassLight)));
    }
}

TopScene::~TopScene() = default;

void TopScene::adjustFitRect(QRectF& rect) const
{
    keepMinimumHeight(rect, 36.0 / 150);
}

void TopScene::modelChanged(SwingModel& model, ChangeFlags received)
{
    followShot(model, received);
    ChangeFlags flags = received;
    const HoleInfo& hole = model.hole;

    if (flags & HoleChanged) {
        if (hole.TreeType.empty()) {
            tree->hide();
        } else {
            tree->setSize(hole.TreeSize.x, hole.TreeSize.y);
            tree->setPos(toScene(hole.TreePos));
            tree->setZValue(depthOf(hole.TreePos) + hole.TreeSize.z + 1);
            tree->show();
        }
        placeAtHole(hole.HolePos);
        greenGroup->setZValue(depthOf(hole.HolePos) + 0.8);
        flags |= GreenChanged;
    }
    if (flags & BallChanged) {
        const QPointF b = toScene(model.BallPos);
        puttArrow->setPos(b);
        moveBall(model, 0);
        const double greenZ = std::max(depthOf(model.BallPos), depthOf(hole.HolePos)) + 1;
        stackGreen(greenZ);
        keepTrackAbove(std::max(depthOf(model.BallPos), greenZ + 0.1));
    }
    if (flags & PuttModeChanged) {
        greenZoom = model.PuttEnabled;
        puttArrow->setVisible(model.PuttEnabled);
    }
    if (flags & WindChanged) {
        windArrow->setScale(hole.WindSpeed * 10 / 15);
        windArrow->setRotation(-hole.WindDir);
        placeWindLabel();
    }
    if (flags & TeeShotChanged) {
        teeArrow->setScale(model.TeeBallSpeed * 10 / 200);
        teeArrow->setRotation(-model.TeeTargetAngle);
    }
    if (flags & (BallChanged | PuttShotChanged)) {
        puttArrow->setScale(model.PuttBallSpeed * 10 / 50);
        puttArrow->setRotation(-model.puttAimAngle());
    }
    if (flags & GreenChanged)
        shadeGreen(model);
    if (flags & (GreenChanged | HoleChanged)) {
        buildFairway(model);
        placeDecorations(model);
    }
    refitAfter(received);
}

// "Wind" stands behind the arrow's tail, on the side the wind comes from,
// so that no speed or direction lets the arrow cover it.
void TopScene::placeWindLabel()
{
    const double angle = windArrow->rotation() * 3.14159265358979 / 180; // clockwise on screen
    const QPointF along(std::cos(angle), std::sin(angle));
    const QRectF text = windLabel->textRect();
    const double reach =
        (text.width() * std::abs(along.x()) + text.height() * std::abs(along.y())) / 2;
    windLabel->preferredShift = -along * (4 + reach) - text.center();
}

// The green at z with what moves on it just above: the putt arrow, then the
// ball. When the three only slide together past nothing else, the order of
// the picture stays as it is and they keep their values: each step of a
// replay moves the ball, and the green must not be repainted for it (while
// putting it fills the view).
void TopScene::stackGreen(double z)
{
    const double from = greenGroup->zValue();
    const bool together = puttArrow->zValue() == from + 0.1 && ball->zValue() == from + 0.2;
    if (together && z != from) {
        const double low = std::min(from, z), high = std::max(from, z) + 0.2;
        const auto all = items();
        bool passes = false;
        for (const QGraphicsItem* item : all) {
            if (!item->parentItem() && item != greenGroup && item != puttArrow && item != ball &&
                item->zValue() >= low && item->zValue() <= high)
                passes = true;
        }
        if (!passes)
            return;
    }
    greenGroup->setZValue(z);
    puttArrow->setZValue(z + 0.1);
    ball->setZValue(z + 0.2);
}

// The green darkens towards its low side, the more the steeper it is.
void TopScene::shadeGreen(const SwingModel& model)
{
    auto* green = qgraphicsitem_cast<QGraphicsEllipseItem*>(greenPart(GreenRole));
    if (!green)
        return;
    const double size = model.hole.GreenSize;
    green->setRect(-size / 2, -size / 2, size, size);

    const Vector3 slope = model.greenSlope();
    if (!slope.isNonZero()) {
        green->setBrush(Palette::GreenTurf);
        return;
    }
    const double m = slope.length();
    const QPointF u = toScene(slope.normalized());
    // Beyond a tilt of ten degrees the blend would leave the colour range.
    auto blend = [m](int flat, int steep) {
        return std::clamp(static_cast<int>(flat + (steep - flat) * m), 0, 255);
    };
    const QColor &flat = Palette::GreenTurf, &steep = Palette::DarkTurf;
    QLinearGradient shade(QPointF((u.x() + 1) / 2, (u.y() + 1) / 2),
                          QPointF((1 - u.x()) / 2, (1 - u.y()) / 2));
    shade.setCoordinateMode(QGradient::ObjectBoundingMode);
    shade.setColorAt(0, QColor(blend(flat.red(), steep.red()), blend(flat.green(), steep.green()),
                               blend(flat.blue(), steep.blue())));
    shade.setColorAt(1, flat);
    green->setBrush(shade);
}

// A 12-unit band from the tee, through the tree when there is one, to the
// green, ending in an apron six units wider than the green all round.
void TopScene::buildFairway(const SwingModel& model)
{
    if (fairway->brush().style() == Qt::NoBrush)
        fairway->setBrush(Palette::FairwayTurf);
    const HoleInfo& hole = model.hole;
    const QPointF h = toScene(hole.HolePos);
    const double s = hole.GreenSize;

    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.moveTo(0, 6);
    path.arcTo(QRectF(-6, -6, 12, 12), -90, -180);
    QPointF c(0, -6);
    const bool hasTree = !hole.TreeType.empty();
    const QPointF t = hasTree ? toScene(hole.TreePos) : QPointF();
    if (hasTree) {
        path.cubicTo(0.25 * t.x(), -6, 0.75 * t.x(), t.y() - 6, t.x(), t.y() - 6);
        c = path.currentPosition();
    }
    const QPointF e(h.x() - s / 2, h.y() - 6);
    const double quarter = (e.x() - c.x()) / 4;
    path.cubicTo(c.x() + quarter, c.y(), e.x() - quarter, e.y(), e.x(), e.y());
    path.lineTo(h.x() - s / 2, h.y() + 6);
    path.cubicTo(e.x() - quarter, h.y() + 6, c.x() + quarter, c.y() + 12, c.x(), c.y() + 12);
    if (hasTree)
        path.cubicTo(0.75 * t.x(), t.y() + 6, 0.25 * t.x(), 6, 0, 6);
    path.addEllipse(QRectF(h.x() - 6 - s / 2, h.y() - 6 - s / 2, s + 12, s + 12));
    fairway->setPath(path);
    fairway->setAnchor(h);
}
