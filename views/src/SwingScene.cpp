#include "SwingScene.h"

#include "Animator.h"
#include "Palette.h"

#include <QEvent>
#include <QGraphicsView>
#include <QParallelAnimationGroup>
#include <QPen>
#include <QTimerEvent>
#include <algorithm>

SwingScene::SwingScene(QGraphicsView* view, bool plan) : QGraphicsScene(view)
{
    if (view) {
        view->setScene(this);
        view->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        view->installEventFilter(this);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

    // The factor 1.2 stretches the nominal sizes into scene units.
    const double teeHeight = plan ? 6 : 0.5;
    const double teeTop = plan ? -3 : 0.5;
    teeBox = addRect(QRectF(0, 0, 12, teeHeight * 1.2), Palette::hairline(Palette::DarkTurf),
                     QBrush(Palette::DarkTurf));
    teeBox->setPos(-9.6, teeTop * 1.2);

    // Axis legend: y downrange, x down the screen (plan) or z up (elevation).
    auto* legend = new QGraphicsItemGroup;
    legend->setPos(-9.6, 0);
    new ArrowItem(4, false, legend);
    auto* across = new ArrowItem(6, false, legend);
    across->setRotation(plan ? 90 : -90);
    addItem(legend);
    auto* yLabel = new TextItem(QStringLiteral("y"));
    yLabel->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    yLabel->setPos(-4.2, -1.56);
    addItem(yLabel);
    auto* acrossLabel = new TextItem(plan ? QStringLiteral("x") : QStringLiteral("z"));
    acrossLabel->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    acrossLabel->setPos(-9.84, plan ? 6 * 1.2 : -8.2 * 1.2);
    addItem(acrossLabel);

    greenGroup = new QGraphicsItemGroup;
    auto* green = new QGraphicsEllipseItem(QRectF(-0.5, -0.5, 1, 1), greenGroup);
    green->setPen(Palette::hairline(Palette::DarkTurf));
    green->setBrush(Palette::GreenTurf);
    green->setData(0, GreenRole);
    auto* cup = new QGraphicsEllipseItem(QRectF(-0.4, -0.4, 0.8, 0.8), greenGroup);
    cup->setPen(Palette::hairline());
    cup->setBrush(Qt::white);
    cup->setData(0, CupRole);
    addItem(greenGroup);

    holeLine = new QGraphicsLineItem(-6, 0, 6, 0);
    holeLine->setPen(QPen(QBrush(Qt::gray), 0, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    holeLine->setZValue(1000);
    addItem(holeLine);

    teeArrow = new ArrowItem(2, true);
    addItem(teeArrow);

    tree = new PixmapItem;
    tree->hide();
    addItem(tree);

    track = new PathItem;
    addItem(track);

    ball = new BallItem(plan);
    addItem(ball);
}

SwingScene::~SwingScene() = default;

void SwingScene::adjustFitRect(QRectF&) const {}

QGraphicsView* SwingScene::view() const
{
    return qobject_cast<QGraphicsView*>(parent());
}

void SwingScene::keepMinimumHeight(QRectF& rect, double factor) const
{
    if (greenZoom)
        return;
    const int minimum = truncToInt(greenGroup->pos().x() * factor);
    if (minimum > rect.height())
        rect.setTop(rect.bottom() - minimum);
}

QRectF SwingScene::fitRect() const
{
    if (greenZoom) {
        if (const QGraphicsItem* green = greenPart(GreenRole))
            return green->sceneBoundingRect();
    }
    QRectF r;
    const auto all = items();
    for (const QGraphicsItem* item : all) {
        const auto* contributor = dynamic_cast<const FitContributor*>(item);
        r |= item->sceneTransform().mapRect(contributor ? contributor->fitRect()
                                                        : item->boundingRect());
    }
    return r;
}

void SwingScene::fitToView(bool animate)
{
    QGraphicsView* v = view();
    if (!v)
        return;
    QRectF r = fitRect();
    r.adjust(-2, -2, 2, 2);
    adjustFitRect(r);

    // A collapsed view has nothing to frame; its next resize refits it.
    const QSize port = v->viewport()->size();
    if (port.isEmpty())
        return;
    double zoom = port.width() / r.width();
    if (r.height() * zoom > port.height())
        zoom = port.height() / r.height();
    r.adjust(2, 2, -2, -2);

    // A hole change is followed at once by a ball refit: it must not jump to
    // the end and leave the glide to start over from the old framing.
    if (glide && glide->state() == QAbstractAnimation::Running) {
        retargetGlide(glide, zoom, r);
    } else if (animate && v->isVisible()) {
        glide = glideTo(v, zoom, this, r);
    } else {
        v->resetTransform();
        v->scale(zoom, zoom);
        setSceneRect(r);
    }
}

void SwingScene::refitAfter(ChangeFlags received)
{
    if (received == AllChanged && glide)
        glide->stop();
    fitToView((received & HoleChanged) && received != AllChanged);
}

bool SwingScene::eventFilter(QObject* watched, QEvent* event)
{
    // One refit per batch of resizes, once control is back in the event loop.
    if (event->type() == QEvent::Resize && watched->inherits("QGraphicsView")) {
        if (resizeTimer)
            killTimer(resizeTimer);
        resizeTimer = startTimer(0);
    }
    return QGraphicsScene::eventFilter(watched, event);
}

void SwingScene::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != resizeTimer) {
        QGraphicsScene::timerEvent(event);
        return;
    }
    killTimer(resizeTimer);
    resizeTimer = 0;
    fitToView(false);
}

void SwingScene::moveBall(const QPointF& p, double trackOffset)
{
    // The ball's own bounding rectangle repaints its old and new place.
    ball->setPos(p);

    if (track->trackState != 0) {
        const QPointF q(p.x(), p.y() + trackOffset);
        // Take the path out of the item first so that extending it does not
        // copy the whole track on every step of a long replay.
        QPainterPath path = track->path();
        track->setPath(QPainterPath());
        if (track->trackState >= 1) {
            path.moveTo(q);
            track->trackState = -1;
        } else {
            path.lineTo(q);
        }
        track->setPath(path);
    }
}

void SwingScene::drawTrajectory(const SwingModel& model, const QString& label)
{
    PathItem* target = track;
    if (!label.isEmpty()) {
        target = new PathItem;
        target->setPen(Palette::hairline(Qt::yellow));
        addItem(target);
        traces.append(target);
    }

    // About a thousand points at most, whatever the trajectory's length.
    const int n = model.currentStepCount();
    int stride = 1;
    if (n > 1000)
        stride = static_cast<int>(n / 1000.0 + 0.5);

    QPainterPath path;
    double zmax = 0;
    for (int i = 0; i < n; i += stride) {
        const Vector3 p = model.currentPoint(i);
        if (i == 0)
            path.moveTo(toScene(p));
        else
            path.lineTo(toScene(p));
        zmax = std::max(zmax, depthOf(p));
    }
    const QPointF last = toScene(model.currentPoint(n - 1));
    path.lineTo(last);
    target->setPath(path);
    // Stacked by its highest point, but never hidden under the green.
    target->setZValue(std::max(zmax, greenGroup->zValue() + 0.1));

    if (!label.isEmpty()) {
        auto* text = new TextItem(label);
        text->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        text->setPos(last);
        addItem(text);
        traces.append(text);
    }
}

void SwingScene::clearTraces()
{
    qDeleteAll(traces);
    traces.clear();
    resetTrack();
}

QGraphicsItem* SwingScene::greenPart(int role) const
{
    const auto parts = greenGroup->childItems();
    for (QGraphicsItem* part : parts) {
        if (part->data(0).toInt() == role)
            return part;
    }
    return nullptr;
}

void SwingScene::resetTrack()
{
    QPainterPath origin;
    origin.moveTo(0, 0);
    track->setPath(origin);
    track->setZValue(0);
}

void SwingScene::startTracking()
{
    if (track->trackState == 0) {
        resetTrack();
        track->trackState = 1;
    }
}

void SwingScene::stopTracking()
{
    track->trackState = 0;
}

void SwingScene::placeAtHole(const Vector3& holePos)
{
    const QPointF h = toScene(holePos);
    greenGroup->setPos(h);
    holeLine->setPos(h.x(), 0); // on the tee's line and level, at the hole's distance
    track->setAnchor(h);
}

void SwingScene::keepTrackAbove(double z)
{
    if (track->zValue() < z)
        track->setZValue(z);
}

void SwingScene::placeDecorations(const SwingModel& model)
{
    for (DecorationItem* decoration : std::as_const(decorations))
        decoration->placeForHole(model, *this);
}
