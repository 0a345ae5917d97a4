#include "bark_scale.h"
#include "loss_processor.h"
#include "output_volume.h"
#include "vector_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

struct LossModel : ::testing::Test {
    CSourceBank sources;
    std::unique_ptr<CLossProcessor> processor = std::make_unique<CLossProcessor>(sources);

    void SetResolution(double setting)
    {
        processor->m_dResolution = setting;
        processor->BuildSmearTable();
    }
    void SetHighFreq(double setting)
    {
        processor->m_dHighFreq = setting;
        processor->BuildHighFreqGain();
    }
    float Gain(int bin) const { return processor->m_fHighFreqGain[2 * bin]; }
};

}  // namespace

TEST(BarkScale, ConversionsAndTheBandEdges)
{
    EXPECT_DOUBLE_EQ(HzToBark(0.0), 0.0);
    EXPECT_NEAR(HzToBark(86.1328125), 0.858, 0.001);
    EXPECT_NEAR(BarkToHz(HzToBark(1234.5)), 1234.5, 1e-9);
    EXPECT_LT(BarkToHz(-1.0), 0.0);

    CSourceBank sources;
    const auto processor = std::make_unique<CLossProcessor>(sources);
    const int edges[24] = {100, 203, 312, 430, 559, 705, 869, 1059, 1277, 1531, 1828, 2176,
                           2584, 3064, 3630, 4296, 5082, 6010, 7105, 8398, 9925, 11728, 13858, 16373};
    for (int k = 0; k < 24; ++k)
        EXPECT_EQ(processor->m_nBandEdgeHz[k], edges[k]) << k;
    EXPECT_EQ(processor->m_fBinBark[0], 0.0f);
    EXPECT_NEAR(processor->m_fBinBark[1], 0.858, 0.001);
    EXPECT_NEAR(processor->m_fBinBark[255], 25.76, 0.01);
}

TEST_F(LossModel, SmearTableRows)
{
    struct Row {
        double setting;
        int bins[6][2];
    };
    const int bins[6] = {1, 2, 10, 50, 100, 200};
    const Row rows[] = {
        {0.75, {{0, 2}, {1, 3}, {8, 12}, {44, 57}, {88, 114}, {176, 227}}},
        {0.5, {{0, 3}, {0, 4}, {7, 14}, {38, 65}, {77, 129}, {155, 255}}},
        {0.0, {{0, 5}, {0, 7}, {4, 18}, {30, 83}, {60, 165}, {121, 255}}},
    };
    for (const Row& row : rows) {
        SetResolution(row.setting);
        for (int b = 0; b < 6; ++b) {
            EXPECT_EQ(processor->m_nSmearLow[bins[b]], row.bins[b][0]) << row.setting << " bin " << bins[b];
            EXPECT_EQ(processor->m_nSmearHigh[bins[b]], row.bins[b][1]) << row.setting << " bin " << bins[b];
        }
    }
    // No smearing: both ends come from the same quotient.
    SetResolution(1.0);
    for (int i = 1; i < 256; ++i)
        ASSERT_EQ(processor->m_nSmearHigh[i], std::min(processor->m_nSmearLow[i] + 1, 255)) << i;
}

TEST_F(LossModel, SmearingTakesTheWeightedMeanAndKeepsThePhase)
{
    std::vector<float> spectrum(512), magnitudes(256);
    for (int k = 0; k < 256; ++k) {
        spectrum[2 * k] = 3.0f * (k % 7 + 1);
        spectrum[2 * k + 1] = -4.0f * (k % 7 + 1);
    }
    spectrum[0] = 9.0f;
    spectrum[1] = 11.0f;
    spectrum[2 * 40] = spectrum[2 * 40 + 1] = 0.0f;  // a silent bin among loud ones
    CLossProcessor::ComputeMagnitudes(spectrum.data(), magnitudes.data());
    EXPECT_EQ(magnitudes[0], 9.0f);
    EXPECT_EQ(magnitudes[3], 20.0f);

    // A resolution setting of 1 changes nothing.
    std::vector<float> unchanged = spectrum;
    SetResolution(1.0);
    processor->SmearSpectrum(unchanged.data(), magnitudes.data());
    EXPECT_EQ(unchanged, spectrum);

    SetResolution(0.0);
    std::vector<float> smeared = spectrum;
    processor->SmearSpectrum(smeared.data(), magnitudes.data());
    EXPECT_EQ(smeared[0], 9.0f);
    EXPECT_EQ(smeared[1], 11.0f);
    EXPECT_EQ(smeared[80], 0.0f);
    EXPECT_EQ(smeared[81], 0.0f);
    // Bin 255's range is clamped at 255, so it never meets the condition.
    EXPECT_EQ(smeared[510], spectrum[510]);
    EXPECT_EQ(smeared[511], spectrum[511]);

    // Bin 1 over bins 0..5 with weights 0, 1, 0.75, 0.5, 0.25, 0.
    const float* m = magnitudes.data();
    const float total = 1.0f * m[1] + 0.75f * m[2] + 0.5f * m[3] + 0.25f * m[4];
    const float gain = total / 2.5f / m[1];
    EXPECT_EQ(smeared[2], spectrum[2] * gain);
    EXPECT_EQ(smeared[3], spectrum[3] * gain);
    // The phase stays: re/im keeps its ratio, and the magnitude is the mean.
    for (int k = 2; k < 255; ++k) {
        if (k == 40)
            continue;
        ASSERT_NEAR(smeared[2 * k] / smeared[2 * k + 1], -0.75, 1e-5) << k;
        ASSERT_GT(std::hypot(smeared[2 * k], smeared[2 * k + 1]), 5.0 * 0.9) << k;
        ASSERT_LT(std::hypot(smeared[2 * k], smeared[2 * k + 1]), 35.0 * 1.01) << k;
    }
}

