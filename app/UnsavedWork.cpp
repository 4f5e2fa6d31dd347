#include "UnsavedWork.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("UnsavedWork", text);
}

} // namespace

UnsavedWork::UnsavedWork(const SwingModel& model)
{
    markReset(model);
}

void UnsavedWork::markSaved(const SwingModel& model)
{
    savedHole = model.hole;
    savedSettings = settingsOf(model);
}

void UnsavedWork::markReset(const SwingModel& model)
{
    holesAtStart = holeCatalogue();
    savedHole.reset();
    savedSettings = settingsOf(model);
}

std::string UnsavedWork::settingsOf(const SwingModel& model)
{
    SwingModel settings(false);
    settings = model; // sends nothing
    settings.notifyEnabled = false;
    settings.teeShot.clear();
    settings.puttShot.clear();
    settings.teeStep = settings.puttStep = -1;
    settings.FirstImpact = -1;
    settings.exitCode = 0;
    settings.BallPos = Vector3();
    settings.fileName.clear();
    return settings.toText(true);
}

std::vector<int> UnsavedWork::changedHoles() const
{
    std::vector<int> ids;
    for (const auto& [id, hole] : holeCatalogue()) {
        const auto start = holesAtStart.find(id);
        if (start != holesAtStart.end() && start->second == hole)
            continue;
        if (savedHole && *savedHole == hole)
            continue;
        ids.push_back(id);
    }
    return ids;
}

bool UnsavedWork::settingsChanged(const SwingModel& model) const
{
    return settingsOf(model) != savedSettings;
}

QString UnsavedWork::lossText(const SwingModel& model) const
{
    QStringList lost;
    const std::vector<int> holes = changedHoles();
    if (!holes.empty()) {
        QStringList names;
        for (int id : holes)
            names << tr("#%1").arg(id);
        lost << (holes.size() == 1 ? tr("hole %1, defined or changed in this session")
                                   : tr("holes %1, defined or changed in this session"))
                    .arg(names.join(QStringLiteral(", ")));
    }
    if (settingsChanged(model))
        lost << settingsLoss(model);
    if (lost.isEmpty())
        return QString();
    return tr("Reset returns to the built-in holes with every value at its default. It "
              "throws away:\n") +
           QStringLiteral("\u2022 ") + lost.join(QStringLiteral("\n\u2022 "));
}

QString UnsavedWork::settingsLoss(const SwingModel& model)
{
    const QString file = QFileInfo(QString::fromStdString(model.fileName)).fileName();
    return file.isEmpty() ? tr("the values you changed, not saved")
                          : tr("the changes to %1, not saved").arg(file);
}

bool UnsavedWork::confirmReset(QWidget* parent, const SwingModel& model) const
{
    return confirm(parent, tr("Reset"), lossText(model));
}

bool UnsavedWork::confirmOpen(QWidget* parent, const SwingModel& model) const
{
    if (!settingsChanged(model))
        return true;
    return confirm(parent, tr("Open"),
                   tr("Open replaces the model with the one of the file. It throws away:\n") +
                       QStringLiteral("\u2022 ") + settingsLoss(model));
}

bool UnsavedWork::confirm(QWidget* parent, const QString& action, const QString& loss)
{
    if (loss.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Warning, action, loss, QMessageBox::NoButton, parent);
    box.setInformativeText(tr("Save first to keep them."));
    QPushButton* go = box.addButton(action, QMessageBox::DestructiveRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    return box.clickedButton() == go;
}
