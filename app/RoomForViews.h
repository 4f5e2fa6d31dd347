#pragma once
// The window's room goes to the views first.
//
// - The control panel scrolls up and down where the window is shorter than
//   its controls, so the window fits a small screen (1366 x 768 with a title
//   bar and a panel); it keeps the width its controls ask for.
// - The views never shrink below a readable size, and a wider window widens
//   them alone.
// - When the window narrows, the "Shot data" dock gives up its width, down
//   to what it needs, before the views lose theirs; it gets it back as the
//   window widens. A width the user gives the dock by hand stays until the
//   window is resized.
// - Before it is first shown the window is fitted to the screen it opens on.
//
// For a window that is shown: the batch images keep the layout they had.

#include <QObject>

class QDockWidget;
class QMainWindow;
class QScrollArea;
class QSplitter;
class QWidget;

class RoomForViews : public QObject
{
public:
    // split holds the controls (first) and the views (second).
    RoomForViews(QMainWindow* window, QSplitter* split, QScrollArea* controls, QWidget* views,
                 QDockWidget* dock);

    // The views' width that the dock's room is taken for.
    static constexpr int preferredViewsWidth = 600;
    // Least room for the views, and the height of each of the two.
    static constexpr int minimumViewWidth = 360;
    static constexpr int minimumViewHeight = 110;
    // What a window manager's title bar and frame usually add to the height.
    static constexpr int titleAllowance = 32;

    // No larger than the screen leaves for the window with its frame.
    void fitScreen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keepControlsWhole();
    void balance();

    QMainWindow* window;
    QScrollArea* controls;
    QWidget* controlsWidget; // the controls inside the scroll area
    QWidget* views;
    QDockWidget* dock;
    bool balancePending = false;
    // The dock's width when the views had their room: what a widening window
    // gives back to it.
    int dockRestWidth = 0;
};
