#pragma once
// "Dispersion...": plays the shot of the controls many times, each with some
// of its values drawn from normal distributions around the controls' own,
// as `Shotlab dispersion` does (Dispersion.h), and says how the shots spread
// and how often they finish on the green, near the hole and in it.
//
// One standard deviation field per quantity that plays a part in the shot
// of the current mode, named as Sweep... names it; a field takes the SD in
// the quantity's unit or as a percentage of its value ("3%"), as --sd does,
// and keeps what was typed for the next time. The run goes on the sweep's
// worker (SweepWorker) with copies of the model and the holes made at its
// start, so the window stays responsive; the progress bar moves and Cancel
// stops it between shots.
//
// makePercent() is the one-click question after a read of the green: how
// often the putt of the controls drops with the putt spreads of the dialog
// (3 % speed and 1 degree of aim unless changed), without showing it.
//
// The dialog never touches the window: it says when a run starts and ends,
// and hands over the run at its end; resultsCleared() tells whoever shows it
// to take it away.

#include "DispersionRun.h"
#include "SweepWorker.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class SwingModel;

class DispersionDialog : public QDialog
{
    Q_OBJECT

public:
    // model: the window's, read for the fields and copied when a run starts.
    DispersionDialog(const SwingModel& model, QWidget* parent = nullptr);
    ~DispersionDialog() override;

    bool isRunning() const;
    // Asked before each run: a reason why a run may not start now, or "".
    void setRunGate(std::function<QString()> gate);
    // The physics of the next run, Make % too, asked as it starts (the
    // window's Physics choice); without it QMX_SWING_MODE's, else complex.
    void setPhysics(std::function<quillmoor::ShotMode()> physics);
    // The last run, until the next one or clearResults(); null without one.
    std::shared_ptr<const DispersionRun> result() const { return last; }
    // What the dialog last said (an error, the progress, the verdict).
    QString message() const;

    // The quantities with a field in the mode's list, in order.
    static QStringList keysFor(bool putt);
    // The SD field of a key's quantity, as typed; empty for a key without one.
    QString spread(const QString& key) const;
    void setSpread(const QString& key, const QString& text);
    void setShots(int shots);
    void setSeed(const QString& seed);

public slots:
    // Shows the dialog with the fields of the model's mode.
    void present();
    // Runs the fields' dispersion; a field that is not a spread is named.
    void run();
    // Runs the putt of the model with the putt spreads, unseen; the dialog
    // shows itself only to say what is wrong with a field.
    void makePercent();
    // Stops a run, waiting for it; what was done is handed over.
    void cancelRun();
    // Forgets the last run.
    void clearResults();

signals:
    void runningChanged(bool running);
    // At the end of every run, cancelled or not; makePercent: it was asked
    // for by makePercent().
    void finished(std::shared_ptr<const DispersionRun> run, bool makePercent);
    void resultsCleared();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    struct Row
    {
        QString key;
        QLabel* name = nullptr;
        QLineEdit* sd = nullptr;
        QLabel* value = nullptr;
    };
    void showRowsFor(bool putt);
    bool start(bool forMakePercent);
    // The spreads of the shown rows; false with a message naming the field.
    bool readSpreads(std::vector<quillmoor::lab::KeySpread>& spreads, QString& error) const;
    void showProgress(qulonglong done, qulonglong total);
    void runEnded();
    void updateButtons();
    void say(const QString& text, bool error = false);
    quillmoor::ShotMode physics() const;

    const SwingModel& model;
    QList<Row> rows;
    QSpinBox* shots = nullptr;
    QLineEdit* seed = nullptr;
    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
    QPushButton* runButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* closeButton = nullptr;
    SweepWorker* worker = nullptr;
    std::function<QString()> runGate;
    std::function<quillmoor::ShotMode()> physicsNow;
    std::shared_ptr<DispersionRun> running; // filled by the worker while it runs
    std::shared_ptr<const DispersionRun> last;
    bool runForMakePercent = false;
    int shownForPutt = -1; // the mode the rows are shown for
};
