#include "DispersionItems.h"

#include "SwingScene.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

QList<QPointF> scenePoints(const SwingScene& scene, const std::vector<Vector3>& points)
{
    QList<QPointF> list;
    list.reserve(qsizetype(points.size()));
    for (const Vector3& p : points) {
        const QPointF q = scene.toScene(p);
        if (std::isfinite(q.x()) && std::isfinite(q.y()))
            list.append(q);
    }
    return list;
}

// Room before each line of the legend for its sample.
const char* const kSampleRoom = "\u2003\u2003 ";

} // namespace

// ---- DispersionDotsItem

DispersionDotsItem::DispersionDotsItem(QList<QPointF> points, double radius, const QPen& pen,
                                       const QBrush& brush)
    : dots(std::move(points)), radius(radius), pen(pen), brush(brush)
{
    // Only the dots in the part repainted are drawn: a replay repaints
    // little of the view at a time.
    setFlag(ItemUsesExtendedStyleOption);
    // A rectangle of no size is null, and | passes over it: the corners by hand.
    if (dots.isEmpty())
        return;
    QPointF low = dots.front(), high = dots.front();
    for (const QPointF& p : std::as_const(dots)) {
        low = QPointF(std::min(low.x(), p.x()), std::min(low.y(), p.y()));
        high = QPointF(std::max(high.x(), p.x()), std::max(high.y(), p.y()));
    }
    extent = QRectF(low, high);
}

QRectF DispersionDotsItem::boundingRect() const
{
    return dots.isEmpty() ? QRectF() : extent.adjusted(-0.5, -0.5, 0.5, 0.5);
}

void DispersionDotsItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    const QTransform toDevice = painter->transform();
    // The exposed part in item units, widened by a dot and its pen.
    QRectF exposed = option ? option->exposedRect : boundingRect();
    const double scale = std::sqrt(std::abs(toDevice.determinant()));
    const double margin = scale > 0 ? (radius + pen.widthF() + 1) / scale : 0.0;
    exposed.adjust(-margin, -margin, margin, margin);
    painter->save();
    painter->resetTransform();
    if (stamped) {
        const QPixmap picture = stampFor(*painter);
        const double half = picture.width() / picture.devicePixelRatio() / 2.0;
        for (const QPointF& p : std::as_const(dots)) {
            if (!exposed.contains(p))
                continue;
            const QPointF at = toDevice.map(p);
            painter->drawPixmap(QPointF(std::round(at.x() - half), std::round(at.y() - half)),
                                picture);
        }
    } else {
        painter->setPen(pen);
        painter->setBrush(brush);
        for (const QPointF& p : std::as_const(dots))
            if (exposed.contains(p))
                painter->drawEllipse(toDevice.map(p), radius, radius);
    }
    painter->restore();
}

