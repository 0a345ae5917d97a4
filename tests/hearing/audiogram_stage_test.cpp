#include "audiogram_presets.h"
#include "audiogram_stage.h"
#include "loss_processor.h"
#include "playback_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

CAudiogram Make(std::vector<AudiogramPoint> points)
{
    std::string error;
    return *CAudiogram::Make(std::move(points), error);
}

// Speech-like input: three tones, 300 Hz to 4 kHz, on and off.
std::vector<short> TestSignal()
{
    std::vector<short> samples(44100 * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / 44100;
        const double on = std::fmod(t, 0.5) < 0.3 ? 1.0 : 0.1;
        samples[i] = static_cast<short>(on * (6000 * std::sin(2 * M_PI * 300 * t) + 4000 * std::sin(2 * M_PI * 1250 * t) +
                                              3000 * std::sin(2 * M_PI * 4000 * t)));
    }
    return samples;
}

// What a processor with these sliders plays of the test signal, volume
// included, block after block.
struct Chain : SpeechChain {
    Chain(double loudness, double highFreq, double resolution) : SpeechChain(TestSignal(), loudness, highFreq, resolution) {}
    std::vector<short> Play(int blocks) { return SpeechChain::Play(blocks, true); }
};

double Rms(const std::vector<short>& samples, std::size_t from)
{
    double sum = 0.0;
    for (std::size_t i = from; i < samples.size(); ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(samples.size() - from));
}

}  // namespace

TEST(AudiogramStage, GainsAreTheThresholdsAsAttenuationAtEachBinsFrequency)
{
    CAudiogramStage stage;
    EXPECT_FALSE(stage.Active());
    // 0 dB HL at 1 kHz rising to 40 at 2 kHz: bin 16 lies at 1378.125 Hz,
    // log2(1.378125) = 0.46271 of the octave up, 18.508 dB HL: gain 0.118737.
    const CAudiogram rising = Make({{1000, 0}, {2000, 40}});
    stage.Build(&rising);
    ASSERT_TRUE(stage.Active());
    EXPECT_NEAR(stage.Gains()[32], 0.118737f, 1e-6f);
    EXPECT_EQ(stage.Gains()[33], stage.Gains()[32]) << "both parts of bin 16";
    EXPECT_EQ(stage.Gains()[0], 1.0f) << "DC: the lowest threshold, 0 dB HL";
    EXPECT_EQ(stage.Gains()[2 * 11], 1.0f) << "947 Hz: 0 dB HL held";
    EXPECT_FLOAT_EQ(stage.Gains()[1], 0.01f) << "half the sampling rate: 40 dB HL held";
    EXPECT_FLOAT_EQ(stage.Gains()[2 * 100], 0.01f);

    const CAudiogram better = Make({{250, -10}, {8000, -5}});
    stage.Build(&better);
    for (int i = 0; i < CAudiogramStage::kFloats; ++i)
        ASSERT_EQ(stage.Gains()[i], 1.0f) << "no gain where hearing is better than normal, at " << i;

    float spectrum[CAudiogramStage::kFloats];
    const CAudiogram flat = Make({{1000, 20}});
    stage.Build(&flat);
    for (float& value : spectrum)
        value = 3.0f;
    stage.Apply(spectrum);
    for (float value : spectrum)
        ASSERT_FLOAT_EQ(value, 0.3f);
    stage.Build(nullptr);
    EXPECT_FALSE(stage.Active());
}

TEST(AudiogramStage, WithoutAnAudiogramTheChainIsUnchangedAndAFlatOneAttenuatesByItsLevel)
{
    const std::vector<short> plain = Chain(1.0, 0.6, 0.7).Play(12);

    Chain withAndWithout(1.0, 0.6, 0.7);
    const CAudiogram flat = Make({{125, 20}, {8000, 20}});
    withAndWithout.processor.SetAudiogram(&flat);
    withAndWithout.processor.SetAudiogram(nullptr);
    EXPECT_EQ(withAndWithout.Play(12), plain) << "an audiogram set and removed leaves no trace";

    Chain attenuated(1.0, 0.6, 0.7);
    attenuated.processor.SetRecruitment(false);  // the thresholds as a fixed attenuation
    attenuated.processor.SetAudiogram(&flat);
    const std::vector<short> quieter = attenuated.Play(12);
    ASSERT_EQ(quieter.size(), plain.size());
    EXPECT_NEAR(20 * std::log10(Rms(quieter, 4096) / Rms(plain, 4096)), -20.0, 0.1);
}

TEST(AudiogramStage, NormalHearingPlaysAsNoLossWhateverTheSlidersAndTheAudiogram)
{
    const std::vector<short> noLoss = Chain(1.0, 1.0, 1.0).Play(12);

    Chain compared(0.2, 0.3, 0.4);
    compared.processor.SetAudiogram(&FindAudiogramPreset("S2")->audiogram);
    compared.processor.SetNormalHearing(true);
    EXPECT_EQ(compared.Play(12), noLoss);
    EXPECT_EQ(compared.processor.m_dLoudness, 0.2) << "the sliders stay where they are";

    // Switched off again, the losses are back exactly as before.
    Chain lossy(0.2, 0.3, 0.4);
    lossy.processor.SetAudiogram(&FindAudiogramPreset("S2")->audiogram);
    const std::vector<short> expected = lossy.Play(12);
    Chain back(0.2, 0.3, 0.4);
    back.processor.SetAudiogram(&FindAudiogramPreset("S2")->audiogram);
    back.processor.SetNormalHearing(true);
    back.processor.SetNormalHearing(false);
    EXPECT_EQ(back.Play(12), expected);
    EXPECT_NE(expected, noLoss);
}

TEST(AudiogramStage, AnAudiogramSetWhileSoundPlaysActsFromTheNextBlockWithoutAClick)
{
    std::vector<short> tone(44100 * 3);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<short>(16000 * std::sin(2 * M_PI * 441 * static_cast<double>(i) / 44100));
    SpeechChain chain(tone);
    CLossProcessor& processor = chain.processor;
    processor.SetRecruitment(false);
    const CAudiogram flat = Make({{1000, 20}});

    std::vector<short> played;
    CRenderWaveOut device([&](const short* s, int n) { played.insert(played.end(), s, s + n); }, true);
    constexpr std::size_t kBlock = CLossProcessor::kBlockOutput;
    bool switched = false;
    RunOfflinePlayback(processor, device, [&] {
        if (!switched && played.size() >= 6 * kBlock) {
            processor.SetAudiogram(&flat);  // four blocks are queued with the old gains
            switched = true;
        }
        return played.size() >= 16 * kBlock;
    });
    // A 441 Hz tone of 16000 moves at most 16000·2π·441/44100 = 1005 per sample.
    int largestStep = 0;
    for (std::size_t i = 2 * kBlock; i + 1 < played.size(); ++i)
        largestStep = std::max(largestStep, std::abs(played[i + 1] - played[i]));
    EXPECT_LE(largestStep, 1006);
    const auto peak = [&](std::size_t block) {
        int highest = 0;
        for (std::size_t i = block * kBlock; i < (block + 1) * kBlock; ++i)
            highest = std::max(highest, std::abs(static_cast<int>(played[i])));
        return highest;
    };
    EXPECT_GT(peak(9), 15000) << "the blocks queued before the change play unchanged";
    EXPECT_NEAR(peak(11), 1600, 30) << "from the next processed block on, 20 dB down";
}
