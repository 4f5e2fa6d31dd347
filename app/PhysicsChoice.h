#pragma once
// The window's "Physics" choice: Simple, Complex (the default, the physics the
// window always ran) or Realistic, remembered for the next start.
// QMX_SWING_MODE, when it holds a word, wins (swingmode::inEffect): the choice
// then shows the physics of the variable, disabled, and its tool tip names the
// variable. The air controls (temperature, altitude, humidity) are enabled
// only while the realistic physics is in effect: the others ignore the air.
//
// physics() is the one answer to "which physics does the window run now":
// Swing and Putt (through trajexMode()), Sweep... and any other run of shots
// in the window ask it.

#include "ShotRun.h"

#include <QList>
#include <QObject>
#include <QString>

class QComboBox;
class QWidget;

class PhysicsChoice : public QObject
{
    Q_OBJECT

public:
    // `remember`: the choice starts as the settings hold it and the user's
    // changes are stored (a window people use); otherwise (batch mode) it is
    // Complex and nothing is stored. `air`: the air's controls and labels.
    PhysicsChoice(QComboBox* choice, const QList<QWidget*>& air, bool remember,
                  QObject* parent = nullptr);

    // The physics of a run started now.
    quillmoor::ShotMode physics() const;
    // Trajex's words after the two files for such a run.
    QString trajexMode() const;

    // "Simple", "Complex", "Realistic": as the choice and the Shot data panel
    // name the physics.
    static QString displayName(quillmoor::ShotMode mode);
    // The settings key of the choice; its value is the option word.
    static const char* const settingsKey;

signals:
    void changed(quillmoor::ShotMode physics);

private:
    void userChose(int index);
    // The list, its tool tip and the air's controls as physics() now says.
    void showState();

    QComboBox* choice;
    QList<QWidget*> air;
    bool remember;
    quillmoor::ShotMode chosen = quillmoor::ShotMode::Complex;
};
