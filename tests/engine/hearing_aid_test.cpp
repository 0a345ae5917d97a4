// A hearing aid as the listener would meet it, measured on what the chain
// puts out through normal ears: NAL-R's gains on pink noise in one-third-
// octave bands for a sloping ear and another, Fig6's on steady tones at its
// three input levels and after steps, and the ceiling it is held under.

#include "audiogram_presets.h"
#include "loss_processor.h"
#include "played_chain.h"
#include "presentation_level.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace {

// A tone of `hz` whose level in dB SPL (under `fullScaleSpl`) is `levels[i]`
// for `seconds[i]` each, its phase running on.
std::vector<short> Tone(double hz, double fullScaleSpl, const std::vector<double>& levels, double seconds)
{
    const std::size_t each = static_cast<std::size_t>(seconds * kRate);
    std::vector<short> tone(each * levels.size());
    for (std::size_t i = 0; i < tone.size(); ++i) {
        const double amplitude = 32768.0 * std::sqrt(2.0) * std::pow(10.0, (levels[i / each] - fullScaleSpl) / 20.0);
        tone[i] = static_cast<short>(std::lround(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / kRate)));
    }
    return tone;
}

template <typename Samples>
double RmsDb(const Samples& samples, std::size_t from, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return 10.0 * std::log10(sum / static_cast<double>(count));
}

CAudiogram Flat(double hearingLevel)
{
    std::string error;
    return *CAudiogram::Make({{250, hearingLevel}, {8000, hearingLevel}}, error);
}

LossSettings ThroughNormalEars(const CAudiogram& left, const CAudiogram& right, AidRule rule)
{
    LossSettings settings;
    settings.audiogram[static_cast<int>(Ear::Left)] = left;
    settings.audiogram[static_cast<int>(Ear::Right)] = right;
    settings.aid[0] = settings.aid[1] = rule;
    settings.earLoss = false;
    settings.recruitment = false;
    return settings;
}

constexpr std::size_t kBlockDelay = 128;  // from the input to the block path's output

}  // namespace

TEST(HearingAid, NalRGivesEachEarItsRulesGainOnPinkNoise)
{
    // Pink noise at 65 dB SPL (nominal calibration). The rule's gains worked
    // by hand: S1 in the left ear (S = 10 + 10 + 15 = 35, X = 1.75; below
    // 1 kHz the gain would be negative), N3 in the right (S = 125, X = 6.25).
    // A steeper loss's 30 dB and more would take this noise to the ceiling.
    const std::vector<short> noise = PinkNoise(-35.0);
    const CAudiogram& s1 = FindAudiogramPreset("S1")->audiogram;
    const CAudiogram& n3 = FindAudiogramPreset("N3")->audiogram;
    const std::size_t length = 6 * kRate;
    const Heard aided = Play(ThroughNormalEars(s1, n3, AidRule::NalR), noise, length);
    const Heard unaided = Play(ThroughNormalEars(s1, n3, AidRule::Off), noise, length);
    ASSERT_FALSE(aided.right.empty());
    const struct {
        double hz, left, right;
    } kGains[] = {
        {250, 0.0, 0.1},    {500, 0.0, 9.1},     {1000, 5.85, 19.65},
        {2000, 5.4, 20.75}, {4000, 16.8, 22.85}, {6000, 21.45, 24.4},
    };
    for (const auto& g : kGains) {
        const auto gain = [&](const std::vector<float>& with, const std::vector<float>& without) {
            return 10.0 * std::log10(BandPower(with, kRate, g.hz) / BandPower(without, kRate, g.hz));
        };
        EXPECT_NEAR(gain(aided.left, unaided.left), g.left, 1.5) << "left, " << g.hz << " Hz";
        EXPECT_NEAR(gain(aided.right, unaided.right), g.right, 1.5) << "right, " << g.hz << " Hz";
    }
}

