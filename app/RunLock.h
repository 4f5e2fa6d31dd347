#pragma once
// While a run of the window works (a swing or putt, Sweep..., Dispersion...):
// a busy cursor, and everything the result would overwrite stays as it was
// written, and nothing starts a second run; the texts and the views stay
// live. The focus goes back where it was when the run ends.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QWidget;

class RunLock : public QObject
{
    Q_OBJECT

public:
    // `window` is where the focus goes back to, if it is still active.
    RunLock(const QList<QWidget*>& locked, const QList<QAction*>& commands, QWidget* window);
    // Gives the cursor back if a run is still under way.
    ~RunLock() override;

    bool isBusy() const { return busy; }
    void setBusy(bool on);
    // Why another run may not start now; empty when it may.
    QString refusal() const;

private:
    QList<QWidget*> locked;
    QList<QAction*> commands;
    QWidget* window;
    bool busy = false;
    QPointer<QWidget> focusBeforeRun;
};
