#pragma once
// Views of the hole. Architecture note:
//
// SwingScene is the common base of the plan view (TopScene) and the elevation
// view (SideScene). Each scene listens to the shot model and follows only what
// the model tells it; it never computes physics. A world point (x across, y
// downrange, z up, one scene unit per yard) becomes a scene point through the
// four virtual mappings each view implements. The base owns what both views
// share: tee box, axis legend, green group, hole line, tee-shot arrow, ball,
// track and tree, the fit of the hole into the view (with a one-shot refit
// after a resize), the user's own zoom and pan, the live track during a
// replay, whole trajectories and kept comparison traces.
//
// The scene notices on its own, from the model it is notified with, when the
// shot changes: a new shot widens the framing to the whole shot and ends the
// user's zoom; a shot that is gone (another hole, another file, a reset)
// takes its track with it.

#include "DecorationItem.h"
#include "Items.h"
#include "SwingModel.h"

#include <QGraphicsScene>
#include <QList>
#include <QPointer>

class QGraphicsView;
class QParallelAnimationGroup;

class SwingScene : public QGraphicsScene, public SwingModelListener
{
    Q_OBJECT

public:
    // Roles of the green group's children, stored under data key 0.
    enum GreenPartRole { GreenRole = 1, CupRole = 2, FlagstickRole = 3 };

    ~SwingScene() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

    // World point to scene point.
    virtual QPointF toScene(double x, double y, double z) const = 0;
    QPointF toScene(const Vector3& p) const { return toScene(p.x, p.y, p.z); }
    // The z value an item at that world point gets; larger is nearer the viewer.
    virtual double depthOf(double x, double y, double z) const = 0;
    double depthOf(const Vector3& p) const { return depthOf(p.x, p.y, p.z); }
    // The green's tilt angles (GreenXRot, GreenYRot, degrees) as this view needs them.
    virtual QPointF tiltToScene(double a, double b) const = 0;
    // May enlarge the rectangle the fit frames.
    virtual void adjustFitRect(QRectF& rect) const;

    // What the automatic fit frames, before its margins: what the items
    // contribute (FitContributor) and the whole active shot; while putting,
    // the green, the ball and the putt.
    QRectF fitRect() const;
    // Frames the hole (or, while putting, the green) in the view; animate
    // glides there when the view is visible. While a glide runs, a refit
    // redirects it rather than jumping under it. A framing the user chose
    // stays until refit() or a new hole, shot or mode.
    void fitToView(bool animate);
    // Drops the user's framing and glides back to the automatic one.
    void refit();
    // The user's framing: zoom in pixels per unit, the scene point at the
    // view's top left corner.
    void frameByUser(double zoom, const QPointF& topLeft);
    bool framedByUser() const { return userFraming; }
    // Draws the model's active trajectory: into the track with an empty label,
    // otherwise as a new kept trace labelled at its end.
    void drawTrajectory(const SwingModel& model, const QString& label);
    // Deletes the kept traces and empties the track.
    void clearTraces();
    // The green group's first child with that role, or null.
    QGraphicsItem* greenPart(int role) const;
    void resetTrack();

    // The scene's items, owned by the scene.
    QGraphicsRectItem* teeBox = nullptr;
    ArrowItem* teeArrow = nullptr;
    QGraphicsItemGroup* axes = nullptr; // the two arrows at the tee; their letters apart
    QGraphicsItemGroup* greenGroup = nullptr;
    QGraphicsLineItem* holeLine = nullptr;
    BallItem* ball = nullptr;
    TrackItem* track = nullptr;
    PixmapItem* tree = nullptr;
    QList<DecorationItem*> decorations;
    QList<QGraphicsItem*> traces;
    // While true the fit frames only the green (putt mode).
    bool greenZoom = false;

public slots:
    void startTracking();
    void stopTracking();

protected:
    SwingScene(QGraphicsView* view, bool plan);

    void timerEvent(QTimerEvent* event) override;
    // The first thing every notification does: notices another hole, a new
    // or vanished shot, a reset or a change of mode.
    void followShot(const SwingModel& model, ChangeFlags received);
    // Moves the ball to the model's ball position and, while tracking and
    // only when the ball stands on a step of the shot being replayed,
    // extends the track through the ball shifted by trackOffset in scene y.
    void moveBall(const SwingModel& model, double trackOffset);
    // Puts the green group, the hole line and the track's anchor at the hole.
    void placeAtHole(const Vector3& holePos);
    // Raises the track's z value to at least z.
    void keepTrackAbove(double z);
    // Places every decoration for the model's hole.
    void placeDecorations(const SwingModel& model);
    // The minimum height rule of both views: a long hole keeps at least
    // distance * factor of height, growing upwards.
    void keepMinimumHeight(QRectF& rect, double factor) const;
    // The refit that ends every notification: a new hole glides, a full reset
    // jumps (ending any glide), anything else refits at once.
    void refitAfter(ChangeFlags received);
    // Labels kept whole inside the view, besides the traces' names.
    QList<TextItem*> keptInside;

private:
    // Tells one trajectory from another without walking it.
    struct ShotKey
    {
        bool putt = false;
        int size = 0;
        int firstStep = 0, lastStep = 0;
        Vector3 first, last;
        bool operator==(const ShotKey& o) const;
    };
    static ShotKey keyOf(const Trajectory& shot, bool putt);
    // The live track of a replay: positions start to last in the shot `key`,
    // a corner every `stride` positions and at the ball.
    struct LiveTrack
    {
        ShotKey key;
        int stride = 1;
        int start = 0, last = 0;
        double offset = 0;
        bool valid = false;
    };

    QGraphicsView* view() const;
    void setFraming(double zoom, const QRectF& rect);
    // The ball's scale at a zoom: 1, or larger where it would be smaller
    // than a few pixels.
    double ballScaleAt(double zoom) const;
    void placeLabels(double zoom, const QRectF& visible);
    // The pinned labels into the corners of inside (pixels from the view's
    // top left corner).
    void placePinned(const QList<TextItem*>& labels, double zoom, const QRectF& visible,
                     const QRectF& inside);
    void discardTrack();
    QPointF trackPoint(const Trajectory& shot, int index) const;
    void startLive(const Trajectory& shot, const ShotKey& key, int from, double offset);
    void extendLive(const Trajectory& shot, int index);

    int resizeTimer = 0;
    QPointer<QParallelAnimationGroup> glide; // while one runs

    HoleInfo shownHole;   // the hole the scene was last told about
    ShotKey activeKey;    // the model's active shot, as last seen
    QRectF activeExtent;  // its points, with the ball on each (null: none)
    double activeTop = 0; // the largest depth among its points
    ShotKey trackKey;     // the shot the track shows, whole or live
    bool trackShowsShot = false;
    LiveTrack live;
    ShotKey ballKey; // the shot and position the ball last stood on
    int ballIndex = -1;
    bool userFraming = false;
    double userZoom = 1;
    QPointF userTopLeft;
};
