// The spectrum of live sound: the live path's bands at the end of each of
// its blocks are those the block path shows for the same sound.

#include "audiogram_presets.h"
#include "live_engine.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <memory>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kHop = CLossProcessor::kHop;
constexpr int kBlocks = 3;

// Noise with more low than high frequencies, as speech has, after 10 ms of
// true silence.
std::vector<short> Sound()
{
    std::vector<short> samples(kBlocks * CLossProcessor::kBlockOutput + CLossProcessor::kBlockInput, 0);
    unsigned state = 777;
    double low = 0.0;
    for (std::size_t i = 441; i < samples.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const double white = static_cast<double>((state >> 8) & 0xFFFF) - 32768.0;
        low = 0.9 * low + 0.1 * white;
        samples[i] = static_cast<short>(0.5 * low + 0.1 * white);
    }
    return samples;
}

struct Bands {
    std::vector<double> left, right;
};

}  // namespace

TEST(LiveDisplay, EachLiveBlockShowsTheBandsTheBlockPathShowsForTheSameSound)
{
    // Sliders alone (mono, the plain path); a sloping listener whose ears
    // differ, both heard (stereo, the float path); an audiogram with the
    // loudness slider at half, which the display does not see; the two ears
    // compared with normal hearing (stereo, the plain path: both ears alike).
    const std::vector<short> sound = Sound();
    const struct {
        const char* what;
        std::function<void(CLossProcessor&)> set;
    } kCases[] = {
        {"sliders", [](CLossProcessor& p) {
             p.m_dHighFreq = 0.4;
             p.m_dResolution = 0.6;
             p.BuildSmearTable();
             p.BuildHighFreqGain();
             p.SetEarsHeard(EarsHeard::Left);
         }},
        {"two ears", [](CLossProcessor& p) {
             p.SetEarAudiogram(Ear::Left, &FindAudiogramPreset("S2")->audiogram);
             p.SetEarAudiogram(Ear::Right, &FindAudiogramPreset("N3")->audiogram);
         }},
        {"an audiogram at half loudness", [](CLossProcessor& p) {
             p.SetAudiogram(&FindAudiogramPreset("N3")->audiogram);
             p.m_dLoudness = 0.5;
         }},
        {"two ears compared", [](CLossProcessor& p) {
             p.SetEarAudiogram(Ear::Left, &FindAudiogramPreset("S2")->audiogram);
             p.SetEarAudiogram(Ear::Right, &FindAudiogramPreset("N3")->audiogram);
             p.SetNormalHearing(true);
         }},
    };
    for (const auto& test : kCases) {
        // The block path, block by block.
        CSourceBank sources;
        CLossProcessor block(sources);
        test.set(block);
        sources.ReplaceSource(0, NewSamples(sound), static_cast<int>(sound.size()), false);
        block.m_bSourceOn[0] = 1;
        std::vector<Bands> shown;
        for (int b = 0; b < kBlocks; ++b) {
            block.ProcessBlock();
            shown.push_back({{block.m_dBandLevel, block.m_dBandLevel + CLossProcessor::kBands},
                             {block.RightBandLevel(), block.RightBandLevel() + CLossProcessor::kBands}});
        }

        // The live path, hop by hop, with the settings the window hands over.
        CSourceBank none;
        CLossProcessor window(none);
        test.set(window);
        CLiveEngine engine(false);
        engine.Post(std::make_unique<CLiveSettings>(window));
        std::vector<Bands> live;
        short output[2 * kHop];
        for (int hop = 0; hop <= kBlocks * CLossProcessor::kFrames && live.size() < kBlocks; ++hop) {
            engine.ProcessHop(&sound[static_cast<std::size_t>(hop) * kHop], output);
            LiveBands bands;
            if (engine.LatestBands(bands))
                live.push_back({{bands.left, bands.left + CLossProcessor::kBands},
                                {bands.right, bands.right + CLossProcessor::kBands}});
        }
        ASSERT_EQ(live.size(), static_cast<std::size_t>(kBlocks)) << test.what;
        for (int b = 0; b < kBlocks; ++b) {
            EXPECT_EQ(live[b].left, shown[b].left) << test.what << ", block " << b;
            EXPECT_EQ(live[b].right, shown[b].right) << test.what << ", block " << b;
        }
        if (block.StereoBlock() && block.NormalHearing()) {
            EXPECT_EQ(live.back().right, live.back().left) << "compared, both ears hear alike";
        }
    }
}
