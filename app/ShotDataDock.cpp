#include "ShotDataDock.h"

#include "ShotDataPanel.h"

#include <QAction>
#include <QCloseEvent>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <algorithm>

const char* const ShotDataDock::visibleKey = "window/shotDataVisible";

ShotDataDock::ShotDataDock(QMainWindow* window)
    : QDockWidget(tr("Shot data"), window), window(window)
{
    setObjectName(QStringLiteral("shotDataDock"));
    // Fixed on the right: anywhere else it would take its room from the views.
    setFeatures(QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::RightDockWidgetArea);
    shots = new ShotDataPanel(this);
    setWidget(shots);

    QAction* toggle = toggleViewAction();
    toggle->setText(tr("Shot data"));
    toggle->setToolTip(tr("Shows or hides the numbers of each shot"));
    // Runs after the dock's own handling, so the dock is already shown.
    connect(toggle, &QAction::triggered, this, &ShotDataDock::userToggled);

    window->addDockWidget(Qt::RightDockWidgetArea, this);
    hide();
    toggle->setChecked(false);
}

void ShotDataDock::restore()
{
    const bool shown = QSettings().value(QLatin1String(visibleKey), true).toBool();
    setVisible(shown);
    // A dock of a window not yet shown does not update its action itself.
    toggleViewAction()->setChecked(shown);
    makeRoom(shown);
}

void ShotDataDock::closeEvent(QCloseEvent* event)
{
    // The title bar's close button, and the toggle action when it hides the dock.
    QDockWidget::closeEvent(event);
    if (event->isAccepted())
        userToggled(false);
}

void ShotDataDock::userToggled(bool shown)
{
    QSettings().setValue(QLatin1String(visibleKey), shown);
    makeRoom(shown);
}

void ShotDataDock::makeRoom(bool shown)
{
    if (window->isMaximized() || window->isFullScreen()) {
        grownBy = 0; // the window's size is not the user's to keep here
        return;
    }
    if (!shown) {
        if (grownBy > 0)
            window->resize(window->width() - grownBy, window->height());
        grownBy = 0;
        return;
    }
    if (grownBy > 0)
        return; // the room is there already

    const int separator = style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
    const int needed = sizeHint().width() + separator;
    // The frame counts too; before the window is first shown it is not known yet.
    const int frame =
        window->isVisible() ? window->frameGeometry().width() - window->width() : frameAllowance;
    int limit = maxWindowWidth;
    if (const QScreen* screen = window->screen())
        limit = std::min(limit, screen->availableGeometry().width());
    limit -= frame;
    grownBy = std::clamp(limit - window->width(), 0, needed);
    window->resize(window->width() + grownBy, window->height());
    // Short of room, the dock makes do with what the window gained.
    window->resizeDocks({this}, {std::max(grownBy - separator, 0)}, Qt::Horizontal);
}
