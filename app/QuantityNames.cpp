#include "QuantityNames.h"

#include "Sweep.h"

#include <QCoreApplication>
#include <QStringList>

namespace quantitynames {

namespace {

// What the window calls each quantity, in the order of its controls.
const char* const quantityNames[][2] = {
    {"TeeBallSpeed", QT_TRANSLATE_NOOP("QuantityNames", "Tee ball speed")},
    {"TeeLaunchAngle", QT_TRANSLATE_NOOP("QuantityNames", "Launch angle")},
    {"TeeTargetAngle", QT_TRANSLATE_NOOP("QuantityNames", "Tee target angle")},
    {"TeeBackSpin", QT_TRANSLATE_NOOP("QuantityNames", "Back spin")},
    {"TeeSideSpin", QT_TRANSLATE_NOOP("QuantityNames", "Side spin")},
    {"PuttBallSpeed", QT_TRANSLATE_NOOP("QuantityNames", "Putt ball speed")},
    {"PuttTargetAngle", QT_TRANSLATE_NOOP("QuantityNames", "Putt target angle")},
    {"PuttEnabled", QT_TRANSLATE_NOOP("QuantityNames", "Putt (0 tee shot, 1 putt)")},
    {"WindSpeed", QT_TRANSLATE_NOOP("QuantityNames", "Wind speed")},
    {"WindDir", QT_TRANSLATE_NOOP("QuantityNames", "Wind direction")},
    {"GreenXRot", QT_TRANSLATE_NOOP("QuantityNames", "Green X-slope")},
    {"GreenYRot", QT_TRANSLATE_NOOP("QuantityNames", "Green Y-slope")},
    {"GreenRho", QT_TRANSLATE_NOOP("QuantityNames", "Green friction factor")},
    {"Temperature", QT_TRANSLATE_NOOP("QuantityNames", "Air temperature")},
    {"Altitude", QT_TRANSLATE_NOOP("QuantityNames", "Elevation above sea level")},
    {"Humidity", QT_TRANSLATE_NOOP("QuantityNames", "Relative humidity")},
    {"HoleId", QT_TRANSLATE_NOOP("QuantityNames", "Hole")},
    {"GreenSize", QT_TRANSLATE_NOOP("QuantityNames", "Green size")},
    {"GreenType", QT_TRANSLATE_NOOP("QuantityNames", "Green type (0 or 1)")},
    {"TimeStepSize", QT_TRANSLATE_NOOP("QuantityNames", "Time step")},
};

// "TeeBallSpeed" as "Tee ball speed", for a key the table does not name.
QString wordsOf(const QString& key)
{
    QString words;
    for (const QChar c : key) {
        if (c.isUpper() && !words.isEmpty())
            words += QLatin1Char(' ') + c.toLower();
        else
            words += c;
    }
    return words;
}

} // namespace

QList<QPair<QString, QString>> quantityList()
{
    QStringList keys;
    for (const auto& entry : quantityNames)
        keys << QString::fromLatin1(entry[0]);
    for (const std::string& k : quillmoor::lab::sweepKeys())
        if (k == quillmoor::lab::keyQuantity(k) && !keys.contains(QString::fromStdString(k)))
            keys << QString::fromStdString(k);
    QList<QPair<QString, QString>> items;
    for (const QString& key : keys) {
        const std::string k = key.toStdString();
        if (!quillmoor::lab::isSweepKey(k) || k != quillmoor::lab::keyQuantity(k))
            continue;
        QString name = wordsOf(key);
        for (const auto& entry : quantityNames)
            if (key == QLatin1String(entry[0]))
                name = QCoreApplication::translate("QuantityNames", entry[1]);
        const QString unit = QString::fromLatin1(quillmoor::lab::keyUnit(k));
        if (!unit.isEmpty())
            name += QStringLiteral(" (%1)").arg(unit);
        items.append({name + QStringLiteral(" \u2014 ") + key, key});
    }
    return items;
}

} // namespace quantitynames
