#include "audiogram_presets.h"
#include "audiogram_smearing.h"
#include "loss_processor.h"

#include <gtest/gtest.h>

#include <memory>

TEST(AudiogramSmearing, TheDegreeOfLossAbove2KilohertzChoosesTheWidening)
{
    // Means at 2, 3, 4, 6 and 8 kHz: N1 29, S1 48, N2 44, N3 59, normal 0.
    EXPECT_DOUBLE_EQ(HighFrequencyMean(FindAudiogramPreset("N1")->audiogram), 29.0);
    EXPECT_STREQ(WideningFor(FindAudiogramPreset("N1")->audiogram).degree, "leicht");
    EXPECT_STREQ(WideningFor(FindAudiogramPreset("S1")->audiogram).degree, "mittel");
    EXPECT_STREQ(WideningFor(FindAudiogramPreset("N2")->audiogram).degree, "mittel");
    const SmearingWidening severe = WideningFor(FindAudiogramPreset("N3")->audiogram);
    EXPECT_STREQ(severe.degree, "stark");
    EXPECT_DOUBLE_EQ(severe.BarkBelow(), 3.0);
    EXPECT_DOUBLE_EQ(severe.BarkAbove(), 1.0);
    EXPECT_DOUBLE_EQ(WideningFor(FindAudiogramPreset("normal")->audiogram).BarkBelow(), 0.0);
}

TEST(AudiogramSmearing, EachEarWidensItsOwnSmearingOnlyWhileSwitchedOn)
{
    CSourceBank sources;
    const auto processor = std::make_unique<CLossProcessor>(sources);
    const int low = processor->m_nSmearLow[50];
    const int high = processor->m_nSmearHigh[50];
    processor->SetEarAudiogram(Ear::Left, &FindAudiogramPreset("N3")->audiogram);
    processor->SetEarAudiogram(Ear::Right, &FindAudiogramPreset("N2")->audiogram);
    EXPECT_FALSE(processor->EarChain(Ear::Left).OwnSmearing()) << "off by default";

    // Bin 50 (4307 Hz) lies at 16.014 Bark. Severe (N3, left): 13.014 Bark =
    // 30.07 bins below, 17.014 Bark = 59.15 bins above: bins 30 to 60 (one
    // above the floor of the upper quotient). Moderate (N2, right): 1.4 Bark
    // below (39.48), 0.6 above (55.31): 39 to 56.
    processor->SetAudiogramSmearing(true);
    const CEarChain& left = processor->EarChain(Ear::Left);
    const CEarChain& right = processor->EarChain(Ear::Right);
    ASSERT_TRUE(left.OwnSmearing() && right.OwnSmearing());
    EXPECT_EQ(left.SmearLow(50), 30);
    EXPECT_EQ(left.SmearHigh(50), 60);
    EXPECT_EQ(right.SmearLow(50), 39);
    EXPECT_EQ(right.SmearHigh(50), 56);
    EXPECT_EQ(processor->m_nSmearLow[50], low) << "the slider's table stays the slider's";
    EXPECT_EQ(processor->m_nSmearHigh[50], high);

    // The slider at 0.5 adds 1.5 Bark on each side: the left ear then takes
    // 11.514 Bark (2000 Hz, 23.22 bins) to 18.514 Bark (6551 Hz, 76.05 bins).
    processor->m_dResolution = 0.5;
    processor->BuildSmearTable();
    EXPECT_EQ(left.SmearLow(50), 23);
    EXPECT_EQ(left.SmearHigh(50), 77);

    processor->SetEarAudiogram(Ear::Left, nullptr);
    EXPECT_FALSE(left.OwnSmearing()) << "no audiogram, nothing to widen";
    EXPECT_TRUE(right.OwnSmearing());
}
