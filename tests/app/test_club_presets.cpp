// The tee shot's Bag and Club choices and Save to bag...: presets fill the
// controls and "Custom" appears on an edit, a bag saved comes back the same
// in the next window, and a broken bag is reported and left as it was.

#include "ClubBag.h"
#include "ClubPresets.h"
#include "test_window_support.h"

#include <QDialogButtonBox>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStandardPaths>

namespace {

// Fills the Save to bag dialog and presses Save.
ModalAnswer saveAs(const QString& bag, const QString& club)
{
    return [bag, club](QWidget* w) {
        auto* bagName = w->findChild<QComboBox*>("saveBag");
        auto* clubName = w->findChild<QLineEdit*>("saveClub");
        ASSERT_TRUE(bagName && clubName) << w->windowTitle().toStdString();
        bagName->setCurrentText(bag);
        clubName->setText(club);
        w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->click();
    };
}

ModalAnswer press(const QString& button, QString* text = nullptr)
{
    return [button, text](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << w->windowTitle().toStdString();
        if (text)
            *text = box->text();
        for (QAbstractButton* b : box->buttons())
            if (b->text() == button)
                b->click();
    };
}

class Clubs : public WindowTest
{
protected:
    void SetUp() override
    {
        QSettings().remove(QLatin1String(ClubPresets::bagKey));
        QDir(ClubPresets::userDir()).removeRecursively();
        WindowTest::SetUp();
    }
    void putBag(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(ClubPresets::userDir());
        writeFile(bagFile(name), bytes);
    }
    void TearDown() override { QDir(ClubPresets::userDir()).removeRecursively(); }
    QComboBox* bags() const { return child<QComboBox>("cmbBag"); }
    QComboBox* clubs() const { return child<QComboBox>("cmbClub"); }
    double value(const char* name) const
    {
        if (auto* spin = window->findChild<QSpinBox*>(QLatin1String(name)))
            return spin->value();
        return child<QDoubleSpinBox>(name)->value();
    }
    QString bagFile(const QString& name) const
    {
        return ClubPresets::userDir() + "/" + name + ".csv";
    }
};

} // namespace

TEST_F(Clubs, APresetFillsTheLaunchAndAnEditMakesItCustom)
{
    EXPECT_EQ(bags()->currentText(), "tour-men (installed)");
    EXPECT_EQ(clubs()->currentText(), "Custom"); // 110 mph, 45 deg: no tour club
    child<QSpinBox>("spinTeeZSpin")->setValue(1500);

    choose(clubs(), "Driver");
    EXPECT_EQ(value("spinTeeClubSpeed"), 167);
    EXPECT_EQ(value("spinTeeBackSpin"), 2686);
    EXPECT_EQ(value("spinTeeZSpin"), 0);

    // The player's curve and aim leave the club as it is; its numbers do not.
    child<QSpinBox>("spinTeeZSpin")->setValue(-800);
    child<QDoubleSpinBox>("spinTeeTargetAngle")->setValue(3);
    EXPECT_EQ(clubs()->currentText(), "Driver");
    for (const char* control : {"spinTeeClubSpeed", "spinTeeLaunchAngle", "spinTeeBackSpin"}) {
        SCOPED_TRACE(control);
        choose(clubs(), "7-iron");
        ASSERT_EQ(clubs()->currentText(), "7-iron");
        if (auto* spin = window->findChild<QSpinBox*>(control))
            spin->setValue(spin->value() + 1);
        else
            child<QDoubleSpinBox>(control)->stepUp();
        EXPECT_EQ(clubs()->currentText(), "Custom");
    }

    // A model opened holds numbers of no club.
    window->loadModel(QUILLMOOR_EXAMPLES "/hole2-teeshot.txt");
    EXPECT_EQ(clubs()->currentText(), "Custom");
}

// Saved, then read again by a new window: the same bag chosen, the same numbers.
TEST_F(Clubs, ABagRoundTrip)
{
    child<QDoubleSpinBox>("spinTeeClubSpeed")->setValue(151.25);
    child<QDoubleSpinBox>("spinTeeLaunchAngle")->setValue(12.5);
    child<QSpinBox>("spinTeeBackSpin")->setValue(2950);
    EXPECT_EQ(answerModals([&] { child<QPushButton>("btnSaveToBag")->click(); },
                           {saveAs("Mine", "My driver")}),
              1);
    EXPECT_EQ(readAll(bagFile("Mine")),
              "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm\nMy driver,151.25,12.5,2950\n");
    EXPECT_EQ(clubs()->currentText(), "My driver");

    newWindow();
    EXPECT_EQ(bags()->currentText(), "Mine"); // remembered
    ASSERT_EQ(clubs()->count(), 2); // Custom and the club
    choose(clubs(), "My driver");
    EXPECT_EQ(value("spinTeeClubSpeed"), 151.25);
    EXPECT_EQ(model().TeeLaunchAngle, 12.5);
}

