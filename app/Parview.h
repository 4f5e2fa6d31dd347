#pragma once
// Parview's main window.
//
// The window owns the program's one SwingModel and listens to it. Its controls
// write into the model by key (ControlBinding), its two scenes draw the model,
// and a swing or putt runs the Trajex program on a data file (SimulatorRun)
// and replays the result on the `time` slider. Constructed with "-swing" or
// "-putt" on the command line it does all its work in the constructor without
// ever being shown, and main() prints what it collected in messages().

#include "SwingModel.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>

namespace Ui {
class Parview;
}
class SideScene;
class TopScene;

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

    // File commands; also used by the command line.
    void loadModel(const QString& name);
    void openResults(const QString& name);
    void saveImage(const QString& name);

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
    void stopReplay();
    void updateDistance();
    void reportError(const QString& text);
    void saveModelAs(const QString& target);

    Ui::Parview* ui;
    // Declared before the model: the model notifies while it is constructed.
    bool updating = true;
    SwingModel model;
    int shotCount = 0;
    QStringList commandArguments;
    QStringList messageLog;
    TopScene* topScene = nullptr;
    SideScene* sideScene = nullptr;
};
