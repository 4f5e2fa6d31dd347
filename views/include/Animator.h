#pragma once
// The view glide: zoom and scene rectangle move together to a new framing.

#include <QPointer>
#include <QRectF>
#include <QVariantAnimation>

class QGraphicsScene;
class QGraphicsView;
class QParallelAnimationGroup;

// Drives either a view's zoom or a scene's rectangle over 750 ms (OutQuad).
class Animator : public QVariantAnimation
{
    Q_OBJECT

public:
    Animator(QGraphicsView* view, double zoom);
    Animator(QGraphicsScene* scene, const QRectF& rect);
    ~Animator() override;

protected:
    void updateCurrentValue(const QVariant& value) override;

private:
    // Guarded: a window may close while a glide is still running.
    QPointer<QGraphicsView> view;
    QPointer<QGraphicsScene> scene;
};

// Starts a self-deleting glide of the view to zoom and the scene to rect and
// returns it (valid until it stops).
QParallelAnimationGroup* glideTo(QGraphicsView* view, double zoom, QGraphicsScene* scene,
                                 const QRectF& rect);
// Sends a running glide to a new zoom and rectangle without restarting it.
void retargetGlide(QParallelAnimationGroup* glide, double zoom, const QRectF& rect);
