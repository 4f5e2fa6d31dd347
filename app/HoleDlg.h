#pragma once
// The hole definition dialog. It only edits its own controls: the main window
// fills them from the model before exec() and reads them back afterwards, so
// "Cancel" can never leave a half-defined hole behind.

#include <QDialog>

namespace Ui {
class HoleDlg;
}

class HoleDlg : public QDialog
{
    Q_OBJECT

public:
    explicit HoleDlg(QWidget* parent = nullptr);
    ~HoleDlg() override;

    // True once "Save Copy" closed the dialog: the caller adds a new hole
    // instead of replacing the current one.
    bool isCopyRequested() const { return copyRequested; }

public slots:
    void acceptCopy();
    // Index 0 is "[ no tree ]": the tree position and size are then meaningless.
    void onTreeChanged(int index);
    void onSliderChanged(int value);
    void onSpinnerChanged(double value);

private:
    Ui::HoleDlg* ui;
    bool copyRequested = false;
};
