#include "HoleChoice.h"

#include "ControlBinding.h"
#include "HoleDlg.h"
#include "SwingModel.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

double modelValueOf(const HoleDlg& dlg, const char* spinName)
{
    const auto* spin = dlg.findChild<QDoubleSpinBox*>(QLatin1String(spinName));
    return spin ? binding::toModel(spin, spin->value()) : 0.0;
}

Vector3 modelVectorOf(const HoleDlg& dlg, const char* x, const char* y, const char* z)
{
    return {modelValueOf(dlg, x), modelValueOf(dlg, y), modelValueOf(dlg, z)};
}

const char* const environmentControls[] = {
    "windLabel",     "dialWindDir",     "sliderWindSpeed", "spinWindSpeed", "greenLabel",
    "lblXSlope",     "sliderGreenXRot", "spinGreenXRot",   "lblYSlope",     "sliderGreenYRot",
    "spinGreenYRot", "lblGreenRho",     "sliderGreenRho",  "spinGreenRho",
};

} // namespace

HoleChoice::HoleChoice(SwingModel& model, QComboBox* list, QWidget* window)
    : QObject(window), model(model), list(list), window(window)
{
    connect(list, &QComboBox::currentIndexChanged, this, &HoleChoice::onIndexChanged);
}

void HoleChoice::fill()
{
    const QSignalBlocker blocker(list);
    list->clear();
    for (int i = 1; i <= SwingModel::holeCount(); ++i)
        list->addItem(tr("Hole #%1").arg(i));
    list->addItem(tr("[ Customize... ]"));
    list->setCurrentIndex(model.hole.HoleId - 1);

    // The built-in holes 1 to 3 come with their own wind and green.
    const bool editable = model.hole.HoleId > 3;
    for (const char* name : environmentControls)
        if (auto* w = window->findChild<QWidget*>(QLatin1String(name)))
            w->setEnabled(editable);
}

void HoleChoice::onIndexChanged(int index)
{
    emit aboutToChange();
    if (index == list->count() - 1)
        customize();
    else
        emit chosen();
}

void HoleChoice::customize()
{
    HoleDlg dlg(window);
    binding::showValues(&dlg, model,
                        {QStringLiteral("HolePosX"), QStringLiteral("TreePosX"),
                         QStringLiteral("TreeSizeX"), QStringLiteral("HolePosY"),
                         QStringLiteral("TreePosY"), QStringLiteral("TreeSizeY"),
                         QStringLiteral("HolePosZ"), QStringLiteral("TreePosZ"),
                         QStringLiteral("TreeSizeZ"), QStringLiteral("GreenSize")});

    // The built-in holes 1 to 3 can only be copied, never overwritten.
    if (auto* btnSave = dlg.findChild<QPushButton*>(QStringLiteral("btnSave")))
        btnSave->setEnabled(model.hole.HoleId > 3);

    auto* cmbTreeType = dlg.findChild<QComboBox*>(QStringLiteral("cmbTreeType"));
    if (model.hole.TreeType.empty()) {
        dlg.onTreeChanged(0);
    } else if (cmbTreeType) {
        // An unknown name selects nothing and leaves the tree controls usable.
        cmbTreeType->setCurrentIndex(
            cmbTreeType->findText(QString::fromStdString(model.hole.TreeType),
                                  Qt::MatchExactly | Qt::MatchCaseSensitive));
    }

    // Selecting the current hole's entry runs the ordinary hole selection,
    // which refreshes the wind and green controls and the shot count.
    const auto reselectCurrentHole = [this] { list->setCurrentIndex(model.hole.HoleId - 1); };

    if (dlg.exec() != QDialog::Accepted) {
        reselectCurrentHole();
        return;
    }

    const bool copy = dlg.isCopyRequested();
    const int id = copy ? -1 : model.hole.HoleId;
    std::string treeType;
    if (cmbTreeType && cmbTreeType->currentIndex() != 0)
        treeType = cmbTreeType->currentText().toStdString();
    const Vector3 holePos = modelVectorOf(dlg, "spinHolePosX", "spinHolePosY", "spinHolePosZ");
    const Vector3 treePos = modelVectorOf(dlg, "spinTreePosX", "spinTreePosY", "spinTreePosZ");
    const Vector3 treeSize = modelVectorOf(dlg, "spinTreeSizeX", "spinTreeSizeY", "spinTreeSizeZ");
    const double greenSize = modelValueOf(dlg, "spinGreenSize");

    // The hole is also the green's centre.
    model.defineHole(id, greenSize, holePos, holePos, treePos, treeSize, treeType);
    // As when another hole is chosen: the shot's points belong to the old
    // ground. defineHole itself keeps them, for the reader of data files,
    // which defines the hole before it reads the shot.
    model.clearShots();
    emit redefined();

    if (copy)
        fill();
    else
        reselectCurrentHole();
    emit customized();
}
