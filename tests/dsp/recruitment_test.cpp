#include "audiogram.h"
#include "level_smoother.h"
#include "loss_processor.h"
#include "playback_rig.h"
#include "recruitment_stage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

CAudiogram Flat(double level)
{
    std::string error;
    return *CAudiogram::Make({{1000, level}}, error);
}

}  // namespace

TEST(Recruitment, TheInputOutputLawAtThresholdAtTheCatchUpLevelAndBetween)
{
    // HL 50: ER = 105 / 55 = 1.909; 50 -> 0, 65 -> 105 - 1.909 * 40 = 28.6.
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(50, 50), 0.0, 1e-9);
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(65, 50), 28.636, 0.001);
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(80, 50), 57.273, 0.001);
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(100, 50), 95.455, 0.001);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(105, 50), 105.0);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(112, 50), 112.0) << "above C no change";
    EXPECT_EQ(CRecruitmentStage::OutputLevel(37.5, 0), 37.5) << "normal hearing";
    EXPECT_EQ(CRecruitmentStage::OutputLevel(37.5, -10), 37.5) << "better than normal";
    // At and beyond C (the chart goes to 120 dB HL) nothing below C is heard;
    // just below C the law is already steep: HL 104, ER = 105, 104 -> 0.
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(104, 104), 0.0, 1e-9);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(104.9, 105), -HUGE_VAL);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(60, 120), -HUGE_VAL);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(105, 120), 105.0);
}

TEST(Recruitment, TheLevelRisesWithAFewMillisecondsAndFallsWithTensOfMilliseconds)
{
    // 344.53 frames per second: attack 5 ms keeps exp(-0.5805) = 0.55962 per
    // frame, release 50 ms keeps exp(-0.05805) = 0.94360.
    CLevelSmoother smoother;
    smoother.SetTimes(44100.0 / 128.0, 0.005, 0.050);
    smoother.Reset(40.0);
    EXPECT_NEAR(smoother.Next(80.0), 80.0 - 40.0 * 0.55962, 1e-4);
    EXPECT_NEAR(smoother.Next(80.0), 80.0 - 40.0 * 0.55962 * 0.55962, 1e-4);
    for (int frame = 0; frame < 40; ++frame)
        smoother.Next(80.0);
    EXPECT_NEAR(smoother.Level(), 80.0, 1e-6);
    for (int frame = 0; frame < 17; ++frame)
        smoother.Next(40.0);
    // 17 frames (49.3 ms) later 0.94360^17 = 0.37275 of the step is left.
    EXPECT_NEAR(smoother.Level(), 40.0 + 40.0 * 0.37275, 2e-3);
}

TEST(Recruitment, BandLevelsAreCalibratedSoundPressureLevels)
{
    // A 1 kHz sine at RMS 20 dB below full scale, with full scale at 100 dB
    // SPL, measures 80 dB SPL in the bands around 1 kHz.
    CSourceBank sources;
    CLossProcessor processor(sources);
    CRecruitmentStage stage;
    stage.SetAnalysisWindow(processor.m_fAnalysisWindow, CLossProcessor::kFrameInput);
    stage.Build(Flat(0));
    stage.SetFullScaleLevel(100.0);
    const double amplitude = 32768.0 * std::sqrt(2.0) * 0.1;
    std::vector<short> tone(256);
    for (int i = 0; i < 256; ++i)
        tone[i] = static_cast<short>(std::lround(amplitude * std::sin(2 * M_PI * 1000.0 * i / 44100)));
    float spectrum[512];
    for (int frame = 0; frame < 60; ++frame) {
        processor.AnalyseFrame(tone.data(), spectrum);
        stage.Apply(spectrum);
    }
    // 1 kHz lies at 7.70 Bark: band 7 (7..8 Bark) and its neighbours take in
    // the whole main lobe.
    EXPECT_NEAR(stage.BandLevel(7), 80.0, 0.3);
    EXPECT_NEAR(stage.BandLevel(8), 80.0, 0.5);
    EXPECT_LT(stage.BandLevel(12), 60.0);
    EXPECT_LE(stage.BandLow(7), 11 - 4) << "the lobe around the band centre";
}

TEST(Recruitment, NormalHearingInEveryBandChangesNothingAtAll)
{
    CRecruitmentStage stage;
    std::vector<float> window(256, 0.5f);
    stage.SetAnalysisWindow(window.data(), 256);
    stage.Build(Flat(0));
    std::mt19937 random(5);
    std::uniform_real_distribution<float> value(-1e5f, 1e5f);
    float spectrum[512];
    float original[512];
    for (int frame = 0; frame < 20; ++frame) {
        for (int i = 0; i < 512; ++i)
            original[i] = spectrum[i] = value(random);
        stage.Apply(spectrum);
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(spectrum[i], original[i]) << frame << " " << i;
    }

    // The whole chain with a 0 dB HL audiogram and recruitment plays as
    // without an audiogram, to the bit.
    std::vector<short> noise(44100);
    for (short& sample : noise)
        sample = static_cast<short>(value(random) / 10);
    const auto play = [&](bool withAudiogram) {
        SpeechChain chain(noise);
        const CAudiogram normal = Flat(0);
        if (withAudiogram)
            chain.processor.SetAudiogram(&normal);
        return chain.Play(8);
    };
    EXPECT_EQ(play(true), play(false));
}