TEST(HearingAid, Fig6GainFollowsTheToneLevelAndItsStepsUnderTheCeiling)
{
    // 30 dB HL at 250 Hz, 50 at 1 kHz, 70 at 4 kHz, full scale at 105 dB SPL.
    std::string error;
    const CAudiogram sloping = *CAudiogram::Make({{250, 30}, {1000, 50}, {4000, 70}}, error);
    LossSettings settings = ThroughNormalEars(sloping, sloping, AidRule::Fig6);
    settings.ears = EarsHeard::Left;
    settings.fullScaleSpl = 105.0;
    const struct {
        double hz, level, gain;
    } kSteady[] = {
        {1000, 40, 30.0}, {1000, 65, 18.0}, {1000, 95, 2.5119}, {4000, 40, 45.0}, {4000, 65, 33.0},
    };
    LossSettings unaided = settings;
    unaided.aid[0] = unaided.aid[1] = AidRule::Off;
    for (const auto& s : kSteady) {
        // The last of three seconds, against the same without the aid: an
        // onset at 95 dB SPL touches the ceiling, whose limiter gives the gain
        // back over about a second.
        const std::vector<short> tone = Tone(s.hz, 105.0, {s.level}, 1.0);
        const Heard heard = Play(settings, tone, 3 * kRate);
        const Heard plain = Play(unaided, tone, 3 * kRate);
        EXPECT_NEAR(RmsDb(heard.left, 2 * kRate, kRate) - RmsDb(plain.left, 2 * kRate, kRate), s.gain, 1.5)
            << s.hz << " Hz at " << s.level << " dB SPL";
    }

    // A 30 dB step up at 1 kHz: 20 ms later within 2 dB of the gain at
    // 70 dB SPL, 18 + (5/30)·(2.51 - 18) = 15.42 dB; a step down: 200 ms later
    // within 2 dB of the gain at 40, 30 dB. Ten periods around each moment.
    const std::vector<short> steps = Tone(1000, 105.0, {40, 70, 40}, 1.0);
    const Heard heard = Play(settings, steps, 3 * kRate);
    const Heard plain = Play(unaided, steps, 3 * kRate);
    const auto gainAt = [&](std::size_t inputSample) {
        const std::size_t from = inputSample + kBlockDelay - 220;
        return RmsDb(heard.left, from, 441) - RmsDb(plain.left, from, 441);
    };
    EXPECT_NEAR(gainAt(kRate + kRate / 50), 15.42, 2.0) << "20 ms after the step up";
    EXPECT_NEAR(gainAt(2 * kRate + kRate / 5), 30.0, 2.0) << "200 ms after the step down";

    // 4 kHz at 95 dB SPL: the rule's 11.7 dB would make it 106.7 dB SPL;
    // nothing passes a sine at 100 dB SPL, peak 32768·√2·10^(-5/20) =
    // 26060.5 at full scale 105 dB SPL, and the aid takes it that far.
    const Heard loud = Play(settings, Tone(4000, 105.0, {95}, 1.0), 2 * kRate);
    ASSERT_FALSE(loud.left.empty());
    float loudest = 0.0f;
    for (const float sample : loud.left)
        loudest = std::max(loudest, std::abs(sample));
    EXPECT_LE(loudest, 26060.5f);
    EXPECT_GT(loudest, 26060.5f * 0.95f);
}

TEST(HearingAid, SwitchedOffWhileATonePlaysItFadesOutInAFewMillisecondsWithoutAClick)
{
    // 1 kHz at 65 dB SPL through 50 dB HL with Fig6 (18 dB), the aid
    // switched off between blocks 10 and 11: the samples then change no
    // faster than the aided tone's own steepest slope, and 12 ms after the
    // switch (three frames' fade after the chain's delay) the tone is at its
    // unaided level.
    LossSettings settings = ThroughNormalEars(Flat(50), Flat(50), AidRule::Fig6);
    settings.ears = EarsHeard::Left;
    const std::vector<float> heard =
        Play(settings, Tone(1000, 100.0, {65}, 2.0), 20 * CLossProcessor::kBlockOutput,
             [](CLossProcessor& processor, int block) { processor.SetAided(block < 11); })
            .left;
    const std::size_t at = 11 * CLossProcessor::kBlockOutput;
    const auto steepest = [&](std::size_t from, std::size_t to) {
        float step = 0.0f;
        for (std::size_t i = from; i + 1 < to; ++i)
            step = std::max(step, std::abs(heard[i + 1] - heard[i]));
        return step;
    };
    // A click would step by thousands; the sampled slope of a sine varies
    // with its phase by a few per cent.
    EXPECT_LE(steepest(at - 441, at + 441), steepest(at - 4410, at - 441) * 1.05f);
    const double unaided = RmsDb(heard, at + 8820, 441);  // 200 ms after
    EXPECT_NEAR(RmsDb(heard, at + 530, 441), unaided, 0.5) << "12 ms after the switch";
    EXPECT_NEAR(RmsDb(heard, at - 4410, 441), unaided + 18.0, 1.5) << "aided before it";
}

TEST(HearingAid, UnheardItKeepsFollowingTheLevelSoThatItComesBackWithTheRightGain)
{
    // 1 kHz through 50 dB HL with Fig6, full scale at 105 dB SPL: soft
    // (40 dB SPL) while aided, loud (95) after H switched the aid off. Back
    // on, the gain is the loud tone's 2.5 dB at once, not the soft one's
    // 30 dB that would drive it into the limiter.
    LossSettings settings = ThroughNormalEars(Flat(50), Flat(50), AidRule::Fig6);
    settings.ears = EarsHeard::Left;
    settings.fullScaleSpl = 105.0;
    const std::vector<short> tone = Tone(1000, 105.0, {40, 95}, 1.0);
    // Aided before block 8 and from block 16 on when switched; never, else.
    const auto play = [&](bool switched) {
        return Play(settings, tone, 20 * CLossProcessor::kBlockOutput, [switched](CLossProcessor& processor, int block) {
                   processor.SetAided(switched && (block < 8 || block >= 16));
               }).left;
    };
    const std::vector<float> unaided = play(false);
    const std::vector<float> switched = play(true);
    const std::size_t back = 16 * CLossProcessor::kBlockOutput + kRate / 10;  // 100 ms after it came back
    EXPECT_NEAR(RmsDb(switched, back, 441) - RmsDb(unaided, back, 441), 2.5119, 1.5);
}
