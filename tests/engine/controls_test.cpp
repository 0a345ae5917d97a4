// The sources' switches and the sliders as the user changes them: what no
// control can set is refused, what a change needs at once is rebuilt, the
// listener hears each change once, and live sound's hold gives back what
// played.

#include "controls.h"
#include "loss_processor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(Controls, SlidersTakeOnlyValuesOnTheirTrackAndSayWhichChanged)
{
    CSourceBank sources;
    CLossProcessor processor(sources);
    CControls controls(processor);
    std::vector<int> told;
    controls.SetListener([&](int part) { told.push_back(part); });
    const struct {
        int slider;
        double value;
        bool taken;
        double after;
    } kCases[] = {
        {CControls::kLoudness, std::nan(""), false, 1.0}, {CControls::kLoudness, -0.01, false, 1.0},
        {CControls::kHighFreq, 1.01, false, 1.0},         {CControls::kHighFreq, 1.0, false, 1.0},  // the value it has
        {CControls::kHighFreq, 0.0, true, 0.0},           {CControls::kLoudness, 0.25, true, 0.25},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(controls.SetValue(c.slider, c.value), c.taken) << c.value;
        EXPECT_EQ(controls.Value(c.slider), c.after);
    }
    EXPECT_EQ(processor.m_dHighFreq, 0.0);
    EXPECT_EQ(processor.m_dLoudness, 0.25);
    EXPECT_EQ(told, (std::vector<int>{CControls::kFirstSlider + 1, CControls::kFirstSlider}));

    // Steps stop at the ends.
    controls.SetValue(CControls::kResolution, 0.98);
    controls.Step(CControls::kResolution, 0.05);
    EXPECT_EQ(controls.Value(CControls::kResolution), 1.0);
    controls.Step(CControls::kLoudness, -0.3);
    EXPECT_EQ(controls.Value(CControls::kLoudness), 0.0);
}

TEST(Controls, TheResolutionSliderWidensTheSmearingAtOnce)
{
    CSourceBank sources;
    CLossProcessor processor(sources);
    CControls controls(processor);
    ASSERT_EQ(processor.m_nSmearLow[100], 100) << "no smearing at 1.0";
    controls.SetValue(CControls::kResolution, 0.5);  // 1.5 Bark on each side
    EXPECT_LT(processor.m_nSmearLow[100], 100);
    EXPECT_GT(processor.m_nSmearHigh[100], 100);
}

TEST(Controls, LiveSoundHoldsTheSourcesAndGivesBackWhatPlayed)
{
    CSourceBank sources;
    CLossProcessor processor(sources);
    CControls controls(processor);
    int told = 0;
    controls.SetListener([&](int) { ++told; });
    controls.SetSourceOn(0, true);
    controls.SetSourceOn(2, true);
    controls.HoldSources();
    controls.HoldSources();  // held twice: still what played before
    EXPECT_EQ(processor.m_bSourceOn[0] + processor.m_bSourceOn[1] + processor.m_bSourceOn[2], 0);
    EXPECT_TRUE(controls.Waiting(0));
    EXPECT_FALSE(controls.Waiting(1));
    EXPECT_FALSE(controls.ToggleSource(1));
    EXPECT_FALSE(controls.SourceOn(1)) << "a held source takes no switch";
    controls.ReleaseSources();
    EXPECT_FALSE(controls.Waiting(0));
    EXPECT_EQ(processor.m_bSourceOn[0], 1);
    EXPECT_EQ(processor.m_bSourceOn[1], 0);
    EXPECT_EQ(processor.m_bSourceOn[2], 1);
    EXPECT_TRUE(controls.ToggleSource(2));
    EXPECT_FALSE(controls.SourceOn(2));
    EXPECT_EQ(told, 3);
}
