#include "RunLock.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

RunLock::RunLock(const QList<QWidget*>& locked, const QList<QAction*>& commands, QWidget* window)
    : QObject(window), locked(locked), commands(commands), window(window)
{
}

RunLock::~RunLock()
{
    if (busy)
        QApplication::restoreOverrideCursor();
}

QString RunLock::refusal() const
{
    return busy ? tr("Wait for the shot under way to end.") : QString();
}

void RunLock::setBusy(bool on)
{
    if (on == busy)
        return;
    busy = on;
    if (on) {
        focusBeforeRun = QApplication::focusWidget();
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    for (QWidget* w : locked)
        w->setEnabled(!on);
    for (QAction* a : commands)
        a->setEnabled(!on);
    if (!on) {
        QApplication::restoreOverrideCursor();
        if (focusBeforeRun && focusBeforeRun->isEnabled() && window->isActiveWindow())
            focusBeforeRun->setFocus();
    }
}
