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
// after a resize), the live track during a replay, whole trajectories and
// kept comparison traces.

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
    // contribute (FitContributor); while putting, the green.
    QRectF fitRect() const;
    // Frames the hole (or, while putting, the green) in the view; animate
    // glides there when the view is visible. While a glide runs, a refit
    // redirects it rather than jumping under it.
    void fitToView(bool animate);
    // Moves the ball and, while tracking, extends the track through the ball
    // shifted by trackOffset in scene y.
    void moveBall(const QPointF& p, double trackOffset);
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
    QGraphicsItemGroup* greenGroup = nullptr;
    QGraphicsLineItem* holeLine = nullptr;
    BallItem* ball = nullptr;
    PathItem* track = nullptr;
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

private:
    QGraphicsView* view() const;

    int resizeTimer = 0;
    QPointer<QParallelAnimationGroup> glide; // while one runs
};
