#include "auditory_filter_bank.h"
#include "erb_scale.h"
#include "filter_signals.h"
#include "loss_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// The mean power each filter reads (re full scale, in dB) over `signal`
// after its first half second, fed as the chain feeds it: blocks of 4096
// samples 3968 apart, frames of 256 samples 128 apart.
// `degree`: the filters broadened for that degree of loss.
std::vector<double> MeanLevels(const std::vector<short>& signal, float inputGain = 1.0f, const float* binGain = nullptr,
                               int degree = 0)
{
    CSourceBank sources;
    const CLossProcessor processor(sources);
    CAuditoryFilterBank bank;
    bank.SetFrameWindow(processor.m_fAnalysisWindow, CLossProcessor::kFrameInput);
    bank.SetBroadening(degree);
    std::vector<double> sum(CAuditoryFilterBank::kChannels, 0.0);
    double power[CAuditoryFilterBank::kChannels];
    float spectrum[CLossProcessor::kFrameSize];
    int counted = 0;
    for (std::size_t start = 0; start + 4096 <= signal.size(); start += 3968) {
        bank.BeginBlock(signal.data() + start, start > 0, inputGain, binGain);
        for (int k = 0; k < 31; ++k) {
            processor.AnalyseFrame(signal.data() + start + 128 * k, spectrum);
            for (float& value : spectrum)
                value *= inputGain;
            if (binGain)
                for (int i = 0; i < CLossProcessor::kFrameSize; ++i)
                    spectrum[i] *= binGain[i];
            bank.Measure(spectrum, power);
            if (start + 128 * k < 22050)
                continue;
            ++counted;
            for (int c = 0; c < CAuditoryFilterBank::kChannels; ++c)
                sum[c] += power[c];
        }
    }
    for (double& level : sum)
        level = 10.0 * std::log10(level / counted);
    return sum;
}

// Four seconds of white noise at RMS 20 dB below full scale.
std::vector<short> WhiteNoise()
{
    std::mt19937 random(3);
    std::normal_distribution<double> gauss(0.0, 3276.8);
    std::vector<short> noise(44100 * 4);
    for (short& sample : noise)
        sample = static_cast<short>(std::lround(gauss(random)));
    return noise;
}

}  // namespace

TEST(AuditoryFilterBank, FiltersSitHalfAnErbApartWithTheirPublishedWidths)
{
    // ERB = 24.7 (4.37 f/kHz + 1): 51.7 Hz at 250, 132.6 at 1000, 456.5 at
    // 4000; the scale 21.4 log10(4.37 f/kHz + 1) gives 2 ERB at 55.0 Hz.
    EXPECT_NEAR(ErbHz(250), 51.7, 0.05);
    EXPECT_NEAR(ErbHz(1000), 132.6, 0.05);
    EXPECT_NEAR(ErbHz(4000), 456.5, 0.05);
    EXPECT_NEAR(CAuditoryFilterBank::CentreHz(0), 55.0, 0.1);
    EXPECT_NEAR(HzAtErbNumber(ErbNumber(1234.5)), 1234.5, 1e-9);
    for (int c = 1; c < CAuditoryFilterBank::kChannels; ++c) {
        const double a = CAuditoryFilterBank::CentreHz(c - 1);
        const double b = CAuditoryFilterBank::CentreHz(c);
        // Half an ERB apart: the step is about half the ERB between them.
        EXPECT_NEAR(b - a, 0.5 * ErbHz((a + b) / 2), 0.02 * ErbHz((a + b) / 2)) << c;
    }
    EXPECT_LT(CAuditoryFilterBank::CentreHz(CAuditoryFilterBank::kChannels - 1), 22050.0);
    EXPECT_GT(CAuditoryFilterBank::CentreHz(CAuditoryFilterBank::kChannels - 1), 20000.0);
}

TEST(AuditoryFilterBank, APureToneReadsItsOwnLevelWhereverItLies)
{
    // RMS 20 dB below full scale, at the audiometric frequencies, between
    // filters, and at each analysis's edges (800 Hz, 3 kHz).
    for (const double hz : {125.0, 250.0, 500.0, 1000.0, 2000.0, 4000.0, 8000.0, 137.0, 310.0, 777.0, 805.0, 1290.0,
                            2950.0, 3100.0, 6500.0}) {
        const std::vector<double> level = MeanLevels(Tone(hz, -20.0, 44100));
        EXPECT_NEAR(level[NearestChannel(hz)], -20.0, 1.0) << hz << " Hz";
        // Two filters (1 ERB) away it has fallen well below.
        EXPECT_LT(level[NearestChannel(hz) + 2], -24.0) << hz << " Hz";
    }
}

