#include "audiogram.h"
#include "audiogram_presets.h"
#include "hearing_standards.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace {

CAudiogram Make(std::vector<AudiogramPoint> points)
{
    std::string error;
    const auto audiogram = CAudiogram::Make(std::move(points), error);
    EXPECT_TRUE(audiogram) << error;
    return *audiogram;
}

std::string Refusal(std::vector<AudiogramPoint> points)
{
    std::string error;
    EXPECT_FALSE(CAudiogram::Make(std::move(points), error));
    return error;
}

}  // namespace

TEST(Audiogram, LinearOverLogFrequencyBetweenPointsAndHeldBeyondThem)
{
    const CAudiogram audiogram = Make({{1000, 20}, {2000, 40}, {4000, 40}});
    EXPECT_DOUBLE_EQ(audiogram.LevelAt(1000 * std::sqrt(2.0)), 30.0) << "half an octave up";
    EXPECT_DOUBLE_EQ(audiogram.LevelAt(1000 * std::pow(2.0, 0.25)), 25.0) << "a quarter octave up";
    EXPECT_DOUBLE_EQ(audiogram.LevelAt(2000), 40.0);
    EXPECT_DOUBLE_EQ(audiogram.LevelAt(3000), 40.0);
    EXPECT_DOUBLE_EQ(audiogram.LevelAt(500), 20.0);
    EXPECT_DOUBLE_EQ(audiogram.LevelAt(0), 20.0) << "the DC bin";
    EXPECT_DOUBLE_EQ(audiogram.LevelAt(22050), 40.0);
    EXPECT_DOUBLE_EQ(Make({{1000, -5}}).LevelAt(100), -5.0) << "one point holds everywhere";
}

TEST(Audiogram, RefusesWhatIsNoAudiogramAndSaysWhy)
{
    EXPECT_EQ(Refusal({}), "no thresholds");
    EXPECT_EQ(Refusal({{1000, 20}, {1000, 30}}), "1000 Hz is not above the frequency before it");
    EXPECT_EQ(Refusal({{2000, 20}, {1000, 30}}), "1000 Hz is not above the frequency before it");
    EXPECT_EQ(Refusal({{0, 20}}), "0 Hz is not above 0 Hz");
    EXPECT_EQ(Refusal({{500, 20}, {1000, 125}}), "125 dB HL at 1000 Hz lies outside -10 to 120 dB HL");
    EXPECT_EQ(Refusal({{500, -15}}), "-15 dB HL at 500 Hz lies outside -10 to 120 dB HL");
    EXPECT_FALSE(Refusal({{500, std::numeric_limits<double>::quiet_NaN()}}).empty());
    Make({{125, -10}, {8000, 120}});  // the chart's limits themselves are fine
}

TEST(HearingStandards, AgeShiftsReproduceTheCheckValuesOfIso7029)
{
    EXPECT_NEAR(AgeShift(Sex::Male, 4000, 60), 20.209, 0.001) << "the standard's own example";
    EXPECT_NEAR(AgeShift(Sex::Male, 1000, 70), 13.4, 0.05);
    EXPECT_NEAR(AgeShift(Sex::Male, 4000, 70), 33.2, 0.05);
    EXPECT_NEAR(AgeShift(Sex::Female, 1000, 70), 14.4, 0.05);
    EXPECT_NEAR(AgeShift(Sex::Female, 4000, 70), 27.0, 0.05);
    EXPECT_EQ(AgeShift(Sex::Female, 4000, 18), 0.0);
}

