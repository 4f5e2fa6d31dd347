#pragma once
// Where the ball lies and which shot it waits for: the ball position fields,
// the Putt Shot group that switches between tee shot and putt, and the
// distance to the hole under the controls.
//
// Typing x or y puts the ball on the ground there; z may be typed as it is.
// The fields show and read numbers with a point, as the data file does,
// whatever the user's locale. Writes into the model go under the window's
// update flag, so that they do not come back into the controls.

#include "SwingModel.h"

#include <QObject>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

class BallPlacement : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QLineEdit *x = nullptr, *y = nullptr, *z = nullptr;
        QGroupBox* putt = nullptr;    // checked: putt mode
        QPushButton* swing = nullptr; // usable in tee-shot mode only
        QLabel* info = nullptr;       // the verdict, cleared by a move
        QLabel* distance = nullptr;   // the distance to the hole
        QScrollArea* controlScroll = nullptr;
    };

    // `updating` is the window's flag for its own writes into `model`.
    BallPlacement(SwingModel& model, bool& updating, const Controls& controls,
                  QObject* parent = nullptr);

    // The fields, the mode and the Swing button as the model has them.
    void showBall();
    // The model's ball height in its field, as if typed: the model takes the
    // rounded value the field shows.
    void retypeHeight();
    void updateDistance();

signals:
    // Before the mode changes: the other mode has its own shot.
    void modeAboutToChange();
    // The user moved the ball.
    void moved();

private:
    void onPositionChanged(const QString& text);
    void onSetMode(bool putt);

    SwingModel& model;
    bool& updating;
    Controls controls;
};
