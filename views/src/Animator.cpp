#include "Animator.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QParallelAnimationGroup>

namespace {
constexpr int glideMs = 750;
}

Animator::Animator(QGraphicsView* view, double zoom) : view(view)
{
    setDuration(glideMs);
    setEasingCurve(QEasingCurve::OutQuad);
    setStartValue(view->transform().m11());
    setEndValue(zoom);
}

Animator::Animator(QGraphicsScene* scene, const QRectF& rect) : scene(scene)
{
    setDuration(glideMs);
    setEasingCurve(QEasingCurve::OutQuad);
    setStartValue(scene->sceneRect());
    setEndValue(rect);
}

Animator::~Animator() = default;

void Animator::updateCurrentValue(const QVariant& value)
{
    if (view) {
        // Only the scale changes; a translation the view set is kept.
        const QTransform t = view->transform();
        const double zoom = value.toDouble();
        view->setTransform(
            QTransform(zoom, t.m12(), t.m13(), t.m21(), zoom, t.m23(), t.m31(), t.m32(), t.m33()),
            false);
    } else if (scene) {
        scene->setSceneRect(value.toRectF());
    }
}

QParallelAnimationGroup* glideTo(QGraphicsView* view, double zoom, QGraphicsScene* scene,
                                 const QRectF& rect)
{
    // Owned by the scene as well, so that a window closed while a glide runs
    // takes the glide with it.
    auto* group = new QParallelAnimationGroup(scene);
    group->addAnimation(new Animator(view, zoom));
    group->addAnimation(new Animator(scene, rect));
    group->start(QAbstractAnimation::DeleteWhenStopped);
    return group;
}

void retargetGlide(QParallelAnimationGroup* glide, double zoom, const QRectF& rect)
{
    // The zoom animator comes first, as glideTo adds them.
    static_cast<QVariantAnimation*>(glide->animationAt(0))->setEndValue(zoom);
    static_cast<QVariantAnimation*>(glide->animationAt(1))->setEndValue(rect);
}
