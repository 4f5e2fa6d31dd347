#pragma once
// Parview's main window.
//
// The window owns the program's one SwingModel and listens to it. Its controls
// write into the model by key (ControlBinding), its two scenes draw the model,
// a swing or putt runs the Trajex program on a data file (SimulationRunner,
// SimulatorRun) and the result is replayed on the `time` slider
// (ReplayControl); its numbers go to the "Shot data" dock (ShotDataDock).
// "Sweep..." runs the shot over ranges of values in process (SweepDialog); its
// rows go to the dock and its paths over both views (SweepOverlay).
// "Dispersion..." plays it with a player's spread (DispersionDialog); its
// points go over the plan view (DispersionOverlay), its summary to the dock
// (DispersionSummary), and Make % after a read (PuttReading) asks it too.
// Every run uses the physics of the Physics choice (PhysicsChoice); the Club
// and Bag choices fill the tee shot's launch from tables of clubs (ClubPresets).
// Files are taken as models only when they are models (ModelFile); Reset
// asks before it throws away what was not saved (UnsavedWork). The views get
// the window's room first and the controls scroll (RoomForViews).
// Constructed with "-swing" or "-putt" on the command line it does all its
// work in the constructor without ever being shown, and main() prints what it
// collected in messages().

#include "ShotRun.h"
#include "SimulatorRun.h"
#include "SwingModel.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace Ui {
class Parview;
}
class ClubPresets;
class DispersionDialog;
class PhysicsChoice;
class ReplayControl;
class ShotDataDock;
class SideScene;
class SimulationRunner;
class SweepDialog;
class SweepOverlay;
class TopScene;
class UnsavedWork;

class Parview : public QMainWindow, public SwingModelListener
{
    Q_OBJECT

public:
    explicit Parview(const QStringList& arguments);
    ~Parview() override;

    // Errors collected while the window was not visible.
    const QStringList& messages() const { return messageLog; }

    // Refreshes the controls from the model; notifications of other models
    // (the temporary ones of reset and of result files) are ignored.
    void modelChanged(SwingModel& m, ChangeFlags flags) override;

    // File commands; also used by the command line. A file that is not a
    // model is refused with a message and changes nothing.
    void loadModel(const QString& name);
    void openResults(const QString& name);
    void saveImage(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    // Closing the window during a run stops the simulator.
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onPositionChanged(const QString& text);
    void onSetMode(bool putt);
    void onSwing();
    void onPutt();
    void onAnimate();
    void onReset();
    void onFileBtn();
    void onTimeChanged(int step);
    void onSliderChanged(int value);
    void onSpinnerChanged(double value);
    void onSpinnerChanged(int value);
    void onHoleChanged(int index);
    void onDirectionChanged(int value);

private:
    void connectControls();
    void processArguments();
    void applyControl(const QString& name);
    void fillHoleCombo();
    void customizeHole(); // ParviewHole.cpp
    void runSimulation();
    // Takes the result of a run, or reports why there is none.
    void completeRun(const simrun::Outcome& outcome, const simrun::WorkFiles& files);
    // While the simulator works: busy cursor, controls locked.
    void setBusy(bool on);
    // Makes the model a copy of `replacement` and tells every listener.
    void adopt(const SwingModel& replacement, ChangeFlags flags);
    // False (after saying why) when `name` may not be read as a model.
    bool isModelFile(const QString& name);
    void updateDistance();
    // The current shot's column of the shot data and its verdict under the controls.
    void showShotNumbers();
    // The shots of the model were not made by a run of this window.
    void forgetShotPhysics();
    // Replays the shot just run; its numbers wait for the ball to arrive.
    void replayNewShot();
    void showNumbersAfterReplay();
    void reportError(const QString& text);
    void saveModelAs(const QString& target);
    void writeDataFile(const QString& name);

    Ui::Parview* ui;
    // Declared before the model: the model notifies while it is constructed.
    bool updating = true;
    SwingModel model;
    int shotCount = 0;
    QStringList commandArguments;
    QStringList messageLog;
    // Collected while an interactive window was being built; shown with it.
    QStringList startupMessages;
    TopScene* topScene = nullptr;
    SideScene* sideScene = nullptr;
    SimulationRunner* runner = nullptr;
    ReplayControl* replay = nullptr;
    ShotDataDock* shotData = nullptr;
    SweepDialog* sweep = nullptr;
    SweepOverlay* sweepOverlay = nullptr;
    DispersionDialog* dispersion = nullptr;
    PhysicsChoice* physics = nullptr;
    ClubPresets* clubs = nullptr;
    // The physics of the run under way, and of the model's tee shot and putt
    // when a run of this window made them.
    quillmoor::ShotMode runPhysics = quillmoor::ShotMode::Complex;
    std::optional<quillmoor::ShotMode> teePhysics, puttPhysics;
    bool busy = false;
    bool numbersAfterReplay = false;
    // What Reset would throw away; it asks first.
    std::unique_ptr<UnsavedWork> unsaved;
    QPointer<QWidget> focusBeforeRun;
};
