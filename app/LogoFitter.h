#pragma once
// The logo sits beside the texts under the controls, as tall as the room
// there (at most its own size), so that it never makes the panel taller than
// the texts do; its width follows its height.

#include <QObject>
#include <QPixmap>

class QLabel;
class QLayout;

class LogoFitter : public QObject
{
public:
    // `row` is the layout that holds the label; the label owns the fitter.
    LogoFitter(QLabel* label, QLayout* row, int height);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit(int height);

    QLabel* label;
    QLayout* row;
    QPixmap logo;
};