TEST(AuditoryFilterBank, BroadbandNoiseReadsItsLevelPerErb)
{
    // White noise at RMS 20 dB below full scale spreads evenly over 22050 Hz:
    // a filter one ERB wide takes -20 + 10·log10(ERB / 22050) dB, e.g.
    // -46.3 at 250 Hz and -37.0 at 4 kHz. Pink noise would give -0.5 dB at
    // 250 Hz relative to its one-third octave; white needs no band edges.
    const std::vector<short> noise = WhiteNoise();
    const std::vector<double> level = MeanLevels(noise);
    for (const double hz : {250.0, 500.0, 1000.0, 2000.0, 4000.0}) {
        const int c = NearestChannel(hz);
        const double expected = -20.0 + 10.0 * std::log10(ErbHz(CAuditoryFilterBank::CentreHz(c)) / 22050.0);
        EXPECT_NEAR(level[c], expected, 2.0) << hz << " Hz";
    }
}

TEST(AuditoryFilterBank, AnImpairedEarsBroaderFiltersReadMoreNoiseWiderBelowThanAbove)
{
    // Filters 1.5, 2 and 3 times an ERB wide read white noise at RMS 20 dB
    // below full scale at -20 + 10·log10(broadening · ERB / 22050) dB.
    const std::vector<short> noise = WhiteNoise();
    const struct {
        int degree;
        double broadening;
    } widths[] = {{1, 1.5}, {2, 2.0}, {3, 3.0}};
    for (const auto& width : widths) {
        const std::vector<double> level = MeanLevels(noise, 1.0f, nullptr, width.degree);
        for (const double hz : {250.0, 500.0, 1000.0, 2000.0, 4000.0}) {
            const int c = NearestChannel(hz);
            const double expected =
                -20.0 + 10.0 * std::log10(width.broadening * ErbHz(CAuditoryFilterBank::CentreHz(c)) / 22050.0);
            EXPECT_NEAR(level[c], expected, 0.75) << "degree " << width.degree << ", " << hz << " Hz";
        }
    }
    // Severe: 2 ERB below the centre, and above a rounded exponential
    // (1 + pg)·e^(-pg), g = (f - fc)/fc, p = 2·fc/ERB(fc). A tone 1.5 ERB
    // numbers (three filters) below its nearest filter's centre reads its
    // own level there; the filter three below that one passes it through
    // its skirt: for 1 kHz (nearest filter at ERB number 15.5) the one at
    // 14.0, 803.5 Hz (ERB 111.4 Hz, p = 14.42, g = 0.2446, pg = 3.527)
    // passes 0.133 of it, -8.8 dB; for 4 kHz (27.0) the one at 25.5,
    // 3328 Hz (ERB 384.0 Hz, p = 17.34, g = 0.2018, pg = 3.499) 0.136,
    // -8.7 dB; within 2 dB, as the analysis's own lobe rounds so steep a
    // skirt (a skirt as wide as the lower side would pass -3 dB, none -40).
    const struct {
        double hz;
        double throughSkirt;
    } tones[] = {{1000.0, -28.8}, {4000.0, -28.7}};
    for (const auto& tone : tones) {
        const std::vector<double> level = MeanLevels(Tone(tone.hz, -20.0, 44100), 1.0f, nullptr, 3);
        EXPECT_NEAR(level[NearestChannel(tone.hz) + 3], -20.0, 1.0) << tone.hz << " Hz";
        EXPECT_NEAR(level[NearestChannel(tone.hz) - 3], tone.throughSkirt, 2.0) << tone.hz << " Hz";
    }
}

TEST(AuditoryFilterBank, TheLongAnalysisTakesTheGainsTheChainAppliesBeforeTheFrames)
{
    // The frames arrive scaled (a presentation gain of 2, +6.0 dB) and with
    // a gain curve (0.5, -6.0 dB, from 600 Hz up): the long analysis, which
    // reads the input itself, must apply them as the frames carry them.
    // 300 Hz: +6.0 dB; 700 Hz: +6.0 - 6.0 = 0 dB (both long); 2 kHz: 0 dB.
    std::vector<float> curve(CLossProcessor::kFrameSize, 1.0f);
    for (int i = 2 * 7; i < CLossProcessor::kFrameSize; ++i)
        curve[i] = 0.5f;
    for (const auto& [hz, change] : {std::pair{300.0, 6.02}, std::pair{700.0, 0.0}, std::pair{2000.0, 0.0}}) {
        const std::vector<short> tone = Tone(hz, -26.0, 44100);
        EXPECT_NEAR(MeanLevels(tone, 2.0f, curve.data())[NearestChannel(hz)], -26.0 + change, 1.0) << hz << " Hz";
    }
}