// The smearing step written out plainly, bin by bin, with the weights formed
// for every bin anew.
static void SmearPlainly(const CLossProcessor& processor, float* spectrum, const float* m)
{
    for (int i = 1; i < 256; ++i) {
        const int lo = processor.m_nSmearLow[i];
        const int hi = processor.m_nSmearHigh[i];
        if (!(lo < i && i < hi && m[i] > 0.0f))
            continue;
        float total = 0.0f;
        float weights = 0.0f;
        for (int j = lo; j < i; ++j) {
            const float w = static_cast<float>(j - lo) / static_cast<float>(i - lo);
            total += w * m[j];
            weights += w;
        }
        for (int j = i; j <= hi; ++j) {
            const float w = static_cast<float>(hi - j) / static_cast<float>(hi - i);
            total += w * m[j];
            weights += w;
        }
        const float g = total / weights / m[i];
        spectrum[2 * i] *= g;
        spectrum[2 * i + 1] *= g;
    }
}

void PrintTo(VectorPath path, std::ostream* out) { *out << VectorPathName(path); }

// Each vector path, forced as a user would force it, on every path the
// processor supports.
struct SmearingPath : LossModel, ::testing::WithParamInterface<VectorPath> {};

TEST_P(SmearingPath, EqualsThePlainStepToTheBit)
{
    if (!VectorPathSupported(GetParam()))
        GTEST_SKIP() << "this processor cannot run " << VectorPathName(GetParam());
    setenv("SONAFEL_VECTOR", VectorPathName(GetParam()), 1);
    ASSERT_EQ(ChosenVectorPath(), GetParam());
    processor = std::make_unique<CLossProcessor>(sources);
    unsetenv("SONAFEL_VECTOR");
    std::mt19937 random(5);
    std::uniform_real_distribution<float> value(-5000.0f, 5000.0f);
    // Below 0, every bin takes in the whole spectrum: the widest table.
    for (double setting : {0.0, 0.13, 0.5, 0.77, 0.95, 1.0, -10.0}) {
        SetResolution(setting);
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<float> spectrum(512), magnitudes(256);
            for (float& x : spectrum)
                x = trial % 4 == 0 && random() % 3 == 0 ? 0.0f : value(random);
            CLossProcessor::ComputeMagnitudes(spectrum.data(), magnitudes.data());
            std::vector<float> prepared = spectrum;
            std::vector<float> plain = spectrum;
            processor->SmearSpectrum(prepared.data(), magnitudes.data());
            SmearPlainly(*processor, plain.data(), magnitudes.data());
            ASSERT_EQ(prepared, plain) << "setting " << setting << " trial " << trial;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(LossModel, SmearingPath,
                         ::testing::Values(VectorPath::Plain, VectorPath::Sse2, VectorPath::Avx2, VectorPath::Avx512),
                         [](const ::testing::TestParamInfo<VectorPath>& info) { return VectorPathName(info.param); });

TEST_F(LossModel, RangeOfOneBinEachSideLeavesTheBinAlone)
{
    SetResolution(0.9);
    int narrow = 0;
    for (int i = 1; i < 255 && !narrow; ++i)
        if (processor->m_nSmearLow[i] == i - 1 && processor->m_nSmearHigh[i] == i + 1)
            narrow = i;
    ASSERT_NE(narrow, 0);
    std::vector<float> spectrum(512), magnitudes(256);
    for (int k = 0; k < 512; ++k)
        spectrum[k] = static_cast<float>(k % 13) - 6.5f;
    CLossProcessor::ComputeMagnitudes(spectrum.data(), magnitudes.data());
    std::vector<float> smeared = spectrum;
    processor->SmearSpectrum(smeared.data(), magnitudes.data());
    EXPECT_EQ(smeared[2 * narrow], spectrum[2 * narrow]);
    EXPECT_EQ(smeared[2 * narrow + 1], spectrum[2 * narrow + 1]);
}

TEST_F(LossModel, GainCurveRows)
{
    struct Row {
        double setting;
        int nCut, nEnd;
    };
    // A fresh processor asked for 0.0 first builds its curve: its own
    // record of the setting built starts at none, and the program's view's
    // (g_dGainCurveSetting) is not its.
    g_dGainCurveSetting = 0.0;
    for (const Row& row : {Row{0.0, 4, 8}, Row{0.5, 21, 30}, Row{0.8, 61, 85}, Row{0.9, 91, 127}, Row{1.0, 203, 283}}) {
        SetHighFreq(row.setting);
        for (int k = 0; k < 256; ++k) {
            float expected = 0.0f;
            if (k < row.nCut)
                expected = 1.0f;
            else if (k < row.nEnd)
                expected = static_cast<float>(static_cast<double>(row.nEnd - k) / (row.nEnd - row.nCut));
            ASSERT_EQ(Gain(k), expected) << row.setting << " bin " << k;
            ASSERT_EQ(processor->m_fHighFreqGain[2 * k + 1], expected);
        }
    }
    SetHighFreq(0.0);
    EXPECT_EQ(Gain(4), 1.0f);
    EXPECT_EQ(Gain(5), 0.75f);
    EXPECT_EQ(Gain(6), 0.5f);
    EXPECT_EQ(Gain(7), 0.25f);
    EXPECT_EQ(Gain(8), 0.0f);
    SetHighFreq(1.0);
    EXPECT_FLOAT_EQ(Gain(255), 0.35f);
    EXPECT_EQ(g_dGainCurveSetting, 0.0) << "the program's view's record is left alone";
    // A second processor at the first one's setting builds its own curve.
    CSourceBank otherSources;
    CLossProcessor second(otherSources);
    second.m_dHighFreq = 1.0;
    second.BuildHighFreqGain();
    EXPECT_FLOAT_EQ(second.m_fHighFreqGain[2 * 255], 0.35f);
}

TEST_F(LossModel, GainCurveIsRebuiltOnlyForANewSetting)
{
    // A processor's own record starts at none: a first build at 0.0 builds.
    // (The program's view keeps the record in g_dGainCurveSetting, from 0.0.)
    SetHighFreq(0.0);
    EXPECT_EQ(Gain(200), 0.0f);
    SetHighFreq(0.5);
    EXPECT_EQ(Gain(100), 0.0f);
    processor->m_fHighFreqGain[200] = 0.123f;
    SetHighFreq(0.5);
    EXPECT_EQ(processor->m_fHighFreqGain[200], 0.123f);
}

TEST_F(LossModel, LoudnessTable)
{
    struct Row {
        double setting;
        std::uint32_t word;
        double gain;
    };
    const Row rows[] = {
        {1.0, 0xFFFFFFFFu, 1.0},
        {0.9, 27635u * 65537u, 1.0},
        {0.8, 11653u * 65537u, 1.0},
        {0.5, 0x19991999u, std::pow(10.0, -17.5 / 20)},
        {0.0, 0x19991999u, std::pow(10.0, -55.0 / 20)},
    };
    for (const Row& row : rows) {
        processor->m_dLoudness = row.setting;
        short samples[5] = {30000, -30000, 563, -562, 7};
        const short before[5] = {30000, -30000, 563, -562, 7};
        SetOutputVolume(0);
        processor->ApplyLoudness(samples, 4);
        EXPECT_EQ(OutputVolume(), row.word) << row.setting;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(samples[i], static_cast<short>(before[i] * row.gain)) << row.setting << " sample " << i;
        EXPECT_EQ(samples[4], 7) << "beyond the count";
    }
    EXPECT_NEAR(std::pow(10.0, -17.5 / 20), 0.13335, 1e-5);
    processor->m_dLoudness = 0.0;
    short quiet[2] = {562, 563};
    processor->ApplyLoudness(quiet, 2);
    EXPECT_EQ(quiet[0], 0);
    EXPECT_EQ(quiet[1], 1);
}

TEST(LossProcessor, ConstructionSetsFullVolumeWindowsAndNoLoss)
{
    SetOutputVolume(1234);
    CSourceBank sources;
    const auto processor = std::make_unique<CLossProcessor>(sources);
    EXPECT_EQ(OutputVolume(), 0xFFFFFFFFu);
    EXPECT_EQ(processor->m_dLoudness, 1.0);
    EXPECT_EQ(processor->m_dHighFreq, 1.0);
    EXPECT_EQ(processor->m_dResolution, 1.0);
    EXPECT_EQ(processor->m_dMaxLevel, 80.0);
    for (float gain : processor->m_fHighFreqGain)
        ASSERT_EQ(gain, 1.0f);
    // Symmetric windows with exact zeros at both ends.
    EXPECT_EQ(processor->m_fAnalysisWindow[0], 0.0f);
    EXPECT_EQ(processor->m_fAnalysisWindow[255], 0.0f);
    EXPECT_EQ(processor->m_fSynthesisWindow[511], 0.0f);
    EXPECT_EQ(processor->m_fDisplayWindow[4095], 0.0f);
    EXPECT_EQ(processor->m_fAnalysisWindow[100], processor->m_fAnalysisWindow[155]);
    EXPECT_EQ(processor->m_fAnalysisWindow[1], static_cast<float>(0.5 - 0.5 * std::cos(2 * 3.141592653589793 / 255)));
}
