#include "ReplayControl.h"

#include "SwingModel.h"
#include "SwingScene.h"

#include <QPropertyAnimation>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

ReplayControl::ReplayControl(QWidget* owner, QSlider* time, QToolButton* button, SwingModel& model,
                             SwingScene* top, SwingScene* side)
    : QObject(owner), owner(owner), time(time), button(button), model(model), scenes{top, side}
{
    connect(time, &QSlider::sliderPressed, this, &ReplayControl::onSliderPressed);
    connect(time, &QSlider::sliderReleased, this, &ReplayControl::onSliderReleased);
    connect(time, &QSlider::actionTriggered, this, &ReplayControl::onSliderAction);
    showButton();
}

bool ReplayControl::isPlaying() const
{
    return animation && animation->state() == QAbstractAnimation::Running;
}

void ReplayControl::toggle()
{
    if (isPlaying())
        pause();
    else
        play();
}

void ReplayControl::play()
{
    resumePending = false;
    const int n = model.currentStepCount();
    if (n < 1)
        return;
    halt();
    if (model.currentStep() == n - 1 || model.currentStep() < 0)
        model.setCurrentStep(0);
    const int start = model.currentStep();

    animation = new QPropertyAnimation(time, "value", owner);
    animation->setObjectName(QStringLiteral("animator"));
    animation->setStartValue(start);
    animation->setEndValue(n - 1);
    // Real time: one trajectory point per time step of the simulation.
    animation->setDuration(truncToInt(model.timeStepSize() * ((n - 1 - start) * 1000.0)));
    connect(animation, &QAbstractAnimation::finished, this, &ReplayControl::onFinished);
    if (!underWay) {
        for (SwingScene* scene : scenes)
            scene->startTracking();
        underWay = true;
    }
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    showButton();
}

void ReplayControl::pause()
{
    resumePending = false;
    halt();
    showButton();
}

void ReplayControl::stop()
{
    halt();
    resumeOnRelease = false;
    resumePending = false;
    const bool wasUnderWay = underWay;
    if (underWay) {
        for (SwingScene* scene : scenes)
            scene->stopTracking();
        underWay = false;
    }
    showButton();
    if (wasUnderWay)
        emit ended();
}

void ReplayControl::halt()
{
    if (animation) {
        // Deleted only later: by then it must not pass for a running replay.
        animation->setObjectName(QString());
        animation->disconnect(this);
        animation->stop();
        animation = nullptr;
    }
}

void ReplayControl::onFinished()
{
    // At the last point: the replay is over, the track stays as drawn.
    stop();
}

void ReplayControl::onSliderPressed()
{
    resumeOnRelease = isPlaying();
    if (resumeOnRelease)
        pause();
}

void ReplayControl::onSliderReleased()
{
    if (resumeOnRelease) {
        resumeOnRelease = false;
        play();
    }
}

void ReplayControl::onSliderAction(int action)
{
    // A click on the groove, a key or the wheel while playing: the slider
    // takes the new value after this signal, and the replay goes on from it.
    if (action == QAbstractSlider::SliderMove || !isPlaying())
        return;
    pause();
    resumePending = true;
    QTimer::singleShot(0, this, [this] {
        if (resumePending)
            play();
    });
}

void ReplayControl::showButton()
{
    if (isPlaying()) {
        button->setArrowType(Qt::NoArrow);
        button->setIcon(button->style()->standardIcon(QStyle::SP_MediaPause));
        button->setToolTip(tr("Pause the replay"));
    } else {
        button->setIcon(QIcon());
        button->setArrowType(Qt::RightArrow);
        button->setToolTip(tr("Replay the shot"));
    }
}
