// The parameter controls: the generic binding, the slider/spin-box pairs and
// the dial, hole selection, putt mode and the ball-position fields, and the
// distance text.

#include "ControlBinding.h"
#include "test_window_support.h"

#include <QComboBox>
#include <QDial>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <cmath>

namespace {

// ---- the binding on its own widgets

TEST(ControlBinding, KeyIsTheNameWithoutItsLowerCasePrefix)
{
    EXPECT_EQ(binding::keyOfControl("spinWindSpeed"), "WindSpeed");
    EXPECT_EQ(binding::keyOfControl("dialWindDir"), "WindDir");
    EXPECT_EQ(binding::keyOfControl("cmbHoleId"), "HoleId");
    EXPECT_EQ(binding::keyOfControl("sliderTeeZSpin"), "TeeZSpin");
    EXPECT_EQ(binding::keyOfControl("lower"), "");
}

TEST(ControlBinding, OnlyFeetSuffixConverts)
{
    QDoubleSpinBox feet;
    feet.setSuffix(" ft ");
    QDoubleSpinBox yards;
    yards.setSuffix(" yd");
    QLineEdit edit;

    EXPECT_DOUBLE_EQ(binding::toDisplay(&feet, 2.0), 6.0);
    EXPECT_DOUBLE_EQ(binding::toModel(&feet, 30.5), 30.5 * 0.3333333333);
    EXPECT_DOUBLE_EQ(binding::toDisplay(&yards, 2.0), 2.0);
    EXPECT_DOUBLE_EQ(binding::toModel(&yards, 2.0), 2.0);
    EXPECT_DOUBLE_EQ(binding::toModel(&edit, 2.0), 2.0);
    EXPECT_DOUBLE_EQ(binding::toDisplay(nullptr, 2.0), 2.0);
}

// A slider and a floating-point spin box with different ranges, as in the form.
class PartnerPair : public ::testing::Test
{
protected:
    void SetUp() override
    {
        slider = new QSlider(&root);
        slider->setObjectName("sliderGreenRho");
        slider->setRange(0, 131);
        spin = new QDoubleSpinBox(&root);
        spin->setObjectName("spinGreenRho");
        spin->setDecimals(3);
        spin->setRange(0.065, 0.196);
    }
    QWidget root;
    QSlider* slider = nullptr;
    QDoubleSpinBox* spin = nullptr;
};

TEST_F(PartnerPair, SliderMapsOntoTheSpinRangeWithoutSignals)
{
    int signalled = 0;
    QObject::connect(spin, &QDoubleSpinBox::valueChanged, [&] { ++signalled; });
    slider->setValue(66);
    EXPECT_EQ(binding::syncSpinFromSlider(&root, slider), "spinGreenRho");
    EXPECT_NEAR(spin->value(), 0.131, 1e-9);
    EXPECT_EQ(signalled, 0);
    EXPECT_FALSE(spin->signalsBlocked());
}

TEST_F(PartnerPair, SpinMapsOntoTheSliderTruncated)
{
    spin->setDecimals(4);
    spin->setValue(0.1305);
    EXPECT_EQ(binding::syncSliderFromSpin(&root, spin), "sliderGreenRho");
    EXPECT_EQ(slider->value(), 65);
}

// ---- the window's pairs

using Controls = WindowTest;

TEST_F(Controls, SliderMovesSpinBoxAndModel)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3); // hole 4: wind editable
    child<QSlider>("sliderWindSpeed")->setValue(7);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("spinWindSpeed")->value(), 3.5);
    EXPECT_DOUBLE_EQ(model().hole.WindSpeed, 3.5);
}

TEST_F(Controls, SpinBoxMovesSliderTruncated)
{
    child<QDoubleSpinBox>("spinWindSpeed")->setValue(3.7);
    EXPECT_EQ(child<QSlider>("sliderWindSpeed")->value(), 7);
    EXPECT_DOUBLE_EQ(model().hole.WindSpeed, 3.7);
}

TEST_F(Controls, IntegerSpinBoxAndSliderMoveOneToOne)
{
    child<QSpinBox>("spinTeeBackSpin")->setValue(2750);
    EXPECT_EQ(child<QSlider>("sliderTeeBackSpin")->value(), 2750);
    child<QSlider>("sliderTeeZSpin")->setValue(-1200);
    EXPECT_EQ(child<QSpinBox>("spinTeeZSpin")->value(), -1200);
    EXPECT_DOUBLE_EQ(model().TeeBackSpin, 2750.0);
    EXPECT_DOUBLE_EQ(model().TeeSideSpin, -1200.0);
}

