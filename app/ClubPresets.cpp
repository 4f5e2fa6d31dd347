#include "ClubPresets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

using namespace quillmoor::lab;

const char* const ClubPresets::bagKey = "clubs/bag";

namespace {

QString fromPath(const std::string& path)
{
    return QString::fromStdString(path);
}

// The model holds the club's numbers, to the controls' precision: a value
// typed into a control as the club has it matches.
bool holds(const SwingModel& m, const Club& c)
{
    return std::fabs(m.TeeBallSpeed - c.speedMph) < 0.005 &&
           std::fabs(m.TeeLaunchAngle - c.launchDeg) < 0.005 &&
           std::fabs(m.TeeBackSpin - c.spinRpm) < 0.5;
}

QString launchText(double speed, double launch, double spin)
{
    return QCoreApplication::translate("ClubPresets", "%1 mph, %2 deg, %3 rpm")
        .arg(QString::number(speed, 'f', 2), QString::number(launch, 'f', 2),
             QString::number(spin, 'f', 0));
}

} // namespace

ClubPresets::ClubPresets(SwingModel& model, const Controls& controls, QWidget* window)
    : QObject(window), model(model), controls(controls), window(window)
{
    connect(controls.bag, &QComboBox::activated, this, &ClubPresets::bagChosen);
    connect(controls.club, &QComboBox::activated, this, &ClubPresets::clubChosen);
    connect(controls.save, &QPushButton::clicked, this, &ClubPresets::saveToBag);
    reload();
}

QString ClubPresets::userDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/clubs");
}

void ClubPresets::reload()
{
    bags.clear();
    troubles.clear();
    std::vector<BagFile> files = bagsIn(installedClubsDir(), true);
    const std::vector<BagFile> own = bagsIn(QFile::encodeName(userDir()).toStdString(), false);
    files.insert(files.end(), own.begin(), own.end());
    for (const BagFile& f : files) {
        Bag b;
        b.file = f;
        b.name = f.installed ? tr("%1 (installed)").arg(fromPath(f.name)) : fromPath(f.name);
        std::string error;
        if (readClubBag(f.path, b.clubs, error) != BagError::None) {
            b.name = tr("%1 (cannot be read)").arg(b.name);
            b.problem = fromPath(error);
            troubles << fromPath(f.path) + QStringLiteral(": ") + b.problem;
        }
        bags.push_back(std::move(b));
    }
    QString chosen = QSettings().value(QLatin1String(bagKey)).toString();
    if (chosen.isEmpty())
        chosen = fromPath(defaultBagPath());
    fillBags(chosen);
}

void ClubPresets::fillBags(const QString& choose)
{
    QComboBox* list = controls.bag;
    {
        const QSignalBlocker blocker(list);
        list->clear();
        auto* items = qobject_cast<QStandardItemModel*>(list->model());
        int chosen = -1;
        int firstGood = -1;
        for (int i = 0; i < static_cast<int>(bags.size()); ++i) {
            const Bag& b = bags[static_cast<std::size_t>(i)];
            const QString path = fromPath(b.file.path);
            list->addItem(b.name, path);
            if (!b.problem.isEmpty()) {
                // Seen, with its reason, but not to be chosen.
                if (items)
                    items->item(i)->setEnabled(false);
                list->setItemData(i, tr("Cannot be used: %1: %2").arg(path, b.problem),
                                  Qt::ToolTipRole);
                continue;
            }
            list->setItemData(i, path, Qt::ToolTipRole);
            if (firstGood < 0)
                firstGood = i;
            if (chosen < 0 && QDir::cleanPath(path) == QDir::cleanPath(choose))
                chosen = i;
        }
        list->setCurrentIndex(chosen >= 0 ? chosen : firstGood);
    }
    listClubs();
}

const ClubPresets::Bag* ClubPresets::currentBag() const
{
    const int i = controls.bag->currentIndex();
    if (i < 0 || i >= static_cast<int>(bags.size()) ||
        !bags[static_cast<std::size_t>(i)].problem.isEmpty())
        return nullptr;
    return &bags[static_cast<std::size_t>(i)];
}

void ClubPresets::bagChosen(int)
{
    // Only the user's choice is remembered, not what a missing bag fell back to.
    if (const Bag* bag = currentBag())
        QSettings().setValue(QLatin1String(bagKey), fromPath(bag->file.path));
    listClubs();
}

void ClubPresets::listClubs()
{
    const Bag* bag = currentBag();
    QComboBox* list = controls.club;
    {
        const QSignalBlocker blocker(list);
        list->clear();
        list->addItem(tr("Custom"));
        list->setItemData(0, tr("Numbers of no club of the bag"), Qt::ToolTipRole);
        if (bag) {
            for (const Club& c : bag->clubs.clubs) {
                list->addItem(fromPath(c.name));
                list->setItemData(list->count() - 1, launchText(c.speedMph, c.launchDeg, c.spinRpm),
                                  Qt::ToolTipRole);
            }
        }
    }
    showClub();
}

void ClubPresets::clubChosen(int index)
{
    const Bag* bag = currentBag();
    if (!bag || index <= 0 || index > static_cast<int>(bag->clubs.clubs.size())) {
        showClub(); // "Custom" is what the numbers are, not something to choose
        return;
    }
    const Club& c = bag->clubs.clubs[static_cast<std::size_t>(index - 1)];
    model.TeeBallSpeed = c.speedMph;
    model.TeeLaunchAngle = c.launchDeg;
    model.TeeBackSpin = c.spinRpm;
    model.TeeSideSpin = 0.0;
    model.notify(TeeShotChanged);
}

