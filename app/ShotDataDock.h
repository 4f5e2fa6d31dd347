#pragma once
// The "Shot data" panel docked on the right of the main window.
//
// It is shown unless the user hid it: hiding it (its close button or its
// toggle action) and showing it again are remembered in the application's
// settings for the next start. The dock adds its width to the window instead
// of taking it from the views: the window grows when the dock shows and gives
// the room back when it hides, never beyond 1280 pixels or the screen.

#include <QDockWidget>

class QMainWindow;
class ShotDataPanel;

class ShotDataDock : public QDockWidget
{
    Q_OBJECT

public:
    // Docks itself on the right of `window`, hidden until restore().
    explicit ShotDataDock(QMainWindow* window);

    ShotDataPanel* panel() const { return shots; }

    // Before the window is first shown: the visibility the user left, and a
    // window wide enough for the dock. Without it (batch mode) the dock stays
    // hidden and the window keeps its size.
    void restore();

    // The settings key of the visibility.
    static const char* const visibleKey;
    // Widest the window grows to for the dock.
    static constexpr int maxWindowWidth = 1280; // frame included
    // What a window manager's frame usually adds to the width.
    static constexpr int frameAllowance = 8;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The user showed or hid the dock.
    void userToggled(bool shown);
    // Widens the window by the dock's width (within the limits) or gives back
    // what an earlier widening took.
    void makeRoom(bool shown);

    QMainWindow* window;
    ShotDataPanel* shots;
    int grownBy = 0;
};
