#pragma once
// Swing and Putt: runs the shot of the mode through Trajex (SimulationRunner),
// takes its result into the model and replays it (ReplayControl); the shot's
// numbers go to the "Shot data" panel once the ball has arrived. A window
// that is not shown waits for the run and draws the whole path at once.
//
// It remembers which physics made the model's tee shot and putt, when a run
// of the window made them, and counts the shots since the last reset.

#include "ShotRun.h"
#include "SwingModel.h"

#include <QObject>
#include <optional>

class PhysicsChoice;
class QLabel;
class QWidget;
class ReplayControl;
class RunLock;
class ShotDataPanel;
class SideScene;
class SimulationRunner;
class TopScene;
namespace simrun {
struct Outcome;
struct WorkFiles;
} // namespace simrun

class ShotPlayer : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        ReplayControl* replay = nullptr;
        PhysicsChoice* physics = nullptr;
        RunLock* lock = nullptr;
        TopScene* top = nullptr;
        SideScene* side = nullptr;
        ShotDataPanel* panel = nullptr;
        QLabel* verdict = nullptr;   // the verdict under the controls
        QLabel* shotCount = nullptr; // "Shot count: N"
    };
    // `window` asks the user (a shown window) and parents this object.
    ShotPlayer(SwingModel& model, const Parts& parts, QWidget* window);

    // Runs the shot of the mode; ignored while a run is under way.
    void run();
    // Stops a run under way; its result is never taken.
    void cancel();
    void resetCount();
    // The current shot's column of the shot data and its verdict.
    void showShotNumbers();
    // The shots of the model were not made by a run of this window.
    void forgetShotPhysics();

signals:
    // Why a run gave no shot, for the user.
    void error(const QString& text);
    // A run's shot has replaced the model's.
    void newShot();

private:
    // Takes the result of a run, or reports why there is none.
    void completeRun(const simrun::Outcome& outcome, const simrun::WorkFiles& files);
    // Replays the shot just run; its numbers wait for the ball to arrive.
    void replayNewShot();
    void showNumbersAfterReplay();

    SwingModel& model;
    Parts parts;
    QWidget* window;
    SimulationRunner* runner;
    int shotCount = 0;
    bool numbersAfterReplay = false;
    // The physics of the run under way, and of the model's tee shot and putt
    // when a run of this window made them.
    quillmoor::ShotMode runPhysics = quillmoor::ShotMode::Complex;
    std::optional<quillmoor::ShotMode> teePhysics, puttPhysics;
};
