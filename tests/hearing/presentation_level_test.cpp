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

TEST(PresentationLevel, TheCeilingAndTheHighestLevelReachedUnlimitedUnderACalibration)
{
    // Full scale at 80: a sine at 100 dB SPL would peak at 32768·√2·10 =
    // 463,410, above full scale, so the ceiling is 32000. Speech active at
    // -20 dB FS plays at 60 dB SPL; its peak of 16000 may rise 6.02 dB.
    EXPECT_EQ(LimiterCeiling(80.0), 32000.0);
    EXPECT_NEAR(*HighestUnlimitedLevel(80.0, -20.0, 16000), 66.02, 0.01);
    // Full scale at 110: 100 dB SPL peaks at 46,340.95·10^(-0.5) = 14,654.3.
    EXPECT_NEAR(LimiterCeiling(110.0), 14654.3, 0.05);
    EXPECT_NEAR(*HighestUnlimitedLevel(110.0, -20.0, 16000), 89.24, 0.01);
    EXPECT_FALSE(HighestUnlimitedLevel(80.0, -100.0, 16000)) << "no speech";
    EXPECT_FALSE(HighestUnlimitedLevel(80.0, -20.0, 0));
}

TEST(PresentationLevel, TheLimiterIsDownBeforeALoudSampleComesAndRisesBy1DecibelPerBlock)
{
    CLimiter limiter;
    std::vector<float> block(3968);
    for (int i = 0; i < 3968; ++i)
        block[i] = static_cast<float>(40000 * std::sin(i * 0.1));
    const std::vector<float> untouched = block;
    limiter.Process(block.data(), 3968);
    EXPECT_EQ(block, untouched) << "no ceiling set: nothing to do";

    // Quiet, then from sample 1000 twice the ceiling.
    limiter.SetCeiling(1000.0);
    std::vector<float> loud(3968, 500.0f);
    for (int i = 1000; i < 3968; ++i)
        loud[i] = i % 2 ? 2000.0f : -2000.0f;
    limiter.Process(loud.data(), 3968);
    for (const float sample : loud)
        ASSERT_LE(std::abs(sample), 1000.0f) << "nothing beyond the ceiling, nothing cut";
    EXPECT_EQ(loud[935], 500.0f) << "65 samples ahead the gain is still 1";
    // Linearly from 1 at 936 to 0.5 at 1000: 1 - 0.5·32/64 = 0.75 at 968.
    EXPECT_NEAR(loud[968], 500.0f * 0.75f, 0.01);
    EXPECT_NEAR(loud[999], 500.0f * (0.5f + 0.5f / 64), 0.01);
    EXPECT_EQ(loud[1000], -1000.0f);
    EXPECT_EQ(loud[3967], 1000.0f);
    EXPECT_DOUBLE_EQ(limiter.Gain(), 0.5);
    // Quiet again: the gain climbs back by 1 dB over a block, smoothly.
    std::vector<float> quiet(3968, 100.0f);
    limiter.Process(quiet.data(), 3968);
    EXPECT_NEAR(limiter.Gain(), 0.5 * std::pow(10.0, 0.05), 1e-9);
    EXPECT_NEAR(quiet[0], 50.0f, 0.01);
    EXPECT_NEAR(quiet[1983], 50.0f * std::pow(10.0f, 0.025f), 0.01);
    EXPECT_NEAR(quiet[3967], 56.1f, 0.05);

    // A loud sample at the very start of a block, after a quiet block: the
    // gain is down in time all the same.
    CLimiter fresh;
    fresh.SetCeiling(1000.0);
    std::vector<float> sudden(3968, 0.0f);
    sudden[3] = 30000.0f;
    fresh.Process(sudden.data(), 3968);
    EXPECT_FLOAT_EQ(sudden[3], 1000.0f);
    EXPECT_NEAR(fresh.Gain(), 1000.0 / 30000.0 * std::pow(10.0, 0.05 * 3964 / 3968), 1e-7) << "and rising again";
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
        sources.ReplaceSource(0, NewSamples(speech), static_cast<int>(speech.size()), false);
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