void ClubPresets::modelChanged(SwingModel& m, ChangeFlags flags)
{
    if (&m == &model && (flags & TeeShotChanged))
        showClub();
}

void ClubPresets::showClub()
{
    int index = 0;
    if (const Bag* bag = currentBag()) {
        for (std::size_t i = 0; i < bag->clubs.clubs.size(); ++i) {
            if (holds(model, bag->clubs.clubs[i])) {
                index = static_cast<int>(i) + 1;
                break;
            }
        }
    }
    const QSignalBlocker blocker(controls.club);
    controls.club->setCurrentIndex(index);
}

void ClubPresets::saveToBag()
{
    QDialog dialog(window);
    dialog.setWindowTitle(tr("Save to bag"));
    auto* bagName = new QComboBox(&dialog);
    bagName->setObjectName(QStringLiteral("saveBag"));
    bagName->setEditable(true);
    bagName->setInsertPolicy(QComboBox::NoInsert);
    for (const Bag& b : bags)
        if (!b.file.installed && b.problem.isEmpty())
            bagName->addItem(b.name);
    const Bag* bag = currentBag();
    if (bag && !bag->file.installed)
        bagName->setCurrentText(bag->name);
    else if (bagName->count() == 0)
        bagName->setCurrentText(tr("My bag"));
    auto* clubName = new QLineEdit(&dialog);
    clubName->setObjectName(QStringLiteral("saveClub"));
    if (bag && controls.club->currentIndex() > 0)
        clubName->setText(controls.club->currentText());
    auto* problem = new QLabel(&dialog);
    problem->setObjectName(QStringLiteral("saveProblem"));
    problem->setStyleSheet(QStringLiteral("color: #b00020;"));
    problem->setWordWrap(true);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(
        tr("The launch: %1")
            .arg(launchText(model.TeeBallSpeed, model.TeeLaunchAngle, model.TeeBackSpin)),
        &dialog));
    form->addRow(tr("Bag:"), bagName);
    form->addRow(tr("Club:"), clubName);
    form->addRow(problem);
    form->addRow(buttons);

    // Names that cannot be used, and a broken bag, are said before Save.
    auto check = [&] {
        std::string why;
        const std::string b = bagName->currentText().trimmed().toStdString();
        const std::string c = clubName->text().trimmed().toStdString();
        QString text;
        if (!isBagName(b, why) || !isClubName(c, why))
            text = fromPath(why);
        else if (clubName->text().trimmed().compare(tr("Custom"), Qt::CaseInsensitive) == 0)
            text = tr("\"Custom\" stands for numbers of no club; choose another name.");
        for (const Bag& other : bags)
            if (!other.file.installed && fromPath(other.file.name) == bagName->currentText().trimmed() &&
                !other.problem.isEmpty())
                text = tr("%1 cannot be read cleanly (%2): nothing is written over it.")
                           .arg(fromPath(other.file.path), other.problem);
        problem->setText(text);
        buttons->button(QDialogButtonBox::Save)->setEnabled(text.isEmpty());
        // The form does not grow a shown dialog for a wrapped reason by itself.
        if (dialog.isVisible() && form->hasHeightForWidth())
            dialog.resize(dialog.width(),
                          std::max(dialog.height(), form->totalHeightForWidth(dialog.width())));
    };
    connect(bagName, &QComboBox::editTextChanged, &dialog, check);
    connect(clubName, &QLineEdit::textChanged, &dialog, check);
    check();
    if (dialog.exec() != QDialog::Accepted)
        return;
    save(bagName->currentText().trimmed(), clubName->text().trimmed());
}

bool ClubPresets::save(const QString& bagName, const QString& clubName)
{
    const QString path = QDir(userDir()).filePath(bagName + QStringLiteral(".csv"));
    const std::string file = QFile::encodeName(path).toStdString();
    const Club club{clubName.toStdString(), model.TeeBallSpeed, model.TeeLaunchAngle,
                    model.TeeBackSpin};
    std::string text, error;
    bool replaced = false;
    if (bagWithClub(file, club, text, replaced, error) != BagError::None) {
        say(tr("%1 cannot be read cleanly, so nothing was written over it:\n%1: %2")
                .arg(path, fromPath(error)));
        reload();
        return false;
    }
    if (replaced) {
        ClubBag old;
        std::string ignored;
        readClubBag(file, old, ignored);
        const Club* was = old.find(club.name);
        QMessageBox box(
            QMessageBox::Question, tr("Save to bag"),
            tr("%1 already has a club named %2 (%3). Replace it with %4?")
                .arg(bagName, clubName,
                     was ? launchText(was->speedMph, was->launchDeg, was->spinRpm) : QString(),
                     launchText(club.speedMph, club.launchDeg, club.spinRpm)),
            QMessageBox::NoButton, window);
        QPushButton* replace = box.addButton(tr("Replace"), QMessageBox::DestructiveRole);
        box.setDefaultButton(box.addButton(QMessageBox::Cancel));
        box.exec();
        if (box.clickedButton() != replace)
            return false;
    }
    if (!writeBag(file, text, error)) {
        say(tr("The bag could not be written: %1\n%2").arg(path, fromPath(error)));
        return false;
    }
    QSettings().setValue(QLatin1String(bagKey), path);
    reload();
    return true;
}

void ClubPresets::say(const QString& text) const
{
    QMessageBox::warning(window, tr("Bags of clubs"), text, QMessageBox::Ok);
}
