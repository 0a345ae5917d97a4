#include "loss_processor.h"
#include "mem_play.h"
#include "output_volume.h"
#include "playback_rig.h"
#include "sample_arithmetic.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kBlock = CLossProcessor::kBlockOutput;

struct BlockProcessor : ::testing::Test {
    CSourceBank sources;
    std::unique_ptr<CLossProcessor> processor = std::make_unique<CLossProcessor>(sources);

    void AddSource(int index, const std::vector<short>& samples)
    {
        sources.m_pSourceData[index] = NewSamples(samples);
        sources.m_nSourceLen[index] = static_cast<int>(samples.size());
    }

    // Window gain of the unchanged chain at place m within the hop.
    double WindowGain(int m) const
    {
        const float* a = processor->m_fAnalysisWindow;
        const float* s = processor->m_fSynthesisWindow;
        return static_cast<double>(a[m]) * s[m + 128] + static_cast<double>(a[m + 128]) * s[m + 256];
    }
};

std::vector<short> Sine(int length, double hz, double amplitude)
{
    std::vector<short> samples(length);
    for (int i = 0; i < length; ++i)
        samples[i] = static_cast<short>(amplitude * std::sin(2 * 3.141592653589793 * hz * i / 44100));
    return samples;
}

}  // namespace

TEST_F(BlockProcessor, UnchangedChainDelaysBy128AndScalesByTheWindowGain)
{
    EXPECT_NEAR(WindowGain(0), 0.99995, 1e-5);
    EXPECT_NEAR(WindowGain(127), 0.99995, 1e-5);
    EXPECT_NEAR(WindowGain(63), 0.84778, 1e-5);
    EXPECT_NEAR(WindowGain(64), 0.84778, 1e-5);

    // With all gains 1 and no smearing only the window gain and the
    // truncation of each frame's share remain, across block boundaries too.
    const std::vector<short> input = Sine(100000, 440.0, 12000.0);
    AddSource(0, input);
    processor->m_bSourceOn[0] = 1;
    PlaybackRig rig;
    rig.Play(*processor, 5);
    ASSERT_GE(rig.played.size(), 5u * kBlock);
    // The first hop after the delay has no earlier frame to overlap.
    for (int j = 256; j < 5 * kBlock; ++j)
        ASSERT_NEAR(rig.played[j], input[j - 128] * WindowGain(j % 128), 4.0) << j;
    for (int j = 0; j < 128; ++j)
        ASSERT_NEAR(rig.played[j], 0, 4.0) << j;
}

TEST_F(BlockProcessor, SilentInputQueuesTheCarryOverThenZeros)
{
    for (int i = 0; i < CLossProcessor::kCarryOver; ++i)
        processor->m_sOutput[i] = static_cast<short>(i - 100);
    PlaybackRig rig;
    processor->m_bSourceOn[1] = 1;  // on, but absent: neither mixed nor rewound
    rig.Play(*processor, 1);
    ASSERT_GE(rig.played.size(), static_cast<std::size_t>(kBlock));
    for (int i = 0; i < kBlock; ++i)
        ASSERT_EQ(rig.played[i], i < CLossProcessor::kCarryOver ? i - 100 : 0) << i;
    for (short sample : processor->m_sOutput)
        ASSERT_EQ(sample, 0);
    EXPECT_EQ(sources.m_nSourcePos[1], 0);
}

TEST_F(BlockProcessor, SourcesAdvance3968PerBlockWhetherOrNotThePlayerIsOpen)
{
    AddSource(0, std::vector<short>(100, 50));
    AddSource(2, std::vector<short>(5000, 7));
    sources.m_nSourcePos[0] = 50;
    sources.m_nSourcePos[2] = 4000;
    processor->m_bSourceOn[0] = 1;
    processor->m_bSourceOn[2] = 0;
    ASSERT_FALSE(g_memPlay.m_bOpen);
    processor->ProcessBlock();
    EXPECT_EQ(sources.m_nSourcePos[0], (50 + 3968) % 100);
    EXPECT_EQ(sources.m_nSourcePos[2], 4000) << "a switched-off source keeps its place";
    // The block was lost, but the carry-over moved on: it holds the input.
    bool carried = false;
    for (int i = 0; i < CLossProcessor::kCarryOver; ++i)
        carried = carried || processor->m_sOutput[i] != 0;
    EXPECT_TRUE(carried);
    for (int i = CLossProcessor::kCarryOver; i < CLossProcessor::kOutputSize; ++i)
        ASSERT_EQ(processor->m_sOutput[i], 0) << i;
}

