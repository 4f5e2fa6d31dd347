#include "SideScene.h"

#include "Palette.h"

#include <QGraphicsView>
#include <QLinearGradient>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr double degree = 0.0174532925;
// Far enough for any shot the views frame, near enough for the painter.
constexpr double farAway = 20000;
} // namespace

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
    keptInside.append(distanceLabel);

    tree->setImage(QStringLiteral("tree-birch.png"), 0.5, 1.0);

    for (int i = 0; i < DecorationItem::TableSize; ++i) {
        auto* decoration = new DecorationItem(i, false);
        decorations.append(decoration);
        addItem(decoration);
    }

    // Sky only: the terrain reaches beneath every framing, and a band of
    // ground at a fixed height of the view would hang in the air when a
    // high shot is framed.
    if (view) {
        view->viewport()->setStyleSheet(
            QStringLiteral("* { background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                           "stop:0.1 %1, stop:0.6 %2); }")
                .arg(Palette::css(Palette::SkyBlue), Palette::css(Palette::SkyHaze)));
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
    followShot(model, received);
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
        moveBall(model, -0.3);
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
    if (flags & (BallChanged | GreenChanged)) {
        // Whichever way the green is stacked against the ball's depth, the
        // ball and its track are drawn over it, as in the plan view.
        const double greenZ = greenGroup->zValue();
        ball->setZValue(std::max(depthOf(model.BallPos), greenZ + 0.2));
        keepTrackAbove(greenZ + 0.1);
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

// The terrain is the simulator's ground along the line through the green,
// so that a shot comes down and rolls on what is drawn. That ground is
// straight between a few distances (the tee line, the tree, the green's
// edges) and level beyond them; each straight piece is drawn through two
// heights taken inside it, which also shows a step where the ground has
// one. Behind the tee and under it the tee area is drawn as always, level
// 1.2 below the tee. The ground reaches far beyond the hole on both sides
// and below, so that a shot framed far away still flies over ground; its
// shading is that of the terrain between its highest point and 36 below
// the tee, as it always was, and continues dark beneath.
void SideScene::buildGround(const SwingModel& model)
{
    const HoleInfo& hole = model.hole;
    const double across = hole.HolePos.x;
    const auto height = [&](double y) { return toScene(across, y, model.groundHeight(across, y)); };

    constexpr double teeEnd = 2;
    const double r = hole.GreenSize * 0.5 + 1.0;
    const double c = std::cos(hole.GreenXRot * degree);
    std::vector<double> breaks{teeEnd, hole.HolePos.y - r * c, hole.HolePos.y + r * c};
    if (!hole.TreeType.empty())
        breaks.push_back(hole.TreePos.y);
    breaks.erase(std::remove_if(breaks.begin(), breaks.end(),
                                [](double y) { return !std::isfinite(y) || y < teeEnd; }),
                 breaks.end());
    std::sort(breaks.begin(), breaks.end());
    breaks.erase(std::unique(breaks.begin(), breaks.end()), breaks.end());

    QPainterPath path;
    path.moveTo(-farAway, farAway);
    path.lineTo(-farAway, 1.2);
    path.lineTo(teeEnd, 1.2);
    for (size_t i = 0; i + 1 < breaks.size(); ++i) {
        const double a = breaks[i], b = breaks[i + 1];
        const QPointF q1 = height(a + (b - a) / 4), q3 = height(a + 3 * (b - a) / 4);
        const QPointF step = (q3 - q1) / 2; // half the piece
        path.lineTo(q1 - step);
        path.lineTo(q3 + step);
    }
    const double end = breaks.back();
    const QPointF beyond = height(end + 1); // level from here on
    path.lineTo(end, beyond.y());
    path.lineTo(end + farAway, beyond.y());
    path.lineTo(end + farAway, farAway);
    path.closeSubpath();

    QRectF terrain = path.boundingRect();
    terrain.setBottom(36);
    QLinearGradient soil(terrain.topLeft(), terrain.bottomLeft());
    soil.setColorAt(0.2, Palette::GrassLight);
    soil.setColorAt(1.0, Palette::GrassDark);
    ground->setBrush(soil);
    ground->setPath(path);
    ground->setAnchor(toScene(hole.HolePos));
}
