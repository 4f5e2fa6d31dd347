#include "SideScene.h"

#include "Palette.h"

#include <QGraphicsView>
#include <QLinearGradient>
#include <cmath>

namespace {
constexpr double degree = 0.0174532925;
}

SideScene::SideScene(QGraphicsView* view) : SwingScene(view, false)
{
    ground = new GroundItem;
    addItem(ground);

    // The tee peg under the resting ball.
    for (const QLineF& line : {QLineF(0, 0, 0, 0.6), QLineF(-0.1, 0, 0.1, 0)}) {
        auto* peg = new QGraphicsLineItem(line);
        peg->setPen(Palette::hairline());
        addItem(peg);
    }

    auto* flagstick = new QGraphicsLineItem(0, 0, 0, -4.2, greenGroup);
    flagstick->setPen(Palette::hairline());
    flagstick->setData(0, FlagstickRole);
    auto* flag =
        new QGraphicsPolygonItem(QPolygonF({{0, -4.2}, {1.2, -3.6}, {0, -3.0}}), greenGroup);
    flag->setPen(Palette::hairline());
    flag->setBrush(Qt::red);
    distanceLabel = new TextItem(QString(), greenGroup);
    distanceLabel->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    distanceLabel->setPos(1.2, -4.8);

    tree->setImage(QStringLiteral("tree-birch.png"), 0.5, 1.0);

    for (int i = 0; i < DecorationItem::TableSize; ++i) {
        auto* decoration = new DecorationItem(i, false);
        decorations.append(decoration);
        addItem(decoration);
    }

    if (view) {
        view->viewport()->setStyleSheet(
            QStringLiteral("* { background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                           "stop:0.1 %1, stop:0.6 %2, stop:0.8 %2, stop:0.8001 %3); }")
                .arg(Palette::css(Palette::SkyBlue), Palette::css(Palette::SkyHaze),
                     Palette::css(Palette::GrassDark)));
    }
}

SideScene::~SideScene() = default;

void SideScene::adjustFitRect(QRectF& rect) const
{
    // Five units above the tee level always stay in view.
    if (rect.top() > -5)
        rect.setTop(-5);
    keepMinimumHeight(rect, 48.0 / 150);
}

void SideScene::modelChanged(SwingModel& model, ChangeFlags received)
{
    ChangeFlags flags = received;
    const HoleInfo& hole = model.hole;

    if (flags & HoleChanged) {
        if (hole.TreeType.empty()) {
            tree->hide();
        } else {
            const QString name =
                QStringLiteral("tree-%1.png").arg(QString::fromStdString(hole.TreeType)).toLower();
            tree->setImage(name, 0.5, 1.0);
            tree->setSize(hole.TreeSize.x, hole.TreeSize.z);
            tree->setPos(toScene(hole.TreePos));
            tree->setZValue(depthOf(hole.TreePos));
            tree->show();
        }
        placeAtHole(hole.HolePos);
        distanceLabel->setText(QString::number(greenGroup->pos().x(), 'g', 6));
        flags |= GreenChanged;
    }
    if (flags & BallChanged) {
        // The track runs through the ball's centre, 0.3 above where it rests.
        moveBall(toScene(model.BallPos), -0.3);
        // The ball stacks by its lateral position, so that the green can be
        // put in front of or behind it wherever it is.
        ball->setZValue(depthOf(model.BallPos));
        greenGroup->setZValue(depthOf(model.BallPos) + 0.5);
        keepTrackAbove(depthOf(model.BallPos));
    }
    if (flags & PuttModeChanged)
        greenZoom = model.PuttEnabled;
    if (flags & TeeShotChanged) {
        teeArrow->setScale(model.TeeBallSpeed * 10 / 200);
        teeArrow->setRotation(-model.TeeLaunchAngle);
    }
    if (flags & GreenChanged)
        tiltGreen(model);
    if (flags & (GreenChanged | HoleChanged)) {
        buildGround(model);
        placeDecorations(model);
    }
    refitAfter(received);
}

// Seen from the side the green is a flat ellipse: its apparent depth comes from
// the sideways tilt, and its sign decides whether the near (dark) or far side
// shows and whether the green is drawn in front of or behind the ball.
void SideScene::tiltGreen(const SwingModel& model)
{
    const QPointF tilt = tiltToScene(model.hole.GreenXRot, model.hole.GreenYRot);
    const double f = tilt.x(), s = tilt.y();
    const double size = model.hole.GreenSize;
    const double depth = std::sin(f * degree) * size;

    greenGroup->setZValue(depthOf(model.BallPos) + (depth < 0 ? 1 : -1));
    if (auto* green = qgraphicsitem_cast<QGraphicsEllipseItem*>(greenPart(GreenRole))) {
        green->setRect(-size / 2, -std::abs(depth) / 2, size, std::abs(depth));
        green->setRotation(s);
        green->setBrush(depth <= 0 ? Palette::DarkTurf : Palette::GreenTurf);
    }
    if (auto* stick = qgraphicsitem_cast<QGraphicsLineItem*>(greenPart(FlagstickRole))) {
        const double e = depth <= 0 ? -depth / 2 : 0;
        stick->setLine(0, -e, 0, -4.2);
    }
    if (auto* cup = qgraphicsitem_cast<QGraphicsEllipseItem*>(greenPart(CupRole))) {
        const double h = std::abs(std::sin(f * degree) * 0.8);
        cup->setRect(-0.4, -h / 2, 0.8, h);
        cup->setRotation(s);
    }
}

// From behind the tee, through the tree's base (raised 1.2) when there is one,
// to a tilted green one unit longer than the green at each end, and on.
void SideScene::buildGround(const SwingModel& model)
{
    if (ground->brush().style() == Qt::NoBrush) {
        QLinearGradient soil(0, 0, 0, 1);
        soil.setCoordinateMode(QGradient::ObjectBoundingMode);
        soil.setColorAt(0.2, Palette::GrassLight);
        soil.setColorAt(1.0, Palette::GrassDark);
        ground->setBrush(soil);
    }
    const HoleInfo& hole = model.hole;
    const QPointF h = toScene(hole.HolePos);
    const QPointF tilt = tiltToScene(hole.GreenXRot, hole.GreenYRot);
    const double f = tilt.x(), s = tilt.y();
    const double r = hole.GreenSize / 2 + 1;

    QPainterPath path;
    path.moveTo(-36, 36);
    path.lineTo(-36, 1.2);
    path.lineTo(2, 1.2);
    if (!hole.TreeType.empty()) {
        const QPointF t = toScene(hole.TreePos);
        path.cubicTo(2 + (t.x() - 2) / 4, 1.2, t.x() - (t.x() - 2) / 4, t.y() - 1.2, t.x(),
                     t.y() - 1.2);
    }
    const QPointF start = path.currentPosition();
    const QPointF near(h.x() - r * std::cos(s * degree),
                       h.y() - r * std::sin(s * degree) + 0.01 * std::sin(f * degree));
    const QPointF far(h.x() + r * std::cos(s * degree),
                      h.y() + r * std::sin(s * degree) + 0.01 * std::sin(f * degree));
    const double quarter = (near.x() - start.x()) / 4;
    path.cubicTo(start.x() + quarter, start.y(), near.x() - quarter, near.y(), near.x(), near.y());
    path.lineTo(far);
    path.lineTo(far.x() + 36, far.y());
    path.lineTo(far.x() + 36, 36);
    path.closeSubpath();
    ground->setPath(path);
    ground->setAnchor(h);
}
