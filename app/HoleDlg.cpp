#include "HoleDlg.h"

#include "ControlBinding.h"
#include "WheelNeedsFocus.h"
#include "ui_HoleDlg.h"

#include <QRegularExpression>

HoleDlg::HoleDlg(QWidget* parent) : QDialog(parent), ui(new Ui::HoleDlg)
{
    ui->setupUi(this);
    // The form's size is too narrow for "-40.00 yd" in common fonts; grow to
    // fit rather than cut the unit off.
    resize(size().expandedTo(sizeHint()));

    for (QSlider* slider : findChildren<QSlider*>())
        connect(slider, &QSlider::valueChanged, this, &HoleDlg::onSliderChanged);
    for (QDoubleSpinBox* spin : findChildren<QDoubleSpinBox*>())
        connect(spin, &QDoubleSpinBox::valueChanged, this, &HoleDlg::onSpinnerChanged);
    connect(ui->btnSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnSaveCopy, &QPushButton::clicked, this, &HoleDlg::acceptCopy);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Only the user's choice: the caller selects the hole's tree without
    // touching the enabled state.
    connect(ui->cmbTreeType, &QComboBox::activated, this, &HoleDlg::onTreeChanged);
    WheelNeedsFocus::installOnValueControls(this);
}

HoleDlg::~HoleDlg()
{
    delete ui;
}

void HoleDlg::acceptCopy()
{
    copyRequested = true;
    accept();
}

void HoleDlg::onTreeChanged(int index)
{
    static const QRegularExpression treePos(
        QRegularExpression::wildcardToRegularExpression(QStringLiteral("*TreePos*")));
    static const QRegularExpression treeSize(
        QRegularExpression::wildcardToRegularExpression(QStringLiteral("*TreeSize*")));

    const bool hasTree = index >= 1;
    for (QWidget* child : findChildren<QWidget*>()) {
        const QString name = child->objectName();
        if (treePos.match(name).hasMatch() || treeSize.match(name).hasMatch())
            child->setEnabled(hasTree);
    }
}

void HoleDlg::onSliderChanged(int)
{
    if (auto* slider = qobject_cast<QSlider*>(sender()))
        binding::syncSpinFromSlider(this, slider);
}

void HoleDlg::onSpinnerChanged(double)
{
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(sender()))
        binding::syncSliderFromSpin(this, spin);
}
