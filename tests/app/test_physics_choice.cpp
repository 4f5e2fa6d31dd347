// The Physics choice in the window: remembered, overruled by QMX_SWING_MODE,
// the air's controls enabled only in the realistic physics, Trajex's words,
// and Swing, Sweep..., Dispersion..., Make % and the Shot data panel
// following it.

#include "DispersionDialog.h"
#include "PhysicsChoice.h"
#include "ShotDataPanel.h"
#include "test_window_support.h"

using quillmoor::ShotMode;

namespace {

QString lastRow(const QTableWidget* t, int column = 0)
{
    return t->item(t->rowCount() - 1, column)->text();
}

class Physics : public WindowTest
{
protected:
    void SetUp() override
    {
        QSettings().remove(QLatin1String(PhysicsChoice::settingsKey));
        saved = qgetenv("QMX_SWING_MODE");
        hadMode = qEnvironmentVariableIsSet("QMX_SWING_MODE");
        qunsetenv("QMX_SWING_MODE");
        WindowTest::SetUp();
    }
    void TearDown() override
    {
        hadMode ? qputenv("QMX_SWING_MODE", saved) : qunsetenv("QMX_SWING_MODE");
        QSettings().remove(QLatin1String(PhysicsChoice::settingsKey));
    }
    QComboBox* list() const { return child<QComboBox>("cmbPhysics"); }
    // The air's six controls, all enabled or all not.
    bool airEnabled() const
    {
        int on = 0;
        for (const char* name : {"spinTemperature", "sliderTemperature", "spinAltitude",
                                 "sliderAltitude", "spinHumidity", "sliderHumidity"})
            on += child<QWidget>(name)->isEnabled();
        EXPECT_TRUE(on == 0 || on == 6) << on;
        return on == 6;
    }
    QTableWidget* shotTable() const { return window->findChild<ShotDataPanel*>()->table(); }

    QByteArray saved;
    bool hadMode = false;
};

} // namespace

TEST_F(Physics, ComplexUntilChosenThenRemembered)
{
    EXPECT_EQ(list()->currentText(), "Complex");
    EXPECT_FALSE(airEnabled());

    choose(list(), "Realistic");
    EXPECT_TRUE(airEnabled());
    // The air's controls hold the model's air, the altitude in feet as the
    // model does.
    child<QDoubleSpinBox>("spinAltitude")->setValue(5000);
    EXPECT_EQ(model().Altitude, 5000);
    model().setValue("Temperature", 40);
    EXPECT_EQ(child<QDoubleSpinBox>("spinTemperature")->value(), 40);
    newWindow();
    EXPECT_EQ(list()->currentText(), "Realistic");
    EXPECT_TRUE(airEnabled());

    // A batch window keeps the physics it always had, whatever was chosen.
    QComboBox batchList;
    PhysicsChoice batch(&batchList, {}, false);
    EXPECT_EQ(batch.physics(), ShotMode::Complex);
    EXPECT_EQ(batch.trajexMode(), "");
    // Something else stored under the key is the default.
    QSettings().setValue(QLatin1String(PhysicsChoice::settingsKey), "magic");
    newWindow();
    EXPECT_EQ(list()->currentText(), "Complex");
}

// QMX_SWING_MODE, when it holds a word, wins and says so.
TEST_F(Physics, TheVariableWinsAndIsNamed)
{
    choose(list(), "Realistic");
    qputenv("QMX_SWING_MODE", "simple noResults");
    newWindow();
    EXPECT_FALSE(list()->isEnabled());
    EXPECT_FALSE(airEnabled());
    auto* choice = window->findChild<PhysicsChoice*>();
    EXPECT_EQ(choice->physics(), ShotMode::Simple);
    EXPECT_EQ(choice->trajexMode(), "simple noResults");

    qputenv("QMX_SWING_MODE", "  "); // no word: the choice stands
    newWindow();
    EXPECT_EQ(list()->currentText(), "Realistic");
    EXPECT_EQ(QSettings().value(PhysicsChoice::settingsKey).toString(), "realistic");
}

// A hidden window runs the real Trajex at once: the shot is the one the
// physics chosen gives, and the panel names it; a shot from a file names none.
TEST_F(Physics, SwingRunsThePhysicsChosenAndThePanelSaysWhich)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3);
    for (const char* name : {"Realistic", "Simple", "Complex"}) {
        SCOPED_TRACE(name);
        choose(list(), name);
        SwingModel expected(false);
        expected = model();
        expected.notifyEnabled = false;
        const ShotMode mode = window->findChild<PhysicsChoice*>()->physics();
        ASSERT_TRUE(quillmoor::runShot(expected, mode));
        child<QPushButton>("btnSwing")->click();
        ASSERT_EQ(window->messages(), QStringList());
        ASSERT_EQ(model().teeShot.size(), expected.teeShot.size());
        EXPECT_NEAR(model().teeShot.back().second.y, expected.teeShot.back().second.y, 1e-6);
        EXPECT_EQ(lastRow(shotTable()), name);
    }
    QTemporaryDir dir;
    const QString file = dir.filePath("shot.txt");
    ASSERT_TRUE(model().write(file.toStdString()));
    window->loadModel(file);
    EXPECT_EQ(lastRow(shotTable()), QStringLiteral("\u2013"));
}

// Dispersion... and Make % play the physics chosen, and the variable wins
// over the choice for them as for Swing.
TEST_F(Physics, DispersionAndMakePercentRunThePhysicsChosen)
{
    auto* dispersion = window->findChild<DispersionDialog*>();
    ASSERT_NE(dispersion, nullptr);
    dispersion->setShots(20);
    const auto played = [&](const std::function<void()>& start) {
        start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dispersion->isRunning(); }, 20000));
        const auto run = dispersion->result();
        EXPECT_TRUE(run && run->stats.ran == 20);
        return run ? run->setup.mode : ShotMode::Complex;
    };
    choose(list(), "Realistic");
    EXPECT_EQ(played([&] { dispersion->run(); }), ShotMode::Realistic);
    qputenv("QMX_SWING_MODE", "simple");
    EXPECT_EQ(played([&] { dispersion->run(); }), ShotMode::Simple);
    qunsetenv("QMX_SWING_MODE");

    window->loadModel(QUILLMOOR_EXAMPLES "/hole1-putt.txt");
    ASSERT_TRUE(model().PuttEnabled);
    choose(list(), "Simple");
    EXPECT_EQ(played([&] { dispersion->makePercent(); }), ShotMode::Simple);
}
