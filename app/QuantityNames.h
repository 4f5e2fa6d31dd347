#pragma once
// The quantities of the data file as the window names them, in the order of
// its controls, each once (not its other names), with its unit and key:
// "Back spin (rpm) — TeeBackSpin". Sweep... and Dispersion... list them so.

#include <QList>
#include <QPair>
#include <QString>

namespace quantitynames {

// (text, key) of every key a sweep takes, each quantity once.
QList<QPair<QString, QString>> quantityList();

} // namespace quantitynames