TEST_F(BlockProcessor, SampleArithmeticSaturates)
{
    EXPECT_EQ(SaturateToSample(40000.7), 32767);
    EXPECT_EQ(SaturateToSample(-40000.0), -32768);
    EXPECT_EQ(SaturateToSample(-0.9), 0);
    EXPECT_EQ(SaturateToSample(32766.9), 32766);
    EXPECT_EQ(SaturateToSample(std::nan("")), 0);
    EXPECT_EQ(AddSamples(30000, 10000), 32767);
    EXPECT_EQ(AddSamples(-30000, -10000), -32768);
    EXPECT_EQ(AddSamples(-30000, 10000), -20000);

    // A frame far louder than full scale clips at the top instead of
    // wrapping into a negative click.
    float spectrum[512] = {};
    spectrum[0] = 1e9f;
    short frame[512];
    processor->SynthesiseFrame(frame, spectrum);
    EXPECT_EQ(frame[255], 32767);
    for (short sample : frame)
        ASSERT_GE(sample, 0);
}

TEST_F(BlockProcessor, LoudOverlapAddClipsInsteadOfWrapping)
{
    // A loud carry-over plus a loud new frame exceeds 16 bits.
    for (int i = 0; i < CLossProcessor::kCarryOver; ++i)
        processor->m_sOutput[i] = 30000;
    AddSource(0, std::vector<short>(4096, 10000));
    processor->m_bSourceOn[0] = 1;
    PlaybackRig rig;
    rig.Play(*processor, 1);
    for (int j = 0; j < 120; ++j)
        ASSERT_NEAR(rig.played[j], 30000, 4) << j;
    for (int j = 256; j < CLossProcessor::kCarryOver; ++j)
        ASSERT_EQ(rig.played[j], 32767) << j;
}

TEST_F(BlockProcessor, GainsOfZeroSilenceAndLoudnessLeavesTheDisplayAlone)
{
    const std::vector<short> input = Sine(50000, 1000.0, 10000.0);
    AddSource(0, input);
    processor->m_bSourceOn[0] = 1;

    CSourceBank quietSources;
    quietSources.m_pSourceData[0] = NewSamples(input);
    quietSources.m_nSourceLen[0] = static_cast<int>(input.size());
    const auto quiet = std::make_unique<CLossProcessor>(quietSources);
    quiet->m_bSourceOn[0] = 1;
    quiet->m_dLoudness = 0.3;

    PlaybackRig loudRig;
    loudRig.Play(*processor, 3);
    const std::vector<short>& loudPlayed = loudRig.played;

    PlaybackRig quietRig;
    quietRig.Play(*quiet, 3);
    for (int b = 0; b < CLossProcessor::kBands; ++b)
        EXPECT_EQ(quiet->m_dBandLevel[b], processor->m_dBandLevel[b]) << b;
    EXPECT_EQ(quiet->m_dMaxLevel, processor->m_dMaxLevel);
    double loudPeak = 0, quietPeak = 0;
    for (int i = 0; i < 3 * kBlock; ++i) {
        loudPeak = std::max(loudPeak, std::abs(static_cast<double>(loudPlayed[i])));
        quietPeak = std::max(quietPeak, std::abs(static_cast<double>(quietRig.played[i])));
    }
    EXPECT_GT(loudPeak, 8000);
    EXPECT_LT(quietPeak, loudPeak * 0.1);

    // All gains 0: every frame is silent.
    for (float& gain : processor->m_fHighFreqGain)
        gain = 0.0f;
    processor->ProcessBlock();
    processor->ProcessBlock();
    for (short sample : processor->m_sOutput)
        ASSERT_EQ(sample, 0);
}
