#include "SwingScene.h"

#include "Animator.h"
#include "Palette.h"
#include "ViewNavigator.h"

#include <QEvent>
#include <QGraphicsView>
#include <QParallelAnimationGroup>
#include <QPen>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Same bits: a NaN in a hand-written file still equals itself, so a shot is
// never taken for a new one on every notification.
bool sameBits(const Vector3& a, const Vector3& b)
{
    return std::memcmp(&a, &b, sizeof(Vector3)) == 0;
}

// About a thousand corners for any shot, as a whole trajectory is drawn.
int strideFor(int n)
{
    return n > 1000 ? static_cast<int>(n / 1000.0 + 0.5) : 1;
}

bool finite(const QPointF& p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Fewest pixels across the ball: at a hole's framing it is a fraction of a
// yard wide and would be a dot of two or three pixels.
constexpr double minBallPixels = 6;
// The margin the fit leaves round what it frames, in scene units.
constexpr double fitMargin = 2;

// The position of a step in the shot, or -1. Tracks are thinned by position,
// so that a file whose steps leave gaps costs no more than one without.
int indexOf(const Trajectory& shot, int step)
{
    const auto at = std::lower_bound(
        shot.begin(), shot.end(), step,
        [](const Trajectory::value_type& entry, int s) { return entry.first < s; });
    return at != shot.end() && at->first == step ? static_cast<int>(at - shot.begin()) : -1;
}

const Vector3& pointAt(const Trajectory& shot, int index)
{
    return (shot.begin() + index)->second;
}

} // namespace

bool SwingScene::ShotKey::operator==(const ShotKey& o) const
{
    return putt == o.putt && size == o.size && firstStep == o.firstStep && lastStep == o.lastStep &&
           sameBits(first, o.first) && sameBits(last, o.last);
}

SwingScene::ShotKey SwingScene::keyOf(const Trajectory& shot, bool putt)
{
    ShotKey key;
    key.putt = putt;
    key.size = shot.size();
    if (!shot.empty()) {
        key.firstStep = shot.begin()->first;
        key.first = shot.begin()->second;
        key.lastStep = shot.back().first;
        key.last = shot.back().second;
    }
    return key;
}

SwingScene::SwingScene(QGraphicsView* view, bool plan) : QGraphicsScene(view)
{
    if (view) {
        view->setScene(this);
        view->setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        view->installEventFilter(this);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        new ViewNavigator(view, this);
    }

    // The factor 1.2 stretches the nominal sizes into scene units.
    const double teeHeight = plan ? 6 : 0.5;
    const double teeTop = plan ? -3 : 0.5;
    teeBox = addRect(QRectF(0, 0, 12, teeHeight * 1.2), Palette::hairline(Palette::DarkTurf),
                     QBrush(Palette::DarkTurf));
    teeBox->setPos(-9.6, teeTop * 1.2);

    // Axis legend: y downrange, x down the screen (plan) or z up (elevation).
    // Framed with their letters, so that a framing tight at the tee (a shot
    // far to the side) leaves none of them out.
    axes = new QGraphicsItemGroup;
    axes->setPos(-9.6, 0);
    auto* along = new ArrowItem(4, false, axes);
    auto* across = new ArrowItem(6, false, axes);
    across->setRotation(plan ? 90 : -90);
    along->framed = across->framed = true;
    addItem(axes);
    auto* yLabel = new TextItem(QStringLiteral("y"));
    yLabel->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    yLabel->setPos(-4.2, -1.56);
    addItem(yLabel);
    auto* acrossLabel = new TextItem(plan ? QStringLiteral("x") : QStringLiteral("z"));
    acrossLabel->setFlag(QGraphicsItem::ItemIgnoresTransformations);
    acrossLabel->setPos(-9.84, plan ? 6 * 1.2 : -8.2 * 1.2);
    addItem(acrossLabel);
    keptInside << yLabel << acrossLabel;

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

    track = new TrackItem;
    addItem(track);

    ball = new BallItem(plan);
    // Drawn larger when zoomed far out (ballScaleAt), about its centre: the
    // track still runs through it.
    ball->setTransformOriginPoint(ball->rect().center());
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
    QRectF r;
    if (greenZoom) {
        if (const QGraphicsItem* green = greenPart(GreenRole))
            r = green->sceneBoundingRect();
        // A ball off the green and the putt's whole path stay in view.
        r |= ball->mapRectToScene(ball->rect());
        return r | activeExtent;
    }
    const auto all = items();
    for (const QGraphicsItem* item : all) {
        const auto* contributor = dynamic_cast<const FitContributor*>(item);
        r |= item->sceneTransform().mapRect(contributor ? contributor->fitRect()
                                                        : item->boundingRect());
    }
    // After a shot, the whole of it and the ball where it ended.
    return r | activeExtent;
}

