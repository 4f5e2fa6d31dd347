#pragma once
// The hole list: the catalogue's holes and "[ Customize... ]", which defines
// a hole through HoleDlg. The built-in holes 1 to 3 come with their own wind
// and green, whose controls can then not be changed, and can only be copied.
//
// It tells the window what happened and leaves the rest to it: the shot,
// the shot count and the other controls belong to the window.

#include <QObject>

class QComboBox;
class QWidget;
class SwingModel;

class HoleChoice : public QObject
{
    Q_OBJECT

public:
    // `window` holds the wind and green controls and parents the dialog.
    HoleChoice(SwingModel& model, QComboBox* list, QWidget* window);

    // The catalogue's holes, the current one chosen, without a signal.
    void fill();

signals:
    // Before anything changes: nothing may go on with the old hole's shot.
    void aboutToChange();
    // Another hole of the list was chosen; the model does not know it yet.
    void chosen();
    // The dialog changed the current hole's ground and cleared the shots.
    void redefined();
    // The dialog has been closed and the list shows the hole again.
    void customized();

private:
    void onIndexChanged(int index);
    void customize();

    SwingModel& model;
    QComboBox* list;
    QWidget* window;
};