TEST(AuditoryFilterBank, NoFilterHearsATonesOnsetBeforeAFrameReachesIt)
{
    // A tone after 2.5 blocks of digital silence: every filter reads nothing
    // (below -120 dB re full scale) in the frames that end before the onset,
    // and the filter at the tone reads it within 46 ms (the long analysis).
    CSourceBank sources;
    const CLossProcessor processor(sources);
    CAuditoryFilterBank bank;
    bank.SetFrameWindow(processor.m_fAnalysisWindow, CLossProcessor::kFrameInput);
    for (const double hz : {250.0, 1000.0, 4000.0}) {
        const std::size_t onset = 10000;
        std::vector<short> signal = Tone(hz, -20.0, 4 * 3968 + 128);
        std::fill(signal.begin(), signal.begin() + onset, static_cast<short>(0));
        double power[CAuditoryFilterBank::kChannels];
        float spectrum[CLossProcessor::kFrameSize];
        double lastBefore = 0.0;
        double after46ms = 0.0;
        for (std::size_t start = 0; start + 4096 <= signal.size(); start += 3968) {
            bank.BeginBlock(signal.data() + start, start > 0, 1.0f, nullptr);
            for (int k = 0; k < 31; ++k) {
                processor.AnalyseFrame(signal.data() + start + 128 * k, spectrum);
                bank.Measure(spectrum, power);
                const std::size_t end = start + 128 * k + 256;
                if (end <= onset)
                    for (const double p : power)
                        lastBefore = std::max(lastBefore, p);
                if (end >= onset + 2100 && after46ms == 0.0)
                    after46ms = power[NearestChannel(hz)];
            }
        }
        EXPECT_LT(lastBefore, 1e-12) << hz << " Hz";
        EXPECT_NEAR(10 * std::log10(after46ms), -20.0, 1.5) << hz << " Hz";
    }
}

TEST(LowFrequencyAnalysis, InputInHopsGivesTheSameSpectraAsWholeBlocks)
{
    // Three blocks of noise with a low tone: once block by block, once hop
    // by hop as live sound arrives (the first block's first hop with its
    // second, as the first frame needs both).
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 2000.0);
    std::vector<short> input(3 * 3968 + 128);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<short>(std::lround(noise(random) + 8000 * std::sin(2 * M_PI * 180.0 * i / 44100)));
    CLowFrequencyAnalysis whole;
    CLowFrequencyAnalysis pieces;
    for (int block = 0; block < 3; ++block) {
        const short* const blockInput = input.data() + 3968 * block;
        whole.AddBlock(blockInput, block > 0);
        pieces.BeginBlock(block > 0);
        for (int frame = 0; frame < 31; ++frame) {
            const int from = frame == 0 && block == 0 ? 0 : 128 * (frame + 1);
            pieces.AddInput(blockInput + from, from, 128 * (frame + 2) - from);
            if (frame % 4 != 0)
                continue;
            whole.Analyse(frame);
            pieces.Analyse(frame);
            for (int k = 0; k < CLowFrequencyAnalysis::kBins; ++k)
                ASSERT_EQ(whole.Power()[k], pieces.Power()[k]) << "block " << block << ", frame " << frame << ", bin " << k;
        }
    }
    EXPECT_GT(whole.Power()[8], 1e6f) << "the 180 Hz tone is there (bin 8 of 21.5 Hz)";
}

TEST(LowFrequencyAnalysis, ASoundFourHopsLaterIsAnalysedFourFramesLaterAcrossBlocks)
{
    // The same noise, once from sample 0 and once 512 samples (four hops)
    // later: every window of the later one, four frames on, holds the same
    // decimated samples, also where it reaches back into the block before or
    // into the previous block's last frames. A block's history shifted by
    // anything but its 3968 samples breaks this.
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0.0, 3000.0);
    constexpr int kDelay = 512;
    std::vector<short> early(3 * 3968 + 128 + kDelay);
    for (std::size_t i = 0; i + kDelay < early.size(); ++i)
        early[i] = static_cast<short>(std::lround(noise(random)));
    std::vector<short> late(early.size());
    std::copy(early.begin(), early.end() - kDelay, late.begin() + kDelay);
    CLowFrequencyAnalysis first;
    CLowFrequencyAnalysis second;
    std::vector<std::vector<float>> earlySpectra;  // frame by frame, all blocks
    std::vector<std::vector<float>> lateSpectra;
    for (int block = 0; block < 3; ++block) {
        first.AddBlock(early.data() + 3968 * block, block > 0);
        second.AddBlock(late.data() + 3968 * block, block > 0);
        for (int frame = 0; frame < 31; ++frame) {
            first.Analyse(frame);
            second.Analyse(frame);
            earlySpectra.emplace_back(first.Power(), first.Power() + CLowFrequencyAnalysis::kBins);
            lateSpectra.emplace_back(second.Power(), second.Power() + CLowFrequencyAnalysis::kBins);
        }
    }
    for (std::size_t frame = 0; frame + 4 < earlySpectra.size(); ++frame)
        ASSERT_EQ(earlySpectra[frame], lateSpectra[frame + 4]) << "frame " << frame << " of the early sound";
}
