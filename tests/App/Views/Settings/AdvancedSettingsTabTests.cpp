#include "App/Views/Settings/AdvancedSettingsTab.h"

#include "App/Views/Settings/SettingsFixture.h"

#include <QSlider>
#include <QSpinBox>

using QEL::AdvancedSettingsTab;

namespace {

using AdvancedSettingsTabTest = SettingsTest;

} // namespace

TEST_F(AdvancedSettingsTabTest, SteppersKeepTheirRangeAndStepAndStoreEachValue)
{
    AdvancedSettingsTab tab(*state, defaults);
    const struct {
        const char* name;
        const char* key;
        QString shownAtFirst;
        int minimum;
        int maximum;
        int step;
    } steppers[] = {
        {"Silence threshold", "silenceThresholdMs", "400 ms", 200, 1500, 100},
        {"Overlap window", "overlapWindowMs", "2000 ms", 500, 5000, 500},
    };
    for (const auto& s : steppers) {
        SCOPED_TRACE(s.name);
        auto* stepper = findNamed<QSpinBox>(tab, s.name);
        ASSERT_TRUE(stepper);
        EXPECT_EQ(stepper->text(), s.shownAtFirst);

        for (int press = 0; press < 30; ++press)
            stepper->stepDown();
        EXPECT_EQ(stepper->value(), s.minimum);
        stepper->stepUp();
        EXPECT_EQ(storedValue<std::int64_t>(s.key), s.minimum + s.step);
        for (int press = 0; press < 30; ++press)
            stepper->stepUp();
        EXPECT_EQ(stepper->value(), s.maximum);
        EXPECT_EQ(stepper->text(), QString::number(s.maximum) + " ms"); // no digit grouping
        EXPECT_EQ(storedValue<std::int64_t>(s.key), s.maximum);
    }
    EXPECT_EQ(state->silenceThresholdMs(), 1500);
}

TEST_F(AdvancedSettingsTabTest, TheEnergySliderTakesMultiplesOfFiveThousandthsShownWithThreeDecimals)
{
    AdvancedSettingsTab tab(*state, defaults);
    auto* slider = findNamed<QSlider>(tab, "Energy threshold");
    ASSERT_TRUE(slider);
    EXPECT_EQ(slider->width(), 150);
    EXPECT_TRUE(showsText(tab, "0.015"));

    const struct {
        QAbstractSlider::SliderAction action;
        int presses;
        double stored;
        QString shown;
    } moves[] = {
        {QAbstractSlider::SliderSingleStepAdd, 1, 0.02, "0.020"},
        {QAbstractSlider::SliderToMaximum, 1, 0.1, "0.100"},
        {QAbstractSlider::SliderPageStepSub, 2, 0.09, "0.090"},
        {QAbstractSlider::SliderToMinimum, 1, 0.005, "0.005"},
        {QAbstractSlider::SliderSingleStepSub, 3, 0.005, "0.005"},
    };
    for (const auto& move : moves) {
        for (int press = 0; press < move.presses; ++press)
            slider->triggerAction(move.action);
        EXPECT_EQ(storedValue<double>("vadEnergyThreshold"), move.stored) << move.shown.toStdString();
        EXPECT_TRUE(showsText(tab, move.shown)) << move.shown.toStdString();
    }
}

TEST_F(AdvancedSettingsTabTest, StoredValuesShowWhenOpenedAndTheDebugRowsFollowTheState)
{
    defaults.set(std::int64_t{800}, "silenceThresholdMs");
    defaults.set(0.05, "vadEnergyThreshold");
    defaults.set(std::int64_t{3500}, "overlapWindowMs");
    AdvancedSettingsTab tab(*state, defaults);
    EXPECT_EQ(findNamed<QSpinBox>(tab, "Silence threshold")->text(), "800 ms");
    EXPECT_EQ(findNamed<QSlider>(tab, "Energy threshold")->value(), 10);
    EXPECT_TRUE(showsText(tab, "0.050"));
    EXPECT_EQ(findNamed<QSpinBox>(tab, "Overlap window")->text(), "3500 ms");

    // Model loaded, recording: both "No"; the level written with four decimals.
    EXPECT_TRUE(showsText(tab, "No"));
    EXPECT_TRUE(showsText(tab, "0.0000"));
    EXPECT_FALSE(showsText(tab, "Yes"));

    // A hand-edited value off the slider's steps shows as stored, the slider
    // at the nearest step.
    defaults.set(0.0123, "vadEnergyThreshold");
    state->setSilenceThresholdMs(900);
    EXPECT_EQ(findNamed<QSpinBox>(tab, "Silence threshold")->text(), "900 ms");
    EXPECT_TRUE(showsText(tab, "0.012"));
    EXPECT_EQ(findNamed<QSlider>(tab, "Energy threshold")->value(), 2);
}
