#include "ControlBinding.h"

#include "SwingModel.h"

#include <QComboBox>
#include <QDial>
#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVariant>

namespace binding {

namespace {

const QString sliderPrefix = QStringLiteral("slider");
const QString spinPrefix = QStringLiteral("spin");

// Only the leading word differs between partners; keys such as "TeeZSpin"
// must keep their own letters.
QString swapPrefix(const QString& name, const QString& from, const QString& to)
{
    if (!name.startsWith(from))
        return QString();
    return to + name.mid(from.size());
}

bool showsFeet(const QObject* control)
{
    // A quantity the model itself holds in feet (the altitude) is not converted.
    if (!control || control->property("modelFeet").toBool())
        return false;
    const QVariant suffix = control->property("suffix");
    return suffix.isValid() && suffix.toString().trimmed() == QLatin1String("ft");
}

// Linear map of v from [fromMin, fromMax] onto [toMin, toMax]; a degenerate
// source range maps everything to toMin instead of dividing by zero.
double mapRange(double v, double fromMin, double fromMax, double toMin, double toMax)
{
    if (fromMax == fromMin)
        return toMin;
    return (toMax - toMin) * (v - fromMin) / (fromMax - fromMin) + toMin;
}

} // namespace

QString keyOfControl(const QString& objectName)
{
    int i = 0;
    while (i < objectName.size() && objectName.at(i) >= QLatin1Char('a') &&
           objectName.at(i) <= QLatin1Char('z'))
        ++i;
    return objectName.mid(i);
}

double toDisplay(const QObject* control, double v)
{
    return showsFeet(control) ? v * 3.0 : v;
}

double toModel(const QObject* control, double v)
{
    return showsFeet(control) ? v * 0.3333333333 : v;
}

QString syncSpinFromSlider(QWidget* root, QSlider* slider)
{
    if (!root || !slider)
        return QString();
    const QString name = swapPrefix(slider->objectName(), sliderPrefix, spinPrefix);
    if (name.isEmpty())
        return QString();
    auto* spin = root->findChild<QAbstractSpinBox*>(name);
    if (!spin)
        return QString();

    const QSignalBlocker blocker(spin);
    if (auto* intSpin = qobject_cast<QSpinBox*>(spin)) {
        intSpin->setValue(slider->value());
    } else if (auto* dblSpin = qobject_cast<QDoubleSpinBox*>(spin)) {
        dblSpin->setValue(mapRange(slider->value(), slider->minimum(), slider->maximum(),
                                   dblSpin->minimum(), dblSpin->maximum()));
    }
    return name;
}

QString syncSliderFromSpin(QWidget* root, QAbstractSpinBox* spin)
{
    if (!root || !spin)
        return QString();
    const QString name = swapPrefix(spin->objectName(), spinPrefix, sliderPrefix);
    if (name.isEmpty())
        return QString();
    auto* slider = root->findChild<QSlider*>(name);
    if (!slider)
        return QString();

    const QSignalBlocker blocker(slider);
    if (auto* intSpin = qobject_cast<QSpinBox*>(spin)) {
        slider->setValue(intSpin->value());
    } else if (auto* dblSpin = qobject_cast<QDoubleSpinBox*>(spin)) {
        slider->setValue(
            truncToInt(mapRange(dblSpin->value(), dblSpin->minimum(), dblSpin->maximum(),
                                slider->minimum(), slider->maximum())));
    }
    return name;
}

void showValues(QWidget* parent, const SwingModel& model, const QStringList& keys)
{
    if (!parent)
        return;
    for (const QString& key : keys) {
        QWidget* w = parent->findChild<QWidget*>(QStringLiteral("spin") + key);
        if (!w)
            w = parent->findChild<QWidget*>(QStringLiteral("dial") + key);
        if (!w)
            w = parent->findChild<QWidget*>(QStringLiteral("cmb") + key);
        if (!w)
            continue;
        bool known = false;
        const double value = model.getValue(key.toStdString(), &known);
        if (!known)
            continue;
        const double v = toDisplay(w, value);

        if (auto* intSpin = qobject_cast<QSpinBox*>(w)) {
            intSpin->setValue(truncToInt(v));
        } else if (auto* dblSpin = qobject_cast<QDoubleSpinBox*>(w)) {
            dblSpin->setValue(v);
        } else if (auto* dial = qobject_cast<QDial*>(w)) {
            // The dial's 90 points down the hole (direction 0).
            double d = v + 90.0;
            if (d > 360.0)
                d -= 360.0;
            dial->setValue(truncToInt(d));
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            combo->setCurrentIndex(truncToInt(v));
        }
    }
}

double modelValueOf(const QWidget* control)
{
    double value = 0.0;
    if (auto* intSpin = qobject_cast<const QSpinBox*>(control)) {
        value = intSpin->value();
    } else if (auto* dblSpin = qobject_cast<const QDoubleSpinBox*>(control)) {
        value = dblSpin->value();
    } else if (auto* dial = qobject_cast<const QDial*>(control)) {
        value = dial->value() - 90;
        if (value < 0)
            value += 360;
    } else if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        value = combo->currentIndex();
        if (combo->objectName() == QLatin1String("cmbHoleId"))
            value += 1;
    }
    return toModel(control, value);
}

} // namespace binding