TEST_F(Controls, ValueBeyondTheSpinRangeIsShownClampedButKept)
{
    model().setValue("TeeTargetAngle", 45.0);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("spinTeeTargetAngle")->value(), 30.0);
    EXPECT_DOUBLE_EQ(model().TeeTargetAngle, 45.0);
}

struct DialCase
{
    int dial;
    double windDir;
};

class DialToModel : public WindowTest, public ::testing::WithParamInterface<DialCase>
{
};

TEST_P(DialToModel, NinetyOnTheDialIsDownTheHole)
{
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3);
    auto* dial = child<QDial>("dialWindDir");
    if (dial->value() == GetParam().dial)
        dial->setValue(GetParam().dial + 1);
    dial->setValue(GetParam().dial);
    EXPECT_DOUBLE_EQ(model().hole.WindDir, GetParam().windDir);
}

INSTANTIATE_TEST_SUITE_P(Controls, DialToModel,
                         ::testing::Values(DialCase{45, 315.0}, DialCase{90, 0.0},
                                           DialCase{0, 270.0}, DialCase{360, 270.0},
                                           DialCase{180, 90.0}));

class ModelToDial : public WindowTest, public ::testing::WithParamInterface<DialCase>
{
};

TEST_P(ModelToDial, ShowsTheDirectionTurnedBack)
{
    model().setValue("WindDir", GetParam().windDir);
    EXPECT_EQ(child<QDial>("dialWindDir")->value(), GetParam().dial);
}

INSTANTIATE_TEST_SUITE_P(Controls, ModelToDial,
                         ::testing::Values(DialCase{30, 300.0}, DialCase{90, 0.0},
                                           DialCase{360, 270.0}, DialCase{112, 22.5}));

// ---- hole selection

class HoleSelection : public WindowTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(HoleSelection, WindAndGreenAreEditableFromHoleFour)
{
    const int hole = GetParam();
    child<QLabel>("infoShot")->setText("Shot count: 7");
    child<QComboBox>("cmbHoleId")->setCurrentIndex(hole - 1);

    EXPECT_EQ(model().hole.HoleId, hole);
    EXPECT_EQ(child<QComboBox>("cmbHoleId")->currentIndex(), hole - 1);
    EXPECT_EQ(child<QComboBox>("cmbHoleId")->count(), 5);
    EXPECT_EQ(child<QLabel>("infoShot")->text(), "Shot count: 0");
    for (const char* name :
         {"windLabel", "dialWindDir", "sliderWindSpeed", "spinWindSpeed", "greenLabel", "lblXSlope",
          "sliderGreenXRot", "spinGreenXRot", "lblYSlope", "sliderGreenYRot", "spinGreenYRot",
          "lblGreenRho", "sliderGreenRho", "spinGreenRho"})
        EXPECT_EQ(child<QWidget>(name)->isEnabled(), hole > 3) << name;

    // The controls show the hole's own wind and green.
    const HoleInfo& info = holeCatalogue().at(hole);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("spinWindSpeed")->value(), info.WindSpeed);
    EXPECT_DOUBLE_EQ(child<QDoubleSpinBox>("spinGreenYRot")->value(), info.GreenYRot);
}

INSTANTIATE_TEST_SUITE_P(Controls, HoleSelection, ::testing::Values(2, 3, 4));

TEST_F(Controls, NewHoleDropsTheShotFromTheReplayControls)
{
    model().setPoint(0, {0, 0, 0});
    model().setPoint(1, {0, 1, 0});
    model().setCurrentStep(0);
    ASSERT_TRUE(child<QSlider>("time")->isEnabled());

    child<QComboBox>("cmbHoleId")->setCurrentIndex(1);
    EXPECT_FALSE(child<QSlider>("time")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("btnAnimate")->isEnabled());
}

// ---- putt mode and the ball position

TEST_F(Controls, PuttModeFollowsTheGroupBox)
{
    child<QLabel>("info")->setText("old");
    child<QGroupBox>("grpPutt")->setChecked(true);
    EXPECT_TRUE(model().PuttEnabled);
    EXPECT_FALSE(child<QPushButton>("btnSwing")->isEnabled());
    EXPECT_TRUE(child<QWidget>("btnPutt")->isEnabled());
    EXPECT_EQ(child<QLabel>("info")->text(), "");

    model().setPuttEnabled(false);
    EXPECT_FALSE(child<QGroupBox>("grpPutt")->isChecked());
    EXPECT_TRUE(child<QPushButton>("btnSwing")->isEnabled());
}

