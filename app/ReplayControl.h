#pragma once
// The replay of the current shot on the `time` slider, with its play/pause
// button. The animation moves the slider, the slider makes its step current
// in the model, and the scenes draw the ball along (tracking while a replay
// is under way, paused or not).
//
// Pressing the button plays from where the ball is (from the first point
// when it is at the last) or pauses. Grabbing the slider pauses a replay and
// letting it go resumes it from there; any other move of the slider by the
// user while playing goes on from the new place.

#include <QObject>
#include <QPointer>

class QPropertyAnimation;
class QSlider;
class QToolButton;
class QWidget;
class SwingModel;
class SwingScene;

class ReplayControl : public QObject
{
    Q_OBJECT

public:
    // The animation is a child of `owner`, named "animator", while it runs.
    ReplayControl(QWidget* owner, QSlider* time, QToolButton* button, SwingModel& model,
                  SwingScene* top, SwingScene* side);

    bool isPlaying() const;
    // Started and not yet at its end or stopped: playing, or paused.
    bool isUnderWay() const { return underWay; }

signals:
    // A replay that was under way is over: at its end, or stopped.
    void ended();

public slots:
    // The button: pause while playing, play otherwise.
    void toggle();
    void play();
    void pause();
    // Ends the replay: the scenes stop tracking and the button shows play.
    void stop();

private:
    void onSliderPressed();
    void onSliderReleased();
    void onSliderAction(int action);
    void onFinished();
    // Removes the animation, leaving the ball where it is.
    void halt();
    void showButton();

    QWidget* owner;
    QSlider* time;
    QToolButton* button;
    SwingModel& model;
    SwingScene* scenes[2];
    QPointer<QPropertyAnimation> animation;
    bool underWay = false;
    bool resumeOnRelease = false;
    bool resumePending = false;
};
