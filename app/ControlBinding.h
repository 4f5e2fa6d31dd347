#pragma once
// Generic binding between widgets and the shot model, shared by the main
// window and the hole dialog. A control finds its model key from its object
// name ("spinWindSpeed" -> "WindSpeed"); a slider and its spin box are
// partners by name ("sliderGreenRho" <-> "spinGreenRho"); a spin box whose
// suffix is "ft" shows feet while the model holds yards, unless its property
// "modelFeet" says the model holds feet too (the altitude).

#include <QString>
#include <QStringList>

class QAbstractSpinBox;
class QObject;
class QSlider;
class QWidget;
class SwingModel;

namespace binding {

// The object name without its leading lower-case letters.
QString keyOfControl(const QString& objectName);

// Display value for a model value, and back (factor 3.0 / 0.3333333333 for
// "ft" spin boxes, 1 otherwise).
double toDisplay(const QObject* control, double v);
double toModel(const QObject* control, double v);

// Set the partner spin box of `slider` (searched among root's children) from
// the slider's value, signals of the partner blocked. Returns the partner's
// object name, or an empty string when there is none.
QString syncSpinFromSlider(QWidget* root, QSlider* slider);
// Set the partner slider of `spin` from the spin box's value (floating-point
// spin boxes map ranges, integer ones copy), signals blocked. Returns the
// partner's object name or an empty string.
QString syncSliderFromSpin(QWidget* root, QAbstractSpinBox* spin);

// For each key: find "spin"+key, else "dial"+key, else "cmb"+key among
// parent's children, read model.getValue(key) and show it (see the controls
// description); signals are not blocked.
void showValues(QWidget* parent, const SwingModel& model, const QStringList& keys);

// The model value a control stands for: a spin box's value, a dial's angle
// turned so that dial 90 is direction 0, a combo box's index (hole numbers
// start at 1 for cmbHoleId); converted with toModel. 0 for other widgets.
double modelValueOf(const QWidget* control);

} // namespace binding