void SwingScene::fitToView(bool animate)
{
    QGraphicsView* v = view();
    if (!v)
        return;
    // A collapsed view has nothing to frame; its next resize refits it.
    const QSize port = v->viewport()->size();
    if (port.isEmpty())
        return;
    if (userFraming) {
        frameByUser(userZoom, userTopLeft); // the same framing, for this viewport
        return;
    }

    const QRectF framed = fitRect();
    const auto zoomFor = [&](double margin, QRectF& r) {
        r = framed.adjusted(-margin, -margin, margin, margin);
        adjustFitRect(r);
        const double zoom = std::min(port.width() / r.width(), port.height() / r.height());
        r.adjust(margin, margin, -margin, -margin);
        return zoom;
    };
    QRectF r;
    double zoom = zoomFor(fitMargin, r);
    // Zoomed out this far the ball is drawn larger than its size; the margin
    // grows with it, so that the ball is whole at the edge of what is framed.
    if (std::isfinite(zoom) && zoom > 0) {
        const double grown = ball->rect().height() * (ballScaleAt(zoom) - 1);
        if (grown > fitMargin)
            zoom = zoomFor(grown + fitMargin / 2, r);
    }
    // Nothing to frame that a view could show (a shot gone to infinity).
    if (!std::isfinite(zoom) || zoom <= 0 || !finite(r.topLeft()) || !finite(r.bottomRight()))
        return;
    ball->setScale(ballScaleAt(zoom));

    // A hole change is followed at once by a ball refit: it must not jump to
    // the end and leave the glide to start over from the old framing.
    if (glide && glide->state() == QAbstractAnimation::Running) {
        retargetGlide(glide, zoom, r);
    } else if (animate && v->isVisible()) {
        glide = glideTo(v, zoom, this, r);
    } else {
        setFraming(zoom, r);
    }
    // The labels are placed for where the view ends up; the view centres r.
    const QSizeF shownSize(port.width() / zoom, port.height() / zoom);
    placeLabels(zoom,
                QRectF(r.center() - QPointF(shownSize.width(), shownSize.height()) / 2, shownSize));
}

// Only what differs is set: every step of a replay refits, and an unchanged
// framing must not repaint the whole view.
void SwingScene::setFraming(double zoom, const QRectF& rect)
{
    QGraphicsView* v = view();
    const QTransform scale = QTransform::fromScale(zoom, zoom);
    if (v->transform() != scale)
        v->setTransform(scale);
    if (sceneRect() != rect)
        setSceneRect(rect);
}

void SwingScene::frameByUser(double zoom, const QPointF& topLeft)
{
    QGraphicsView* v = view();
    if (!v || !(zoom > 0) || !std::isfinite(zoom) || !finite(topLeft))
        return;
    if (glide)
        glide->stop();
    userFraming = true;
    userZoom = zoom;
    userTopLeft = topLeft;
    ball->setScale(ballScaleAt(zoom));
    // A scene rectangle the size of the viewport is shown exactly, wherever it lies.
    const QSize port = v->viewport()->size();
    const QRectF shown(topLeft, QSizeF(port.width() / zoom, port.height() / zoom));
    setFraming(zoom, shown);
    placeLabels(zoom, shown);
}