QPixmap DispersionDotsItem::stampFor(const QPainter& painter) const
{
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (!stamp.isNull() && stamp.devicePixelRatio() == ratio)
        return stamp;
    const int side = int(std::ceil(2 * (radius + pen.widthF()) + 2));
    QPixmap picture(QSize(side, side) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(pen);
    p.setBrush(brush);
    p.drawEllipse(QPointF(side / 2.0, side / 2.0), radius, radius);
    p.end();
    stamp = picture;
    return stamp;
}

// ---- ellipses

QPainterPath dispersionEllipsePath(const SwingScene& scene, const PlanEllipse& e)
{
    // The long axis points along (-sin a, cos a), a the orientation.
    const double a = e.orientation * kPi / 180.0;
    const double ux = -std::sin(a), uy = std::cos(a); // long axis
    const double vx = uy, vy = -ux;                   // short axis
    QPainterPath path;
    constexpr int kCorners = 180;
    for (int i = 0; i <= kCorners; ++i) {
        const double t = 2.0 * kPi * i / kCorners;
        const double s = e.semiMajor * std::cos(t), r = e.semiMinor * std::sin(t);
        const QPointF q = scene.toScene(e.x + s * ux + r * vx, e.y + s * uy + r * vy, 0.0);
        if (i == 0)
            path.moveTo(q);
        else
            path.lineTo(q);
    }
    return path;
}

QList<QGraphicsItem*> addDispersionPoints(SwingScene& scene, const std::vector<Vector3>& landing,
                                          const std::vector<Vector3>& final)
{
    // A crowd of points is drawn smaller and lighter, so that its density
    // shows; the rings of the landing points lie over the final dots.
    const bool crowd = final.size() > 2000;
    const double radius = crowd ? 2.0 : 3.0;
    const int alpha = final.size() > 300 ? 150 : 255;
    auto translucent = [alpha](QColor c) {
        c.setAlpha(alpha);
        return c;
    };
    QColor ringColour = translucent(dispersionlook::Landing);
    if (crowd)
        ringColour.setAlpha(90);
    QPen ring(ringColour, crowd ? 1.2 : 1.6);
    ring.setCosmetic(true);
    QPen rim = crowd ? QPen(Qt::NoPen) : QPen(translucent(Qt::white), 0.8);
    rim.setCosmetic(true);
    auto* rings = new DispersionDotsItem(scenePoints(scene, landing), radius, ring, Qt::NoBrush);
    auto* dots = new DispersionDotsItem(scenePoints(scene, final), radius, rim,
                                        translucent(dispersionlook::Final));
    dots->setZValue(dispersionlook::kZ);
    rings->setZValue(dispersionlook::kZ + 1);
    scene.addItem(rings);
    scene.addItem(dots);
    return {rings, dots};
}

QList<QGraphicsItem*> addDispersionEllipses(SwingScene& scene,
                                            const std::vector<PlanEllipse>& ellipses,
                                            const QColor& colour)
{
    QList<QGraphicsItem*> items;
    for (const PlanEllipse& e : ellipses) {
        if (!std::isfinite(e.semiMajor) || !std::isfinite(e.x) || !std::isfinite(e.y))
            continue;
        const QPainterPath path = dispersionEllipsePath(scene, e);
        QPen halo(QColor(255, 255, 255, 200), 5.0);
        halo.setCosmetic(true);
        QPen pen(colour, 2.5, e.probability < 0.9 ? Qt::SolidLine : Qt::DashLine);
        pen.setCosmetic(true);
        for (const QPen& p : {halo, pen}) {
            auto* item = new PathItem;
            item->setPath(path);
            item->setPen(p);
            item->setZValue(dispersionlook::kZ + (items.size() % 2 == 0 ? 2 : 3));
            scene.addItem(item);
            items.append(item);
        }
    }
    return items;
}

// ---- the key

QList<DispersionKeyEntry> dispersionKey(bool landing)
{
    QList<DispersionKeyEntry> entries;
    if (landing)
        entries.append(
            {QStringLiteral("landing points"), dispersionlook::Landing, false, true, false});
    entries.append({QStringLiteral("final points"), dispersionlook::Final, true, false, false});
    entries.append({QStringLiteral("68 % ellipse"), Qt::darkGray, false, false, false});
    entries.append({QStringLiteral("95 % ellipse"), Qt::darkGray, false, false, true});
    return entries;
}

void paintDispersionSample(QPainter& painter, const DispersionKeyEntry& e, double x, double y)
{
    if (e.dot || e.ring) {
        painter.setPen(QPen(e.dot ? Qt::white : e.colour, e.dot ? 0.8 : 1.8));
        painter.setBrush(e.dot ? QBrush(e.colour) : Qt::NoBrush);
        painter.drawEllipse(QPointF(x + 11, y), 3.0, 3.0);
    } else {
        painter.setPen(QPen(e.colour, 2.0, e.dashed ? Qt::DashLine : Qt::SolidLine));
        painter.drawLine(QPointF(x, y), QPointF(x + 22, y));
    }
}

DispersionLegendItem::DispersionLegendItem(bool landing)
    : TextItem(QString()), key(dispersionKey(landing))
{
    QStringList lines;
    for (const DispersionKeyEntry& e : std::as_const(key))
        lines << QString::fromUtf8(kSampleRoom) + e.text;
    setText(lines.join(QLatin1Char('\n')));
    pinned = true;
    setFlag(ItemIgnoresTransformations);
    setZValue(dispersionlook::kZ + 4);
}

QRectF DispersionLegendItem::boundingRect() const
{
    return TextItem::boundingRect().adjusted(-3, -1, 3, 1);
}

void DispersionLegendItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                                 QWidget* widget)
{
    const QRectF text = textRect().translated(shift());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 210));
    painter->drawRoundedRect(text.adjusted(-3, -1, 3, 1), 3, 3);
    const double line = QFontMetricsF(font()).lineSpacing();
    for (qsizetype i = 0; i < key.size(); ++i)
        paintDispersionSample(*painter, key[i], text.left() + 1, text.top() + (i + 0.5) * line);
    painter->restore();
    TextItem::paint(painter, option, widget);
}
