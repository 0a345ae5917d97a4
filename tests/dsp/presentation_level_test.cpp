#include "loss_processor.h"
#include "playback_rig.h"
#include "presentation_level.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A 1 kHz sine at `dbFs` RMS relative to full scale (RMS 32768).
std::vector<short> Sine(int count, double dbFs)
{
    const double amplitude = 32768.0 * std::sqrt(2.0) * std::pow(10.0, dbFs / 20.0);
    std::vector<short> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = static_cast<short>(std::lround(amplitude * std::sin(2 * M_PI * 1000.0 * i / 44100)));
    return samples;
}

double RmsDb(const std::vector<short>& samples, std::size_t from)
{
    double sum = 0.0;
    for (std::size_t i = from; i < samples.size(); ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return 10 * std::log10(sum / static_cast<double>(samples.size() - from));
}

}  // namespace

TEST(PresentationLevel, TheSpeechLevelLeavesThePausesOut)
{
    std::vector<short> speech = Sine(44100, -20.0);
    speech.resize(3 * 44100, 3);  // two seconds of a faint room tone
    EXPECT_NEAR(ActiveSpeechLevelDbFs(speech.data(), static_cast<int>(speech.size())), -20.0, 0.05);
    const std::vector<short> silence(44100, 0);
    EXPECT_EQ(ActiveSpeechLevelDbFs(silence.data(), 44100), -100.0);
}

TEST(PresentationLevel, TheLimiterFallsWithin64SamplesAndRisesBy1DecibelPerBlock)
{
    CLimiter limiter;
    std::vector<short> block = Sine(3968, 0.0);
    std::vector<short> untouched = block;
    limiter.Process(block.data(), 3968);
    EXPECT_EQ(block, untouched) << "no ceiling set: nothing to do";

    limiter.SetCeiling(1000.0);
    std::vector<short> loud(3968);
    for (int i = 0; i < 3968; ++i)
        loud[i] = static_cast<short>(i % 2 ? 2000 : -2000);
    limiter.Process(loud.data(), 3968);
    for (short sample : loud)
        ASSERT_LE(std::abs(sample), 1000);
    EXPECT_DOUBLE_EQ(limiter.Gain(), 0.5);
    EXPECT_EQ(loud[100], -1000) << "the gain has fallen to 0.5 after 64 samples";
    // Quiet again: the gain climbs back by 1 dB per block, to 0.5·1.122.
    std::vector<short> quiet(3968, 100);
    limiter.Process(quiet.data(), 3968);
    EXPECT_NEAR(limiter.Gain(), 0.5 * std::pow(10.0, 0.05), 1e-12);
    EXPECT_EQ(quiet[0], 50);
    EXPECT_EQ(quiet[3967], 56);
}

TEST(PresentationLevel, RecordingsAreScaledSoThatTheSpeechPlaysAtTheChosenLevel)
{
    const std::vector<short> speech = Sine(2 * 44100, -20.0);  // 80 dB SPL at full scale 100
    const auto play = [&](std::optional<double> level, double fullScale) {
        CSourceBank sources;
        CLossProcessor processor(sources);
        // Chosen before the recordings load, as at start-up.
        processor.SetFullScaleLevel(fullScale);
        processor.SetPresentationLevel(level);
        sources.m_pSourceData[0] = NewSamples(speech);
        sources.m_nSourceLen[0] = static_cast<int>(speech.size());
        g_dGainCurveSetting = -1.0;
        processor.BuildHighFreqGain();
        processor.m_bSourceOn[0] = 1;
        PlaybackRig rig;
        rig.Play(processor, 10);
        return rig.played;
    };
    const std::vector<short> asLoaded = play(std::nullopt, 100.0);
    EXPECT_NEAR(RmsDb(play(65.0, 100.0), 8000) - RmsDb(asLoaded, 8000), -15.0, 0.05);
    // (The chain truncates each frame's share: quieter output loses a little more.)
    EXPECT_NEAR(RmsDb(play(50.0, 100.0), 8000) - RmsDb(asLoaded, 8000), -30.0, 0.1);
    // Full scale at 110 dB SPL: the speech already plays at 90, 65 is 25 below.
    EXPECT_NEAR(RmsDb(play(65.0, 110.0), 8000) - RmsDb(asLoaded, 8000), -25.0, 0.05);
    // Full scale at 125 dB SPL, speech asked at 100: nothing passes the sine
    // peak of 100 dB SPL, 32768·√2·10^(-25/20) = 2606.
    const std::vector<short> loud = play(100.0, 125.0);
    EXPECT_LE(*std::max_element(loud.begin(), loud.end()), 2606);
    EXPECT_GT(*std::max_element(loud.begin(), loud.end()), 2500);
}
