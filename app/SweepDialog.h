#pragma once
// "Sweep...": runs the shot over a range of one or two data-file values and
// shows every shot. Each quantity is listed once, by the name the window
// gives it, with its unit and data-file key. The ranges start from the
// window's current values, except those the user typed, which stay for the
// next time; Run checks them as `Shotlab sweep --vary` does (SweepAxis,
// SweepGrid) and refuses a bad one with its message. A grid that would take
// over a minute says about how long (SweepEstimate). While the sweep runs on its worker the
// progress bar moves and Cancel stops it; closing the dialog stops it too.
// The rows are kept in results() (shown by the "Shot data" panel) until the
// next run or clearResults(), and Save CSV writes them as `Shotlab sweep --csv`
// would.
//
// The dialog never touches the window: it says when a run starts and ends,
// and hands over the paths for the views at the end.

#include "SweepWorker.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class SweepEstimate;
class SweepResults;
class SwingModel;

class SweepDialog : public QDialog
{
    Q_OBJECT

public:
    // model: the window's, read for the defaults and copied when a run starts.
    SweepDialog(const SwingModel& model, QWidget* parent = nullptr);
    ~SweepDialog() override;

    SweepResults* results() const { return rows; }
    bool isRunning() const;

    // Asked before each run: a reason why a run may not start now, or "".
    void setRunGate(std::function<QString()> gate);
    // The physics of the next run, asked as it starts (the window's Physics
    // choice); without it QMX_SWING_MODE's, else complex.
    void setPhysics(std::function<quillmoor::ShotMode()> physics);
    void setTraceThinner(SweepWorker::Thinner thinner);

    // The ranges in the fields as a grid; false with a message when they are
    // not a sweep. A sketch (for the count shown while typing) leaves the
    // values of a long range unset, which would take seconds to make.
    bool readGrid(quillmoor::lab::SweepGrid& grid, QString& error, bool sketch = false) const;
    // The fields of a row (0 or 1): key (or another name of it), FROM, TO,
    // STEP, as if the user typed them.
    void setRange(int row, const QString& key, double from, double to, double step);
    void setSecondEnabled(bool on);
    // What the dialog last said (the points, an error, the end of a run).
    QString message() const;

public slots:
    // Shows the dialog with defaults from the model, unless a run is going on.
    void present();
    void run();
    // Stops a run, waiting for it: rows and paths so far are reported.
    void cancelRun();
    // Forgets the last sweep's rows.
    void clearResults();
    // Asks for a file name and saves the rows as CSV.
    void saveCsv();

signals:
    void runningChanged(bool running);
    // At the end of every run, cancelled or not: the paths kept and a legend.
    void tracesReady(const SweepTraceList& traces, const QString& legend);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    struct Range
    {
        QComboBox* key = nullptr;
        QLineEdit* from = nullptr;
        QLineEdit* to = nullptr;
        QLineEdit* step = nullptr;
    };
    void fillDefaults(int row);
    void selectKey(int row, const QString& key);
    QString keyOf(int row) const;
    // Keeps the row's range as typed, for its key.
    void rememberRange(int row);
    void checkRanges();
    void showCount(const quillmoor::lab::SweepGrid& grid);
    void measureGrid();
    // "121 shots", with the time it would take when that is over a minute.
    QString countText(std::size_t shots) const;
    void takeRows();
    void showProgress(qulonglong done, qulonglong total);
    void runEnded();
    void updateButtons();
    void say(const QString& text, bool error = false);
    quillmoor::ShotMode physics() const;
    QString legendText(const quillmoor::lab::SweepOutcome& outcome) const;

    const SwingModel& model;
    Range ranges[2];
    QCheckBox* second = nullptr;
    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
    QPushButton* runButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* closeButton = nullptr;
    SweepResults* rows = nullptr;
    SweepWorker* worker = nullptr;
    std::function<QString()> runGate;
    std::function<quillmoor::ShotMode()> physicsNow;
    int shownForPutt = -1; // the mode the defaults were chosen for
    QString lastSaveDir;
    QHash<QString, QStringList> typedRanges; // key: FROM, TO, STEP as typed
    SweepEstimate* estimate = nullptr;
    QTimer* estimateDelay = nullptr;
    quillmoor::lab::SweepGrid measuredGrid; // the grid shown, to be measured
    std::size_t shotsShown = 0;             // its points; 0 while the ranges are bad
    int rangeSerial = 0;                    // counts the checks of the ranges
    int measuringSerial = -1;               // the check the measurement is for
    int estimatedSerial = -1;               // the check the estimate is for
    QElapsedTimer runClock;
};
