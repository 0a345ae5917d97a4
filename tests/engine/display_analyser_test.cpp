#include "loss_processor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

struct DisplayAnalyser : ::testing::Test {
    CSourceBank sources;
    std::unique_ptr<CLossProcessor> processor = std::make_unique<CLossProcessor>(sources);

    int BandLo(int b) const { return processor->m_nBandEdgeHz[b] * 2048 / 22050; }
    int BandHi(int b) const { return processor->m_nBandEdgeHz[b + 1] * 2048 / 22050; }

    // 4096 samples of a cosine at the centre of display bin `bin`.
    static std::vector<short> Tone(double bin, double amplitude)
    {
        std::vector<short> samples(4096);
        for (int i = 0; i < 4096; ++i)
            samples[i] = static_cast<short>(amplitude * std::cos(2 * 3.141592653589793 * bin * i / 4096));
        return samples;
    }
};

}  // namespace

TEST_F(DisplayAnalyser, BandTable)
{
    const int table[23][2] = {{9, 18},     {18, 28},    {28, 39},    {39, 51},     {51, 65},     {65, 80},
                              {80, 98},    {98, 118},   {118, 142},  {142, 169},   {169, 202},   {202, 240},
                              {240, 284},  {284, 337},  {337, 399},  {399, 472},   {472, 558},   {558, 659},
                              {659, 780},  {780, 921},  {921, 1089}, {1089, 1287}, {1287, 1520}};
    for (int b = 0; b < 23; ++b) {
        EXPECT_EQ(BandLo(b), table[b][0]) << b;
        EXPECT_EQ(BandHi(b), table[b][1]) << b;
    }
}

TEST_F(DisplayAnalyser, SilenceSmoothsTowardMinus100AndKeepsTheMaximum)
{
    const std::vector<short> silence(4096, 0);
    const double expected[3] = {-50.0, -75.0, -87.5};
    for (double level : expected) {
        processor->AnalyseDisplaySpectrum(silence.data());
        for (int b = 0; b < 23; ++b)
            ASSERT_EQ(processor->m_dBandLevel[b], level) << b;
    }
    EXPECT_EQ(processor->m_dMaxLevel, 80.0);
    EXPECT_EQ(CLossProcessor::SafeLog10(0.0), -5.0);
    EXPECT_EQ(CLossProcessor::SafeLog10(0.000009), -5.0);
    EXPECT_EQ(CLossProcessor::SafeLog10(100.0), 2.0);
}

TEST_F(DisplayAnalyser, BandLevelSumsMagnitudesAndRaisesTheMaximumStrictly)
{
    std::vector<float> magnitudes(2048, 0.0f);
    magnitudes[10] = 4000.0f;
    magnitudes[11] = 6000.0f;  // sum 10000: 80 dB
    EXPECT_DOUBLE_EQ(processor->BandLevel(magnitudes.data(), 9, 18), 80.0);
    EXPECT_EQ(processor->m_dMaxLevel, 80.0);
    EXPECT_EQ(processor->BandLevel(magnitudes.data(), 12, 11), -100.0) << "an empty range";
    magnitudes[12] = 90000.0f;  // sum 100000: 100 dB
    EXPECT_DOUBLE_EQ(processor->BandLevel(magnitudes.data(), 9, 18), 100.0);
    EXPECT_DOUBLE_EQ(processor->m_dMaxLevel, 100.0);
    processor->BandLevel(magnitudes.data(), 10, 11);
    EXPECT_DOUBLE_EQ(processor->m_dMaxLevel, 100.0) << "never decreases";
}

TEST_F(DisplayAnalyser, ToneInABoundaryBinRaisesBothBandsAndOutOfRangeToneNone)
{
    // Bin 18 (about 194 Hz) belongs to bands 0 and 1 in full.
    const std::vector<short> boundary = Tone(18, 10000);
    processor->AnalyseDisplaySpectrum(boundary.data());
    const double first = processor->m_dBandLevel[0];
    const double second = processor->m_dBandLevel[1];
    EXPECT_GT(first, 50.0);
    EXPECT_NEAR(first, second, 1.0);
    for (int b = 3; b < 23; ++b)
        EXPECT_LT(processor->m_dBandLevel[b], first - 30) << b;

    // Below bin 9 and above bin 1520 nothing shows beyond the noise floor of
    // 16-bit samples.
    for (double bin : {4.0, 1700.0}) {
        const auto fresh = std::make_unique<CLossProcessor>(sources);
        const std::vector<short> tone = Tone(bin, 10000);
        fresh->AnalyseDisplaySpectrum(tone.data());
        for (int b = 0; b < 23; ++b)
            EXPECT_LT(fresh->m_dBandLevel[b], first - 30) << "bin " << bin << " band " << b;
    }
}

TEST_F(DisplayAnalyser, TheHannWindowSpreadsAnOnBinToneIntoItsNeighbours)
{
    // A cosine of amplitude A on bin 117, Hann-windowed over N = 4096 points:
    // magnitudes A·N/8, A·N/4, A·N/8 on bins 116, 117, 118. Bin 118 is the
    // first of band 8, so band 8 holds 20·log10(10000·4096/8) = 134.19 dB and
    // band 7 (bins 98..118) 20·log10(10000·4096/2) = 146.23 dB; without the
    // window band 8 would hold only the rounding noise, about 50 dB. Smoothed
    // from 0, the shown levels are half of these.
    const std::vector<short> tone = Tone(117, 10000);
    processor->AnalyseDisplaySpectrum(tone.data());
    EXPECT_NEAR(processor->m_dBandLevel[8], 134.19 / 2, 0.05);
    EXPECT_NEAR(processor->m_dBandLevel[7], 146.23 / 2, 0.05);
    EXPECT_NEAR(processor->m_dMaxLevel, 146.23, 0.1);
}
