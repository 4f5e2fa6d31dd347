// The "[ Customize... ]" entry of the hole list: define a hole through HoleDlg.
#include "ControlBinding.h"
#include "DispersionDialog.h"
#include "HoleDlg.h"
#include "Parview.h"
#include "ui_Parview.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>

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

} // namespace

void Parview::customizeHole()
{
    HoleDlg dlg(this);
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
    const auto reselectCurrentHole = [this] {
        ui->cmbHoleId->setCurrentIndex(model.hole.HoleId - 1);
    };

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
    dispersion->clearResults(); // its points lie on the old ground

    if (copy)
        fillHoleCombo();
    else
        reselectCurrentHole();
    onReset();
    modelChanged(model, WindChanged | GreenChanged);
    showShotNumbers(); // the shot stays, the hole it is measured against may not
}
