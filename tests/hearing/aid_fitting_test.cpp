// The rules' gains, worked by hand from the published formulas: NAL-R with
// its extension above S = 180 and its floor at 0 dB, Fig6 at its three
// input levels, and the readings between the rules' frequencies and levels.

#include "aid_fitting.h"
#include "audiogram_presets.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

CAudiogram Flat(double hearingLevel)
{
    std::string error;
    return *CAudiogram::Make({{250, hearingLevel}, {8000, hearingLevel}}, error);
}

}  // namespace

TEST(AidFitting, NalRGivesThePublishedGainsAtItsSixFrequencies)
{
    const struct {
        const char* name;
        CAudiogram audiogram;
        std::vector<double> gains;  // 250, 500, 1000, 2000, 4000, 6000 Hz
    } kCases[] = {
        // The published checks.
        {"flat 50", Flat(50), {6, 15, 24, 22, 21, 21}},
        {"flat 70 (S = 210)", Flat(70), {17.18, 26.18, 35.18, 33.18, 32.18, 32.18}},
        // S2: S = 20 + 25 + 55 = 100, X = 5; at 250 Hz 5 + 6.2 - 17 < 0: none.
        {"S2", FindAudiogramPreset("S2")->audiogram, {0, 3.2, 13.75, 21.05, 32.45, 32.45}},
        // N5: S = 70 + 75 + 80 = 225, X = 9 + 0.116 · 45 = 14.22.
        {"N5 (S = 225)", FindAudiogramPreset("N5")->audiogram, {17.37, 27.92, 38.47, 38.02, 37.02, 37.02}},
    };
    for (const auto& c : kCases) {
        const CAidFitting fitting(AidRule::NalR, c.audiogram);
        ASSERT_EQ(fitting.Frequencies(), (std::vector<double>{250, 500, 1000, 2000, 4000, 6000}));
        for (std::size_t i = 0; i < c.gains.size(); ++i)
            for (int level = 0; level < CAidFitting::kLevels; ++level)
                EXPECT_NEAR(fitting.PointGain(static_cast<int>(i), level), c.gains[i], 1e-9)
                    << c.name << " at " << fitting.Frequencies()[i] << " Hz";
    }
}

TEST(AidFitting, Fig6GivesLessGainForLouderInputs)
{
    const struct {
        double hearingLevel;
        double gains[3];  // at 40, 65 and 95 dB SPL
    } kCases[] = {
        {50, {30, 18, 2.5119}},                                                             // the published checks
        {70, {45, 33, 11.6942}}, {10, {0, 0, 0}}, {20, {0, 0, 0}}, {60, {40, 24, 6.6289}},  // 0.1 · 20^1.4
        {90, {55, 49, 23.9088}},
    };
    for (const auto& c : kCases)
        for (int level = 0; level < CAidFitting::kLevels; ++level)
            EXPECT_NEAR(Fig6Gain(c.hearingLevel, level), c.gains[level], 1e-4) << c.hearingLevel << " dB HL";
}

TEST(AidFitting, GainsAreReadBetweenTheRulesFrequenciesAndLevels)
{
    const CAidFitting fig6(AidRule::Fig6, Flat(50));
    EXPECT_NEAR(fig6.Gain(1000, 52.5), 24.0, 1e-9) << "halfway from 40 to 65 dB SPL";
    EXPECT_NEAR(fig6.Gain(1000, 80.0), 18.0 + 0.5 * (2.5119 - 18.0), 1e-4);
    EXPECT_NEAR(fig6.Gain(1000, 20.0), 30.0, 1e-9) << "held below 40";
    EXPECT_NEAR(fig6.Gain(1000, 110.0), 2.5119, 1e-4) << "held above 95";
    const CAidFitting nalR(AidRule::NalR, FindAudiogramPreset("S2")->audiogram);
    EXPECT_NEAR(nalR.Gain(1414.21, 65), (13.75 + 21.05) / 2, 1e-3) << "halfway in log frequency";
    EXPECT_NEAR(nalR.Gain(100, 65), 0.0, 1e-9);
    EXPECT_NEAR(nalR.Gain(8000, 65), 32.45, 1e-9);
    EXPECT_EQ(nalR.Gain(3000, 40), nalR.Gain(3000, 95)) << "linear";
}