double SwingScene::ballScaleAt(double zoom) const
{
    const double across = ball->rect().width() * zoom;
    return across > 0 && across < minBallPixels ? minBallPixels / across : 1.0;
}

void SwingScene::refit()
{
    userFraming = false;
    fitToView(true);
}

void SwingScene::placeLabels(double zoom, const QRectF& visible)
{
    QList<TextItem*> labels = keptInside;
    QList<TextItem*> pinned;
    for (QGraphicsItem* item : std::as_const(traces))
        if (auto* label = dynamic_cast<TextItem*>(item))
            (label->pinned ? pinned : labels).append(label);

    // In pixels from the view's top left corner, two pixels from each edge.
    const QRectF inside = QRectF(QPointF(), visible.size() * zoom).adjusted(2, 2, -2, -2);
    placePinned(pinned, zoom, visible, inside.adjusted(2, 2, -2, -2));
    for (TextItem* label : std::as_const(labels)) {
        const QPointF at = (label->scenePos() - visible.topLeft()) * zoom;
        const QRectF box = label->textRect().translated(at + label->preferredShift);
        QPointF move;
        // A label whose point is out of view stays out of view with it.
        if (!inside.contains(at)) {
            label->setShift(label->preferredShift);
            continue;
        }
        if (box.right() > inside.right())
            move.rx() = inside.right() - box.right();
        if (box.left() + move.x() < inside.left())
            move.rx() = inside.left() - box.left();
        if (box.bottom() > inside.bottom())
            move.ry() = inside.bottom() - box.bottom();
        if (box.top() + move.y() < inside.top())
            move.ry() = inside.top() - box.top();
        label->setShift(label->preferredShift + move);
    }
}

