#pragma once
// "Read" in the Putt Shot group: reads the green for the ball where it lies
// and sets the putt's speed and target angle to the putt that drops.
//
// The read runs on a worker thread of the global pool with its own copy of
// the model, so the window stays live; the result comes back through the
// event loop. The window may change the model meanwhile: a result for a ball,
// hole, green or mode that is no longer the model's is dropped. Closing the
// window during a read is safe: the worker finds nobody to report to, and the
// application waits for the pool's threads before it ends.
//
// A holing read draws the band of holing lines in the plan view. It stays
// while the situation it was read for does: a putt, another hole or green, a
// moved ball, the other mode or a reset take it away. A read that finds no
// putt says why, and gives the speed and aim controls back the values the
// user had before the last recommendation, unless the user set them since.

#include "HoleBand.h"
#include "PuttReader.h"
#include "SwingModel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QDoubleSpinBox;
class QLabel;
class QWidget;
class TopScene;

class PuttReading : public QObject, public SwingModelListener
{
    Q_OBJECT

public:
    struct Controls
    {
        QAbstractButton* read = nullptr;
        QDoubleSpinBox* speed = nullptr; // PuttBallSpeed, mph
        QDoubleSpinBox* aim = nullptr;   // PuttTargetAngle, deg
        QLabel* info = nullptr;          // says what the read found
        QList<QWidget*> views;           // show a busy cursor while reading
    };

    // What a worker computes: the read and, for a holing read, the paths
    // (yards) of the putts at the window's edges and of the recommended one,
    // each up to where the cup catches the ball.
    struct Result
    {
        quillmoor::PuttRead read;
        std::vector<Vector3> lowEdge, highEdge, chosen;
    };
    // Runs on the calling thread; `model` is read as a putt from BallPos.
    static Result compute(const SwingModel& model);

    // Listens to `model`, which must outlive this object's use of it.
    PuttReading(SwingModel& model, TopScene* plan, const Controls& controls,
                QObject* parent = nullptr);
    ~PuttReading() override;

    bool isReading() const { return reading; }
    // A read that found a putt stands (its band shows).
    bool holingReadStands() const { return holing; }
    // The band of the last read, while it stands; null otherwise.
    HoleBandItem* band() const { return shownBand; }

    void modelChanged(SwingModel& m, ChangeFlags flags) override;

public slots:
    // Starts a read of the model as it is now; ignored while one runs.
    void read();
    // Takes the band away.
    void clearBand();
    // Words about the standing read (the share of its putt that drops) in
    // place of its own, in lines of the panel's width; they go with it.
    void sayAboutRead(const QString& sentence);

signals:
    // A read came back, whether it was shown or dropped.
    void finished();
    // A read that found a putt came to stand, or went.
    void holingReadChanged(bool stands);

private:
    // What a read depends on, compared bit for bit.
    struct Situation
    {
        std::vector<double> numbers;
        std::string treeType;
        int holeId = 0;
        bool putt = false;
        bool operator==(const Situation& o) const;
    };
    static Situation situationOf(const SwingModel& model);
    struct Mailbox;

    void take(const Result& result);
    // Takes away the band and the words of the last read.
    void forget();
    static QString readingText();
    // Sets the controls to the recommendation; returns what to say about it.
    QString apply(const quillmoor::PuttRead& read);
    // Sets a control as if typed: the slider follows and the model takes the
    // value the box shows. Returns the value shown.
    double setControl(QDoubleSpinBox* box, double value, double SwingModel::*field);
    // The user's speed and aim again, if a recommendation still stands in them.
    void giveControlsBack();
    void showBand(const Result& result);
    void setReading(bool on);
    void setHoling(bool stands);

    SwingModel& model;
    QPointer<TopScene> plan;
    Controls controls;
    std::shared_ptr<Mailbox> mailbox;
    bool reading = false;
    Situation readFor; // the situation of the read under way
    // What the last read said (and drew), while its situation stands.
    bool shown = false;
    Situation shownFor;
    QString said;
    QPointer<HoleBandItem> shownBand;
    bool holing = false; // the read shown found a putt
    // The controls' values before and after the last recommendation.
    struct Values
    {
        double speed = 0.0, aim = 0.0;
    };
    bool recommended = false;
    Values user, applied;
};
