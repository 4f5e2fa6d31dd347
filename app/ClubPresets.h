#pragma once
// The tee shot's "Bag" and "Club" choices and "Save to bag...".
//
// The Bag list holds the installed tables of clubs (ClubBag.h) and the user's
// own bags (QStandardPaths::AppDataLocation + "/clubs"); the Club list holds
// "Custom" and the clubs of the bag chosen. Choosing a club sets the model's
// ball speed, launch angle and back spin, and side spin 0. The list shows the
// club whose numbers the model holds, and "Custom" as soon as they match
// none: a control changed by hand, a file opened. Side spin and aim are the
// player's and leave the club as it is.
//
// A bag that cannot be read cleanly stays in the list, disabled, its tool tip
// saying why, and problems() names its file and line; the other bags work,
// and nothing is ever written over it. "Save to bag..." keeps the model's
// launch numbers as a club of a bag of the user's own, new or not; replacing
// a club of that name asks first, and the file is replaced in one step.

#include "ClubBag.h"
#include "SwingModel.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class QComboBox;
class QPushButton;
class QWidget;

class ClubPresets : public QObject, public SwingModelListener
{
    Q_OBJECT

public:
    struct Controls
    {
        QComboBox* bag = nullptr;
        QComboBox* club = nullptr;
        QPushButton* save = nullptr;
    };
    // `window` is the parent of the questions and messages.
    ClubPresets(SwingModel& model, const Controls& controls, QWidget* window);

    void modelChanged(SwingModel& m, ChangeFlags flags) override;

    // One line per bag that could not be used when the bags were last read:
    // "<file>: line 4: spin_rate_rpm is not a finite number: \"fast\"".
    QStringList problems() const { return troubles; }
    // Reads the bags again; the bag chosen stays chosen while it is there.
    void reload();

    // Where the user's own bags lie.
    static QString userDir();
    // The settings key of the bag chosen (its file).
    static const char* const bagKey;

public slots:
    // Asks for the bag and the club's name, then saves.
    void saveToBag();

private:
    struct Bag
    {
        QString name; // as the list shows it
        quillmoor::lab::BagFile file;
        quillmoor::lab::ClubBag clubs;
        QString problem; // empty when the bag reads cleanly
    };
    void fillBags(const QString& choose);
    void bagChosen(int index);
    // The clubs of the bag chosen, the model's shown.
    void listClubs();
    void clubChosen(int index);
    // Shows the club of the model's numbers, else "Custom".
    void showClub();
    const Bag* currentBag() const;
    // Puts the model's launch into the user's bag `bagName` as `clubName`;
    // false after saying why (or when the user would not replace the club).
    bool save(const QString& bagName, const QString& clubName);
    void say(const QString& text) const;

    SwingModel& model;
    Controls controls;
    QWidget* window;
    std::vector<Bag> bags;
    QStringList troubles;
};