// Replacing a club of that name asks first; no leaves the bag as it was.
TEST_F(Clubs, ReplacingAClubAsksFirst)
{
    putBag("Mine", "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm,notes\r\n"
                               "Driver,150,13,3100,windy\r\n");
    newWindow();
    choose(bags(), "Mine");
    child<QDoubleSpinBox>("spinTeeClubSpeed")->setValue(155);
    const QByteArray before = readAll(bagFile("Mine"));
    QString question;
    EXPECT_EQ(answerModals([&] { child<QPushButton>("btnSaveToBag")->click(); },
                           {saveAs("Mine", "Driver"), press("Cancel", &question)}),
              2);
    EXPECT_TRUE(question.contains("Mine already has a club named Driver (150.00 mph"))
        << question.toStdString();
    EXPECT_EQ(readAll(bagFile("Mine")), before);

    EXPECT_EQ(answerModals([&] { child<QPushButton>("btnSaveToBag")->click(); },
                           {saveAs("Mine", "Driver"), press("Replace")}),
              2);
    EXPECT_EQ(readAll(bagFile("Mine")),
              "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm,notes\r\n"
              "Driver,155,45,4000,windy\r\n");
    EXPECT_EQ(clubs()->currentText(), "Driver");
}

// A broken bag is named with its line, cannot be chosen or written, and is
// left as it was; the other bags work.
TEST_F(Clubs, ABrokenBagIsReportedAndLeftUntouched)
{
    const QByteArray broken = "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm\n"
                              "Driver,150,13,3100\n"
                              "Iron,120,seventeen,7000\n";
    putBag("broken", broken);
    putBag("good", "club,ball_speed_mph,launch_angle_deg,spin_rate_rpm\n"
                               "Driver,150,13,3100\n");
    newWindow();
    const int at = bags()->findText("broken (cannot be read)");
    EXPECT_FALSE(qobject_cast<QStandardItemModel*>(bags()->model())->item(at)->isEnabled());

    choose(bags(), "good");
    choose(clubs(), "Driver");
    EXPECT_EQ(model().TeeBallSpeed, 150);

    // Save to bag... will not write over it.
    QString problem;
    bool saveEnabled = true;
    bool whole = false;
    EXPECT_EQ(
        answerModals(
            [&] { child<QPushButton>("btnSaveToBag")->click(); }, {[&](QWidget* w) {
                w->findChild<QComboBox*>("saveBag")->setCurrentText("broken");
                w->findChild<QLineEdit*>("saveClub")->setText("Wood");
                auto* label = w->findChild<QLabel*>("saveProblem");
                problem = label->text();
                whole = label->height() >= label->heightForWidth(label->width());
                saveEnabled =
                    w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save)->isEnabled();
            }}),
        1);
    EXPECT_FALSE(saveEnabled);
    EXPECT_TRUE(whole); // the dialog grows to show the whole reason
    EXPECT_TRUE(problem.contains("broken.csv cannot be read cleanly")) << problem.toStdString();
    EXPECT_EQ(readAll(bagFile("broken")), broken);
    // A shown window says so once it is up.
    QString text;
    answerModals(
        [&] {
            window->show();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }, 3000));
        },
        {[&](QWidget* w) { text = qobject_cast<QMessageBox*>(w)->text(); }});
    EXPECT_TRUE(text.contains(bagFile("broken") + ": line 3: launch_angle_deg"))
        << text.toStdString();
}

// Shotlab finds the user's bags where Parview keeps them, without Qt.
TEST(ClubsPlace, ShotlabAndParviewAgreeOnTheUsersBags)
{
    const QString app = QCoreApplication::applicationName();
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    QStandardPaths::setTestModeEnabled(false);
    QCoreApplication::setApplicationName("Parview");
    for (const char* data : {"/tmp/somewhere/data", ""}) {
        data[0] ? qputenv("XDG_DATA_HOME", data) : qunsetenv("XDG_DATA_HOME");
        EXPECT_EQ(QDir::cleanPath(ClubPresets::userDir()).toStdString(),
                  quillmoor::lab::userBagsDir())
            << data;
    }
    QCoreApplication::setApplicationName(app);
    QStandardPaths::setTestModeEnabled(true);
    hadXdg ? qputenv("XDG_DATA_HOME", xdg) : qunsetenv("XDG_DATA_HOME");
}
