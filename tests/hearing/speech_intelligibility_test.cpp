// The speech intelligibility index against the standard's check values and
// cases worked by hand: in quiet, a threshold at the middle of a band's
// 30 dB range hears half of it, and the two ears' better band counts.

#include "hearing_intelligibility.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Sii::Bands Filled(double value)
{
    Sii::Bands bands;
    bands.fill(value);
    return bands;
}

// Thresholds `above` dB over the middle of normal speech's range in each band.
Sii::Bands AroundMiddle(double above)
{
    const Sii::Bands& speech = Sii::StandardSpeech(Sii::VocalEffort::Normal);
    Sii::Bands threshold;
    for (int i = 0; i < Sii::kBands; ++i)
        threshold[i] = speech[i] - Sii::kInternalNoise[i] + above;
    return threshold;
}

CAudiogram Audiogram(std::vector<AudiogramPoint> points)
{
    std::string error;
    return *CAudiogram::Make(std::move(points), error);
}

}  // namespace

TEST(SpeechIntelligibility, ReproducesTheCheckValues)
{
    // An open implementation's test vector, and normal speech in quiet to a normal ear.
    const Sii::Bands speech = {90, 5, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, 40, -10, -10, -10, -10};
    const Sii::Bands noise = {10, -10, -10, 75, -10, -10, -10, -10, -10, -10, -10, -10, -10, -10, 10, 10, 10, 10};
    Sii::Bands threshold = Filled(0);
    threshold[0] = 90;
    EXPECT_NEAR(Sii::Index(speech, noise, threshold), 0.445, 0.0005);
    EXPECT_NEAR(Sii::Index(Sii::StandardSpeech(Sii::VocalEffort::Normal), Filled(Sii::kQuietNoise), Filled(0)), 0.996,
                0.0005);
}

TEST(SpeechIntelligibility, QuietSpeechIsAsAudibleAsItsThresholdsAllow)
{
    const Sii::Bands& normal = Sii::StandardSpeech(Sii::VocalEffort::Normal);
    const Sii::Bands quiet = Filled(Sii::kQuietNoise);
    Sii::Bands raisedBy26 = normal;  // 16 dB past the level distortion's onset: L = 0.9
    for (double& level : raisedBy26)
        level += 26;
    const struct {
        const char* name;
        Sii::Bands speech;
        Sii::Bands threshold;
        double index;
    } kCases[] = {
        {"threshold mid-range", normal, AroundMiddle(0), 0.5},
        {"9 dB better", normal, AroundMiddle(-9), 0.8},
        {"above the range", normal, AroundMiddle(20), 0.0},
        {"2 m away, mid-range at 1 m", StandardSpeechAt(Sii::VocalEffort::Normal, 2.0), AroundMiddle(0),
         0.5 - 20 * std::log10(2.0) / 30},
        {"too loud", raisedBy26, Filled(0), 0.9},
    };
    for (const auto& c : kCases)
        EXPECT_NEAR(Sii::Index(c.speech, quiet, c.threshold), c.index, 1e-9) << c.name;
}

TEST(SpeechIntelligibility, BothEarsHearEachBandThroughTheBetterEar)
{
    // Left hears up to 800 Hz from the middle of the range, right from 1 kHz
    // up; each is deaf elsewhere. Importance up to 800 Hz: 0.2999.
    Sii::Bands threshold[2] = {AroundMiddle(0), AroundMiddle(0)};
    for (int i = 0; i < Sii::kBands; ++i)
        threshold[Sii::kCentreHz[i] < 1000 ? 1 : 0][i] = 120;
    const Sii::Bands speech[2] = {Sii::StandardSpeech(Sii::VocalEffort::Normal),
                                  Sii::StandardSpeech(Sii::VocalEffort::Normal)};
    const Sii::Bands noise[2] = {Filled(Sii::kQuietNoise), Filled(Sii::kQuietNoise)};
    const EarsIndex index = IndexOfEars(speech, noise, threshold);
    EXPECT_NEAR(index.left, 0.5 * 0.2999, 1e-9);
    EXPECT_NEAR(index.right, 0.5 * 0.7001, 1e-9);
    EXPECT_NEAR(index.both, (15 + 1.7) / 30, 1e-9);  // the allowance in every band
}

TEST(SpeechIntelligibility, ReadsThresholdsAndAidGainAtEachBand)
{
    // 10 dB HL at 250 Hz, 30 at 1 kHz, 70 at 4 kHz: 20 dB per octave below
    // 1 kHz, 20 per octave above; held beyond.
    const CAudiogram sloping = Audiogram({{250, 10}, {1000, 30}, {4000, 70}});
    const Sii::Bands threshold = SiiThresholds(&sloping);
    const struct {
        int band;
        double hearingLevel;
    } kThresholds[] = {{0, 10}, {5, 20}, {8, 30}, {11, 50}, {14, 70}, {17, 70}};
    for (const auto& t : kThresholds)
        EXPECT_NEAR(threshold[t.band], t.hearingLevel, 1e-9) << Sii::kCentreHz[t.band] << " Hz";
    EXPECT_EQ(SiiThresholds(nullptr), Filled(0));

    // Fig6 on flat 50 dB HL: 30 dB at 40 dB SPL, 18 at 65. Normal speech's
    // 1 kHz band is at 25.01 + 23.65 = 48.66 dB SPL: 30 - 12 · 8.66 / 25.
    // NAL-R is the same at every level: 24 dB at 1 kHz, 6 below 250 Hz, 21 above 4 kHz.
    const CAudiogram flat = Audiogram({{250, 50}, {8000, 50}});
    const Sii::Bands& normal = Sii::StandardSpeech(Sii::VocalEffort::Normal);
    EXPECT_NEAR(AidInsertionGain(CAidFitting(AidRule::Fig6, flat), normal)[8], 30 - 12 * 8.66 / 25, 1e-9);
    const Sii::Bands nalR = AidInsertionGain(CAidFitting(AidRule::NalR, flat), normal);
    EXPECT_NEAR(nalR[0], 6, 1e-9);
    EXPECT_NEAR(nalR[8], 24, 1e-9);
    EXPECT_NEAR(nalR[17], 21, 1e-9);
}

TEST(SpeechIntelligibility, TheSpeechRegionCentresOnTheSpeechAboveTheInternalNoise)
{
    // The published centres, dB HL.
    const struct {
        int band;
        double centre;
    } kCentres[] = {{0, 31.8}, {2, 38.6}, {5, 44.0}, {8, 37.5}, {11, 35.0}, {14, 35.2}, {17, 8.2}};
    const SpeechRegion region = NormalSpeechRegion();
    for (const auto& c : kCentres) {
        EXPECT_NEAR(region.softest[c.band], c.centre - 15, 0.05) << Sii::kCentreHz[c.band] << " Hz";
        EXPECT_NEAR(region.loudest[c.band], c.centre + 15, 0.05) << Sii::kCentreHz[c.band] << " Hz";
    }
}
