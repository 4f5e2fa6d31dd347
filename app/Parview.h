#pragma once
// Parview's main window.
//
// The window owns the program's one SwingModel and listens to it. Its controls
// write into the model by key (ControlBinding), its two scenes draw the model,
// a swing or putt runs the Trajex program on a data file (ShotPlayer) and the
// result is replayed on the `time` slider (ReplayControl); its numbers go to
// the "Shot data" dock (ShotDataDock). Runs lock the controls (RunLock).
// "Sweep..." runs the shot over ranges of values in process (SweepDialog); its
// rows go to the dock and its paths over both views (SweepOverlay).
// "Dispersion..." plays it with a player's spread (DispersionDialog); its
// points go over the plan view (DispersionOverlay), its summary to the dock
// (DispersionSummary), and Make % after a read (PuttReading) asks it too.
// Every run uses the physics of the Physics choice (PhysicsChoice); the Club
// and Bag choices fill the tee shot's launch from tables of clubs (ClubPresets).
// The ball's fields and the Shot/Putt mode are BallPlacement's, the hole list
// HoleChoice's, Open and Save FileCommands'; Reset asks before it throws away
// what was not saved (UnsavedWork). The views get the window's room first and
// the controls scroll (RoomForViews).
// Constructed with "-swing" or "-putt" on the command line it does all its
// work in the constructor without ever being shown (CommandLine), and main()
// prints what it collected in messages().

#include "SwingModel.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>

namespace Ui {
class Parview;
}
class BallPlacement;
class ClubPresets;
class DispersionDialog;
class FileCommands;
class HoleChoice;
class PhysicsChoice;
class ReplayControl;
class ShotDataDock;
class SideScene;
class RunLock;
class ShotPlayer;
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

    // File commands (FileCommands). A file that is not a model is refused
    // with a message and changes nothing.
    void loadModel(const QString& name);
    void openResults(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    // Closing the window during a run stops the simulator.
    void closeEvent(QCloseEvent* event) override;

private slots:
    void onAnimate();
    void onResetAll();
    void onTimeChanged(int step);
    void onSliderChanged(int value);
    void onSpinnerChanged(double value);
    void onSpinnerChanged(int value);
    void onHoleChosen();
    void onDirectionChanged(int value);

private:
    void connectControls();
    void connectFiles();
    void applyControl(const QString& name);
    void reportError(const QString& text);
    // A sweep's and a dispersion's shots were played on the hole and model
    // they started from: another hole, ground or model discards them.
    void discardRuns();

    Ui::Parview* ui;
    // Declared before the model: the model notifies while it is constructed.
    bool updating = true;
    SwingModel model;
    QStringList commandArguments;
    QStringList messageLog;
    // Collected while an interactive window was being built; shown with it.
    QStringList startupMessages;
    TopScene* topScene = nullptr;
    SideScene* sideScene = nullptr;
    ReplayControl* replay = nullptr;
    ShotDataDock* shotData = nullptr;
    SweepDialog* sweep = nullptr;
    SweepOverlay* sweepOverlay = nullptr;
    DispersionDialog* dispersion = nullptr;
    PhysicsChoice* physics = nullptr;
    ClubPresets* clubs = nullptr;
    BallPlacement* ball = nullptr;
    HoleChoice* holes = nullptr;
    FileCommands* fileCommands = nullptr;
    RunLock* lock = nullptr;
    ShotPlayer* shots = nullptr;
    // What Reset would throw away; it asks first.
    std::unique_ptr<UnsavedWork> unsaved;
};
