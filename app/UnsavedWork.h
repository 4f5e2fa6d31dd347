#pragma once
// What the window's Reset would throw away: holes defined or changed in this
// session, and changes to the model's settings since it was last opened,
// saved or reset. Shots are results, run again at will, and do not count,
// nor does where the ball lies.
//
// A hole that is the one of the file last opened or saved is kept in that
// file and does not count either.

#include "SwingModel.h"

#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QWidget;

class UnsavedWork
{
public:
    // The model and the catalogue as they are now are the starting point.
    explicit UnsavedWork(const SwingModel& model);

    // The model has just been opened from, or saved to, its file.
    void markSaved(const SwingModel& model);
    // Back to the built-in course and the defaults.
    void markReset(const SwingModel& model);

    // The ids of holes new or changed since the start or the last reset.
    std::vector<int> changedHoles() const;
    bool settingsChanged(const SwingModel& model) const;

    // What a reset would lose, for people; empty when nothing.
    QString lossText(const SwingModel& model) const;
    // Asks whether to reset when something would be lost: true to go ahead.
    bool confirmReset(QWidget* parent, const SwingModel& model) const;
    // Asks whether to open another model over changed values not saved (the
    // holes stay in the catalogue): true to go ahead.
    bool confirmOpen(QWidget* parent, const SwingModel& model) const;

private:
    static bool confirm(QWidget* parent, const QString& action, const QString& loss);
    static QString settingsLoss(const SwingModel& model);

    // The model's text without its shots, their results and the ball.
    static std::string settingsOf(const SwingModel& model);

    std::map<int, HoleInfo> holesAtStart;
    std::optional<HoleInfo> savedHole;
    std::string savedSettings;
};