TEST_F(Controls, TypingAMinusMovesTheBallToZero)
{
    SwingModel& m = model();
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3);
    child<QGroupBox>("grpPutt")->setChecked(true); // the fields are editable in putt mode
    m.setBallPos({2.5, 90.0, 0.0});
    auto* x = child<QLineEdit>("edtBallPosX");
    EXPECT_EQ(x->text(), "2.50");

    x->clear();
    QTest::keyClicks(x, "-");
    EXPECT_EQ(x->text(), "-");
    EXPECT_DOUBLE_EQ(m.ballPos().x, 0.0);
    EXPECT_DOUBLE_EQ(m.ballPos().y, 90.0);

    QTest::keyClicks(x, "1.5");
    EXPECT_DOUBLE_EQ(m.ballPos().x, -1.5);
}

// Under a locale with a decimal comma the fields still take a point, as they
// show one: a comma must not be accepted only to be read as nothing.
class CommaLocale : public WindowTest
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        WindowTest::SetUp();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        QLocale::setDefault(saved);
    }
    QLocale saved;
};

TEST_F(CommaLocale, BallFieldsTakeWhatTheyShow)
{
    SwingModel& m = model();
    child<QGroupBox>("grpPutt")->setChecked(true);
    auto* x = child<QLineEdit>("edtBallPosX");
    x->clear();
    QTest::keyClicks(x, "1,5");
    bool readable = false;
    const double shown = x->text().toDouble(&readable);
    EXPECT_TRUE(readable) << x->text().toStdString();
    EXPECT_DOUBLE_EQ(m.ballPos().x, shown) << x->text().toStdString();
    x->clear();
    QTest::keyClicks(x, "-2.5");
    EXPECT_DOUBLE_EQ(m.ballPos().x, -2.5);
}

TEST_F(Controls, MovingTheBallPutsItOnTheGround)
{
    SwingModel& m = model(); // hole 1: a sloped green at (-15, 154, -7)
    child<QLineEdit>("edtBallPosX")->setText("-14");
    child<QLineEdit>("edtBallPosY")->setText("152");
    const double ground = m.groundHeight(-14, 152);
    EXPECT_DOUBLE_EQ(m.ballPos().z, ground);
    EXPECT_EQ(child<QLineEdit>("edtBallPosZ")->text(), QString::number(ground, 'f', 2));

    // An explicit height is taken as typed.
    child<QLineEdit>("edtBallPosZ")->setText("3.25");
    EXPECT_DOUBLE_EQ(m.ballPos().z, 3.25);
    EXPECT_DOUBLE_EQ(m.ballPos().x, -14.0);
}

TEST_F(Controls, TiltingTheGreenInPuttModeKeepsTheBallOnIt)
{
    SwingModel& m = model();
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3); // hole 4: flat green at (0, 100, 0)
    child<QGroupBox>("grpPutt")->setChecked(true);
    m.setBallPos({2.0, 103.0, 0.0});

    child<QDoubleSpinBox>("spinGreenXRot")->setValue(4.5);
    const double expected = std::round(m.groundHeight(2.0, 103.0) * 100.0) / 100.0;
    EXPECT_NE(expected, 0.0);
    EXPECT_NEAR(m.ballPos().z, expected, 1e-12);
    EXPECT_EQ(child<QLineEdit>("edtBallPosZ")->text(), QString::number(expected, 'f', 2));
    EXPECT_DOUBLE_EQ(m.hole.GreenXRot, 4.5);
}

// ---- the distance text

struct DistanceCase
{
    bool putt;
    double offset; // yards from the hole, across the hole
    const char* text;
};

class DistanceText : public WindowTest, public ::testing::WithParamInterface<DistanceCase>
{
};

TEST_P(DistanceText, UnitFollowsModeAndLength)
{
    SwingModel& m = model();
    child<QComboBox>("cmbHoleId")->setCurrentIndex(3); // hole at (0, 100, 0)
    child<QGroupBox>("grpPutt")->setChecked(GetParam().putt);
    m.setBallPos({GetParam().offset, 100.0, 0.0});
    EXPECT_EQ(child<QLabel>("infoDist")->text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, DistanceText,
    ::testing::Values(DistanceCase{true, 0.2, "Distance to hole: 7.20 inches"},
                      DistanceCase{true, 1.0 / 3.0, "Distance to hole: 1.00 feet"},
                      DistanceCase{true, 0.0, "Distance to hole: 0.00 inches"},
                      DistanceCase{true, 5.0, "Distance to hole: 15.00 feet"},
                      DistanceCase{false, 0.2, "Distance to hole: 0.20 yards"},
                      DistanceCase{false, 120.5, "Distance to hole: 120.50 yards"}));

} // namespace