void SwingScene::placePinned(const QList<TextItem*>& labels, double zoom, const QRectF& visible,
                             const QRectF& inside)
{
    if (labels.isEmpty())
        return;
    // What a corner label must not hide: the flag, the cup and the hole's
    // distance (the green itself may fill a putt's view).
    QList<QRectF> clear;
    for (const QGraphicsItem* part : greenGroup->childItems()) {
        if (part->data(0).toInt() == GreenRole || !part->isVisible())
            continue;
        QRectF r =
            part->flags() & QGraphicsItem::ItemIgnoresTransformations
                ? part->boundingRect().translated((part->scenePos() - visible.topLeft()) * zoom)
                : QRectF((part->sceneBoundingRect().topLeft() - visible.topLeft()) * zoom,
                         part->sceneBoundingRect().size() * zoom);
        clear.append(r.adjusted(-3, -3, 3, 3));
    }
    QPointF below = inside.topLeft(); // labels in one corner go one under another
    for (TextItem* label : labels) {
        label->fitWidth(inside.width());
        const QRectF text = label->textRect();
        const QPointF corners[] = {
            below,
            {inside.left(), inside.bottom() - text.height()},
            {inside.right() - text.width(), inside.top()},
            {inside.right() - text.width(), inside.bottom() - text.height()},
        };
        QPointF at = corners[0];
        for (const QPointF& corner : corners) {
            const QRectF box(corner, text.size());
            if (std::none_of(clear.begin(), clear.end(),
                             [&](const QRectF& r) { return r.intersects(box); })) {
                at = corner;
                break;
            }
        }
        // Anchored at the view's corner, moved in pixels.
        label->setPos(visible.topLeft());
        label->setShift(at - text.topLeft());
        if (at == below)
            below.ry() += text.height() + 4;
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

namespace {
// The hole's layout; wind and green tilt change without changing the hole.
bool sameHole(const HoleInfo& a, const HoleInfo& b)
{
    return a.HoleId == b.HoleId && sameBits(a.HolePos, b.HolePos) &&
           sameBits(a.GreenPos, b.GreenPos) &&
           std::memcmp(&a.GreenSize, &b.GreenSize, sizeof(double)) == 0 &&
           sameBits(a.TreePos, b.TreePos) && sameBits(a.TreeSize, b.TreeSize) &&
           a.TreeType == b.TreeType;
}
} // namespace

void SwingScene::followShot(const SwingModel& model, ChangeFlags received)
{
    bool reframe = received == AllChanged || (received & PuttModeChanged);
    if ((received & HoleChanged) && !sameHole(model.hole, shownHole)) {
        // Another hole discards the shot: its track would lie on the old one.
        shownHole = model.hole;
        discardTrack();
        reframe = true;
    }

    const ShotKey key = keyOf(model.currentShot(), model.PuttEnabled);
    if (!(key == activeKey)) {
        activeKey = key;
        activeExtent = QRectF();
        activeTop = 0;
        bool any = false;
        double left = 0, right = 0, top = 0, bottom = 0;
        for (const auto& [step, p] : model.currentShot()) {
            const QPointF q = toScene(p);
            if (!finite(q))
                continue;
            if (!any) {
                left = right = q.x();
                top = bottom = q.y();
                activeTop = depthOf(p);
                any = true;
            }
            left = std::min(left, q.x());
            right = std::max(right, q.x());
            top = std::min(top, q.y());
            bottom = std::max(bottom, q.y());
            activeTop = std::max(activeTop, depthOf(p));
        }
        // With the ball wherever it stands on the shot, so that the framing
        // does not move while it is replayed.
        const QRectF b = ball->rect();
        if (any)
            activeExtent = QRectF(QPointF(left, top), QPointF(right, bottom))
                               .adjusted(b.left(), b.top(), b.right(), b.bottom());
        if (key.size > 0)
            reframe = true; // a new shot is shown whole
    }

    // The track goes with the shot it shows once the model no longer has it.
    if (trackShowsShot &&
        !(keyOf(trackKey.putt ? model.puttShot : model.teeShot, trackKey.putt) == trackKey))
        discardTrack();
    if (reframe)
        userFraming = false;
}

void SwingScene::discardTrack()
{
    resetTrack();
    trackShowsShot = false;
    live.valid = false;
    // A replay still running keeps tracking, but only a step of a shot can
    // start its track again.
    if (track->trackState != 0)
        track->trackState = 1;
}

QPointF SwingScene::trackPoint(const Trajectory& shot, int index) const
{
    return toScene(pointAt(shot, index)) + QPointF(0, live.offset);
}

void SwingScene::moveBall(const SwingModel& model, double trackOffset)
{
    ball->setPos(toScene(model.BallPos));

    // Only a ball standing on a step of the shot extends a track: a typed
    // position or the tee after a hole change never adds a segment.
    const Trajectory& shot = model.currentShot();
    const int step = model.currentStep();
    const int index = step >= 0 ? indexOf(shot, step) : -1;
    if (index < 0 || !sameBits(pointAt(shot, index), model.BallPos)) {
        ballIndex = -1;
        return;
    }
    const ShotKey key = keyOf(shot, model.PuttEnabled);
    const int before = key == ballKey ? ballIndex : -1;
    ballKey = key;
    ballIndex = index;

    if (track->trackState == 0)
        return;
    if (track->trackState >= 1) {
        // From where the ball stood when the replay began.
        startLive(shot, key, before >= 0 && before <= index ? before : index, trackOffset);
        track->trackState = -1;
    }
    if (live.valid && live.key == key)
        extendLive(shot, index);
}

void SwingScene::startLive(const Trajectory& shot, const ShotKey& key, int from, double offset)
{
    live.key = key;
    live.stride = strideFor(key.size);
    live.start = live.last = from;
    live.offset = offset;
    live.valid = true;
    trackKey = key;
    trackShowsShot = true;
    // The whole shot is room enough for the track to grow without
    // repainting itself, and its z value is set once for the whole replay,
    // above the green wherever the ball goes.
    QRectF room;
    if (key == activeKey && !activeExtent.isNull()) {
        room = activeExtent; // it holds the ball's centre on every step
        keepTrackAbove(activeTop + 1.1);
    }
    keepTrackAbove(greenGroup->zValue() + 0.1);
    track->setCorners({trackPoint(shot, from)}, room);
}

// Corners lie at the positions start and index and, between them, at every
// multiple of the stride: about a thousand for any shot, wherever the
// replay or the slider takes the ball.
void SwingScene::extendLive(const Trajectory& shot, int index)
{
    if (index == live.last)
        return;
    const int stride = live.stride;
    if (index < live.last) {
        // Back: the track is built again from the trajectory, from its start
        // or, before it, from where the ball is now.
        live.start = std::min(live.start, index);
        QList<QPointF> corners{trackPoint(shot, live.start)};
        for (int i = (live.start / stride + 1) * stride; i < index; i += stride)
            corners.append(trackPoint(shot, i));
        if (index != live.start)
            corners.append(trackPoint(shot, index));
        track->setCorners(corners, track->boundingRect());
        live.last = index;
        return;
    }
    // Ahead: the last corner stays only if it lies on the thinning grid.
    if (live.last != live.start && live.last % stride != 0)
        track->removeLast();
    for (int i = (live.last / stride + 1) * stride; i < index; i += stride)
        track->append(trackPoint(shot, i));
    track->append(trackPoint(shot, index));
    live.last = index;
}

void SwingScene::drawTrajectory(const SwingModel& model, const QString& label)
{
    // Every stride-th point and the last, by position in the shot.
    const Trajectory& shot = model.currentShot();
    const int n = shot.size();
    const int stride = strideFor(n);
    QList<QPointF> corners;
    corners.reserve(n / stride + 2);
    double zmax = 0;
    for (int i = 0; i < n; i += stride) {
        const Vector3& p = pointAt(shot, i);
        corners.append(toScene(p));
        zmax = std::max(zmax, depthOf(p));
    }
    // The last point is never skipped by the stride; an empty shot leaves a
    // single corner at the origin.
    const QPointF last = n > 0 ? toScene(shot.back().second) : toScene(Vector3());
    if (corners.isEmpty() || corners.last() != last)
        corners.append(last);
    // Stacked by its highest point, but never hidden under the green.
    const double z = std::max(zmax, greenGroup->zValue() + 0.1);

    if (label.isEmpty()) {
        track->setCorners(corners);
        track->setZValue(z);
        trackKey = keyOf(model.currentShot(), model.PuttEnabled);
        trackShowsShot = true;
        live.valid = false;
    } else {
        auto* trace = new PathItem;
        trace->setPen(Palette::hairline(Qt::yellow));
        QPainterPath path(corners.first());
        for (qsizetype i = 1; i < corners.size(); ++i)
            path.lineTo(corners[i]);
        trace->setPath(path);
        trace->setZValue(z);
        addItem(trace);
        traces.append(trace);

        auto* text = new TextItem(label);
        text->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        text->setPos(last);
        addItem(text);
        traces.append(text);
    }
    // A trace or track of a model nobody was notified about is framed too.
    fitToView(false);
}

void SwingScene::clearTraces()
{
    qDeleteAll(traces);
    traces.clear();
    resetTrack();
    trackShowsShot = false;
    live.valid = false;
    fitToView(false);
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
    track->setCorners({QPointF(0, 0)});
    track->setZValue(0);
}

void SwingScene::startTracking()
{
    if (track->trackState == 0) {
        resetTrack();
        trackShowsShot = false;
        live.valid = false;
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
