// The parameter controls: slider/spin-box pairs, the wind dial, hole
// selection, putt mode, the ball fields and the distance text.

#include "test_window_support.h"

#include <QDial>
#include <QSpinBox>
#include <cmath>
#include <string>
#include <tuple>

namespace {

using Controls = WindowTest;

// Each pair moves together and sets the model: the wind's slider in steps of
// 0.5 mph (a value between steps truncated), the spins' one to one.
TEST_F(Controls, SliderAndSpinBoxMoveTogetherAndSetTheModel)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3); // hole 4: wind editable
    // spin box, slider, value typed, the slider's tick for it, a tick, its value
    const std::tuple<const char*, const char*, double, int, int, double> rows[] = {
        {"WindSpeed", "sliderWindSpeed", 3.7, 7, 9, 4.5},
        {"TeeZSpin", "sliderTeeZSpin", -1500, -1500, -1499, -1499}};
    for (const auto& [key, sliderName, value, tick, other, otherValue] : rows) {
        SCOPED_TRACE(key);
        auto* spin = child<QAbstractSpinBox>(("spin" + std::string(key)).c_str());
        auto* slider = child<QSlider>(sliderName);
        spin->setProperty("value", value);
        EXPECT_EQ(slider->value(), tick);
        EXPECT_DOUBLE_EQ(model().getValue(key), value);
        slider->setValue(other);
        EXPECT_DOUBLE_EQ(spin->property("value").toDouble(), otherValue);
        EXPECT_DOUBLE_EQ(model().getValue(key), otherValue);
    }
}

TEST_F(Controls, NinetyOnTheDialIsDownTheHole)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3); // hole 4: dial at 180
    auto* dial = child<QDial>("dialWindDir");
    for (const auto& [value, dir] : {std::pair(45, 315.0), {180, 90.0}}) {
        dial->setValue(value);
        EXPECT_DOUBLE_EQ(model().hole.WindDir, dir) << value;
    }
    for (const auto& [value, dir] : {std::pair(30, 300.0), {112, 22.5}}) {
        model().setValue("WindDir", dir);
        EXPECT_EQ(dial->value(), value) << dir;
    }
}

TEST_F(Controls, WindAndGreenAreEditableFromHoleFour)
{
    for (const int hole : {3, 4}) {
        child<QLabel>("infoShot")->setText("Shot count: 7");
        child<QComboBox>("cmbHoleId")->setCurrentIndex(hole - 1);
        EXPECT_EQ(model().hole.HoleId, hole);
        EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 0");
        for (const char* name : {"dialWindDir", "spinWindSpeed", "spinGreenYRot", "sliderGreenRho"})
            EXPECT_EQ(child<QWidget>(name)->isEnabled(), hole > 3) << name;
    }
}

TEST_F(Controls, BallFieldsKeepTheBallOnTheGround)
{
    SwingModel& m = model();
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3); // hole 4: flat green at (0, 100, 0)
    child<QGroupBox>("grpPutt")->setChecked(true);     // the fields are editable in putt mode
    auto* x = child<QLineEdit>("edtBallPosX");
    auto* z = child<QLineEdit>("edtBallPosZ");

    // Tilting the green under the ball moves it to the new ground, to 2 decimals.
    m.setBallPos({2.0, 103.0, 0.0});
    child<QDoubleSpinBox>("spinGreenXRot")->setValue(4.5);
    const double tilted = std::round(m.groundHeight(2.0, 103.0) * 100.0) / 100.0;
    EXPECT_NE(tilted, 0.0);
    EXPECT_NEAR(m.ballPos().z, tilted, 1e-12);
    EXPECT_EQ(z->text(), QString::number(tilted, 'f', 2));

    // Moving it across puts it on the ground.
    x->setText("-3");
    EXPECT_DOUBLE_EQ(m.ballPos().z, m.groundHeight(-3.0, 103.0));

    // A lone minus sign while typing counts as 0.
    x->selectAll();
    QTest::keyClicks(x, "-");
    EXPECT_EQ(x->text(), "-");
    EXPECT_DOUBLE_EQ(m.ballPos().x, 0.0);
}

TEST_F(Controls, PuttModeAndDistanceText)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3); // hole at (0, 100, 0)
    const std::tuple<bool, double, const char*> rows[] = {
        {true, 0.2, "Distance to hole: 7.20 inches"}, // 0.2 yd across the hole
        {true, 1.0 / 3.0, "Distance to hole: 1.00 feet"},
        {false, 0.2, "Distance to hole: 0.20 yards"}};
    for (const auto& [putt, offset, text] : rows) {
        child<QGroupBox>("grpPutt")->setChecked(putt);
        EXPECT_EQ(child<QPushButton>("btnSwing")->isEnabled(), !putt);
        model().setBallPos({offset, 100.0, 0.0});
        EXPECT_EQ(child<QLabel>("infoDist")->text(), text);
    }
}

} // namespace
