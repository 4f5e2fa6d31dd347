#include "ViewNavigator.h"

#include "SwingScene.h"

#include <QGraphicsView>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
// From a whole course down to a fraction of a yard across the view.
constexpr double minimumZoom = 0.1;
constexpr double maximumZoom = 5000;
} // namespace

ViewNavigator::ViewNavigator(QGraphicsView* view, SwingScene* scene)
    : QObject(scene), view(view), port(view->viewport()), scene(scene)
{
    port->installEventFilter(this);
}

ViewNavigator::~ViewNavigator() = default;

void ViewNavigator::zoomAbout(const QPointF& at, double factor)
{
    const double zoom = view->transform().m11();
    const double next = std::clamp(zoom * factor, minimumZoom, maximumZoom);
    if (!(zoom > 0) || next == zoom)
        return;
    const QPointF under = view->mapToScene(QPoint(0, 0)) + at / zoom;
    scene->frameByUser(next, under - at / next);
}

void ViewNavigator::panBy(const QPointF& pixels)
{
    const double zoom = view->transform().m11();
    if (zoom > 0)
        scene->frameByUser(zoom, view->mapToScene(QPoint(0, 0)) - pixels / zoom);
}

bool ViewNavigator::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != port)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        const int eighths = delta.y() != 0 ? delta.y() : delta.x();
        if (eighths != 0)
            zoomAbout(wheel->position(), std::pow(1.2, eighths / 120.0)); // 1.2 per notch
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        dragging = true;
        dragFrom = mouse->position();
        port->setCursor(Qt::ClosedHandCursor);
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragging)
            return false;
        panBy(mouse->position() - dragFrom);
        dragFrom = mouse->position();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!dragging || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        dragging = false;
        port->unsetCursor();
        return true;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        scene->refit();
        return true;
    default:
        return false;
    }
}