TEST(HearingStandards, NoiseShiftsReproduceTheCheckValuesOfIso1999)
{
    const double at90[] = {0.0, 0.1, 6.1, 12.0, 14.6, 9.7};
    const double at95[] = {0.6, 3.3, 13.7, 23.1, 26.0, 18.6};
    const double annex85[] = {0, 0, 2, 5, 7, 4};
    const double annex100[] = {7, 11, 24, 38, 41, 30};
    for (int i = 0; i < 6; ++i) {
        const int hz = kNoiseShiftHz[i];
        EXPECT_NEAR(NoiseShift(hz, 40, 90), at90[i], 0.05) << hz;
        EXPECT_NEAR(NoiseShift(hz, 40, 95), at95[i], 0.05) << hz;
        EXPECT_NEAR(NoiseShift(hz, 40, 85), annex85[i], 0.5) << hz;
        EXPECT_NEAR(NoiseShift(hz, 40, 100), annex100[i], 0.5) << hz;
    }
    // Below ten years: the ten-year value times log10(t + 1) / log10(11).
    EXPECT_NEAR(NoiseShift(4000, 5, 95), (0.025 + 0.025) * 400 * std::log10(6.0) / std::log10(11.0), 1e-9);
    EXPECT_EQ(NoiseShift(500, 40, 92), 0.0) << "below L0";
    EXPECT_DOUBLE_EQ(CombinedShift(30, 20), 45.0);
}

TEST(AudiogramPresets, TablesAgesAndNoiseInMenuOrder)
{
    const auto& presets = AudiogramPresets();
    ASSERT_EQ(presets.size(), 1u + 10u + 8u + 4u);
    std::set<std::string> keys;
    for (const AudiogramPreset& preset : presets)
        EXPECT_TRUE(keys.insert(preset.key).second) << preset.key;
    EXPECT_EQ(presets[0].name, "Audiogramm mit 0 dB HL (kein Hörverlust)");
    EXPECT_EQ(presets[0].audiogram.LevelAt(4000), 0.0);

    // N3: 35, 40, 50, 60 dB HL at 500, 1000, 2000, 4000 Hz; 35 held below
    // 250 Hz and 65 above 6000 Hz.
    const CAudiogram& n3 = FindAudiogramPreset("N3")->audiogram;
    EXPECT_EQ(n3.LevelAt(500), 35.0);
    EXPECT_EQ(n3.LevelAt(1000), 40.0);
    EXPECT_EQ(n3.LevelAt(2000), 50.0);
    EXPECT_EQ(n3.LevelAt(4000), 60.0);
    EXPECT_EQ(n3.LevelAt(125), 35.0);
    EXPECT_EQ(n3.LevelAt(8000), 65.0);
    EXPECT_DOUBLE_EQ(FindAudiogramPreset("N2")->audiogram.LevelAt(std::sqrt(500.0 * 750.0)), 21.25);
    EXPECT_EQ(FindAudiogramPreset("S2")->audiogram.LevelAt(4000), 95.0);
    EXPECT_EQ(FindAudiogramPreset("N7")->audiogram.LevelAt(750), 100.0);
    EXPECT_EQ(FindAudiogramPreset("S3")->audiogram.LevelAt(375), 30.0);

    EXPECT_EQ(FindAudiogramPreset("age-men-60")->audiogram.LevelAt(4000), 20.2);
    EXPECT_EQ(FindAudiogramPreset("age-women-70")->audiogram.LevelAt(1000), 14.4);
    EXPECT_EQ(FindAudiogramPreset("noise-90dBA-40y")->audiogram.LevelAt(4000), 14.6);
    EXPECT_EQ(FindAudiogramPreset("noise-95dBA-40y")->audiogram.LevelAt(3000), 23.1);
    EXPECT_EQ(FindAudiogramPreset("noise-95dBA-40y")->audiogram.LevelAt(8000), 18.6) << "6 kHz held";
    // Age 60 (20.209) and 40 years at 90 dB(A) (14.625) at 4 kHz:
    // 20.209 + 14.625 - 20.209 * 14.625 / 120 = 32.37.
    EXPECT_EQ(FindAudiogramPreset("noise-90dBA-40y-age-60")->audiogram.LevelAt(4000), 32.4);
    EXPECT_EQ(FindAudiogramPreset("no-such-loss"), nullptr);
}
