#include "audiogram.h"
#include "erb_scale.h"
#include "filter_signals.h"
#include "level_smoother.h"
#include "loss_processor.h"
#include "playback_rig.h"
#include "recruitment_stage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <functional>
#include <random>
#include <vector>

namespace {

CAudiogram Flat(double level)
{
    std::string error;
    return *CAudiogram::Make({{1000, level}}, error);
}

// Feeds `signal` through the stage as the chain does: blocks of 4096 input
// samples, 3968 apart, each measured in 31 frames of 256 samples 128 apart.
// `afterFrame` sees the stage after every frame.
void Feed(CRecruitmentStage& stage, const std::vector<short>& signal, const std::function<void()>& afterFrame = {})
{
    CSourceBank sources;
    const CLossProcessor processor(sources);
    float spectrum[CLossProcessor::kFrameSize];
    for (std::size_t start = 0; start + 4096 <= signal.size(); start += 3968) {
        const short* const input = signal.data() + start;
        stage.BeginBlock(input, start > 0, 1.0f, nullptr);
        for (int k = 0; k < 31; ++k) {
            processor.AnalyseFrame(input + 128 * k, spectrum);
            stage.Measure(spectrum);
            if (afterFrame)
                afterFrame();
        }
    }
}

CRecruitmentStage StageFor(const CAudiogram& audiogram)
{
    CSourceBank sources;
    const CLossProcessor processor(sources);
    CRecruitmentStage stage;
    stage.SetAnalysisWindow(processor.m_fAnalysisWindow, CLossProcessor::kFrameInput);
    stage.Build(audiogram);
    stage.SetFullScaleLevel(100.0);
    return stage;
}

}  // namespace

TEST(Recruitment, TheInputOutputLawInLevelsAboveNormalThreshold)
{
    // With T0 = 0 the law is the textbook one: HL 50, ER = 105 / 55 = 1.909;
    // 50 -> 0, 65 -> 105 - 1.909 * 40 = 28.6.
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(50, 50, 0), 0.0, 1e-9);
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(65, 50, 0), 28.636, 0.001);
    // The published check values: at 1 kHz (T0 = 2.4) ER = 102.6 / 52.6 =
    // 1.951, 52.4 -> 2.4 and 80 -> 56.2; at 250 Hz (T0 = 11.4) ER = 93.6 /
    // 43.6 = 2.147, 61.4 -> 11.4 and 80 -> 51.3.
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(52.4, 50, 2.4), 2.4, 1e-9);
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(80, 50, 2.4), 56.2, 0.05);
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(61.4, 50, 11.4), 11.4, 1e-9);
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(80, 50, 11.4), 51.3, 0.05);
    // At 4 kHz the normal ear hears below 0 dB SPL (T0 = -5.4): c = 110.4,
    // ER = 110.4 / 60.4, and a tone at its threshold 44.6 comes out at -5.4.
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(44.6, 50, -5.4), -5.4, 1e-9);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(105, 50, 11.4), 105.0);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(112, 50, 11.4), 112.0) << "above C no change";
    EXPECT_EQ(CRecruitmentStage::OutputLevel(37.5, 0, 11.4), 37.5) << "normal hearing";
    EXPECT_EQ(CRecruitmentStage::OutputLevel(37.5, -10, 11.4), 37.5) << "better than normal";
    // At and beyond c nothing below C is heard: at 8 kHz (T0 = 12.6) c = 92.4.
    EXPECT_NEAR(CRecruitmentStage::OutputLevel(104, 92, 12.6), 105 - 92.4 / 0.4 * 1.0, 1e-6);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(104.9, 92.4, 12.6), -HUGE_VAL);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(60, 120, -5.4), -HUGE_VAL);
    EXPECT_EQ(CRecruitmentStage::OutputLevel(105, 120, -5.4), 105.0);
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

