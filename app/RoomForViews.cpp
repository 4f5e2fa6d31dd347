#include "RoomForViews.h"

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <algorithm>

RoomForViews::RoomForViews(QMainWindow* window, QSplitter* split, QScrollArea* controls,
                           QWidget* views, QDockWidget* dock)
    : QObject(window), window(window), controls(controls), controlsWidget(controls->widget()),
      views(views), dock(dock)
{
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setChildrenCollapsible(false);
    views->setMinimumSize(minimumViewWidth, 2 * minimumViewHeight);
    keepControlsWhole();
    window->installEventFilter(this);
    controlsWidget->installEventFilter(this);
    // The scroll bar shows when the controls do not fit, and needs its room.
    connect(controls->verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &RoomForViews::keepControlsWhole);
}

void RoomForViews::keepControlsWhole()
{
    // The controls' own width, and room for the scroll bar beside them while
    // it shows.
    const QScrollBar* scroll = controls->verticalScrollBar();
    const int bar =
        scroll->maximum() > scroll->minimum()
            ? controls->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroll)
            : 0;
    controls->setMinimumWidth(controls->widget()->sizeHint().width() + bar +
                              2 * controls->frameWidth());
}

void RoomForViews::fitScreen()
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const int frameHeight =
        window->isVisible() ? window->frameGeometry().height() - window->height() : titleAllowance;
    const int height = std::min(window->height(), room.height() - frameHeight);
    const int width = std::min(window->width(), room.width());
    if (height != window->height() || width != window->width())
        window->resize(std::max(width, window->minimumSizeHint().width()),
                       std::max(height, window->minimumSizeHint().height()));
}

bool RoomForViews::eventFilter(QObject* watched, QEvent* event)
{
    // Pointers compared only: the window's events go on while its children
    // are destroyed.
    if (watched == controlsWidget && event->type() == QEvent::LayoutRequest)
        keepControlsWhole(); // a text or font that changed the controls' width
    if (watched == window && event->type() == QEvent::Resize && !balancePending) {
        // Once the window's layouts have taken the new size.
        balancePending = true;
        QTimer::singleShot(0, this, [this] {
            balancePending = false;
            balance();
        });
    }
    return QObject::eventFilter(watched, event);
}

void RoomForViews::balance()
{
    if (!dock->isVisible() || dock->isFloating() || window->isMinimized())
        return;
    const int viewsWidth = views->width();
    const int dockWidth = dock->width();
    const int least = dock->minimumSizeHint().width();
    // The main window's own layout may already have narrowed the dock, so
    // what it gets back is measured against its width at rest, not counted.
    if (viewsWidth >= preferredViewsWidth && dockWidth >= dockRestWidth)
        dockRestWidth = dockWidth;
    int wanted = dockWidth;
    if (viewsWidth < preferredViewsWidth && dockWidth > least)
        wanted = std::max(least, dockWidth - (preferredViewsWidth - viewsWidth));
    else if (viewsWidth > preferredViewsWidth && dockWidth < dockRestWidth)
        wanted = dockWidth + std::min(dockRestWidth - dockWidth, viewsWidth - preferredViewsWidth);
    if (wanted != dockWidth)
        window->resizeDocks({dock}, {wanted}, Qt::Horizontal);
}
