#pragma once
// A widget that follows the mouse wheel only once the user has clicked or
// tabbed into it: scrolling the panel past it changes nothing.

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QObject>
#include <QScrollBar>
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

    // Every slider, dial, spin box and list under root; scroll bars are
    // there to be scrolled and keep the wheel.
    static void installOnValueControls(QWidget* root)
    {
        for (QWidget* w : root->findChildren<QWidget*>()) {
            if ((qobject_cast<QAbstractSlider*>(w) && !qobject_cast<QScrollBar*>(w)) ||
                qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w))
                install(w);
        }
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