TEST(Recruitment, FilterLevelsAreCalibratedSoundPressureLevelsAndTheBarkBandsShowTheLoudest)
{
    // A 1 kHz sine at RMS 20 dB below full scale reads 80 dB SPL with full
    // scale at 100 dB SPL, and 70 with full scale at 90; 1 kHz lies at
    // 7.70 Bark, in Bark band 7.
    for (const double fullScale : {100.0, 90.0}) {
        CRecruitmentStage stage = StageFor(Flat(0));
        stage.SetFullScaleLevel(fullScale);
        Feed(stage, Tone(1000, -20.0, 44100));
        EXPECT_NEAR(stage.ChannelLevel(NearestChannel(1000)), fullScale - 20.0, 0.5);
        EXPECT_NEAR(stage.BlockPeakLevel(7), fullScale - 20.0, 0.5);
        EXPECT_LT(stage.BlockPeakLevel(5), fullScale - 40.0);
        EXPECT_LT(stage.BlockPeakLevel(10), fullScale - 40.0);
    }
}

TEST(Recruitment, TheAttackAtHighFrequenciesStaysAFewMilliseconds)
{
    // A 4 kHz tone at 80 dB SPL after digital silence. The frame (5.8 ms)
    // takes it in whole after 5.8 ms; the envelope (75 Hz) then has 1.7 % of
    // the amplitude left to rise after 4 frames (11.6 ms): 0.15 dB.
    std::vector<short> signal(3 * 4096, 0);
    const std::size_t onset = 4096;
    const std::vector<short> tone = Tone(4000, -20.0, static_cast<int>(signal.size() - onset));
    std::copy(tone.begin(), tone.end(), signal.begin() + onset);
    CRecruitmentStage stage = StageFor(Flat(0));
    const int channel = NearestChannel(4000);
    std::vector<double> level;  // after each frame, whose end is at 128·frame + 256
    Feed(stage, signal, [&] { level.push_back(stage.ChannelLevel(channel)); });
    // Frames lie 128 apart across blocks too (3968 = 31·128): frame n ends
    // at 128·n + 256.
    const auto at = [&](double ms) { return level[(onset + static_cast<std::size_t>(ms * 44.1) - 256) / 128]; };
    EXPECT_LT(at(2.0), 60.0) << "not before the tone";
    EXPECT_GT(at(20.0), 80.0 - 6.0);
    EXPECT_NEAR(at(30.0), 80.0, 1.5);
}

TEST(Recruitment, NormalHearingInEveryFilterChangesNothingAtAll)
{
    CRecruitmentStage stage = StageFor(Flat(0));
    std::mt19937 random(5);
    std::uniform_real_distribution<float> value(-1e5f, 1e5f);
    std::vector<short> input(4096);
    float spectrum[512];
    float original[512];
    for (int frame = 0; frame < 40; ++frame) {
        if (frame % 31 == 0) {
            for (short& sample : input)
                sample = static_cast<short>(value(random) / 4);
            stage.BeginBlock(input.data(), frame > 0, 1.0f, nullptr);
        }
        for (int i = 0; i < 512; ++i)
            original[i] = spectrum[i] = value(random);
        stage.Apply(spectrum);
        for (int i = 0; i < 512; ++i)
            ASSERT_EQ(spectrum[i], original[i]) << frame << " " << i;
    }

    // The whole chain with a 0 dB HL audiogram and recruitment plays as
    // without an audiogram but for its one rounding with dither, where the
    // plain chain truncates each frame: the four frames over a sample lose
    // up to a step each, the dithered rounding is off by up to 1.5 steps.
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
    const std::vector<short> with = play(true);
    const std::vector<short> without = play(false);
    ASSERT_EQ(with.size(), without.size());
    int largest = 0;
    for (std::size_t i = 0; i < with.size(); ++i)
        largest = std::max(largest, std::abs(with[i] - without[i]));
    EXPECT_LE(largest, 5);
    EXPECT_GT(largest, 0) << "the audiogram takes the float path";
}
