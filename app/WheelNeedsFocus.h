#pragma once
// A widget that follows the mouse wheel only once the user has clicked or
// tabbed into it: scrolling the panel past it changes nothing.

#include <QEvent>
#include <QObject>
#include <QWidget>

class WheelNeedsFocus : public QObject
{
public:
    static void install(QWidget* widget)
    {
        // The wheel would otherwise give it the focus before it sees the event.
        widget->setFocusPolicy(Qt::StrongFocus);
        widget->installEventFilter(new WheelNeedsFocus(widget));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel && watched == parent() &&
            !static_cast<QWidget*>(watched)->hasFocus()) {
            event->ignore(); // left to the widgets around it
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    explicit WheelNeedsFocus(QWidget* widget) : QObject(widget) {}
};
