#include "source_bank.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct SourceBank : ::testing::Test {
    CSourceBank bank;
    int on[3] = {0, 0, 0};

    void Add(int index, const std::vector<short>& samples, int position = 0)
    {
        bank.m_pSourceData[index] = NewSamples(samples);
        bank.m_nSourceLen[index] = static_cast<int>(samples.size());
        bank.m_nSourcePos[index] = position;
    }
};

}  // namespace

TEST_F(SourceBank, MixesCyclicallyAndRewindsModuloTheLength)
{
    Add(0, {1, 2, 3});
    on[0] = 1;
    std::vector<short> buffer(8, 0);
    bank.MixSources(on, buffer.data(), 8);
    EXPECT_EQ(buffer, (std::vector<short>{1, 2, 3, 1, 2, 3, 1, 2}));
    EXPECT_EQ(bank.m_nSourcePos[0], 2);
    bank.RewindSources(on);
    EXPECT_EQ(bank.m_nSourcePos[0], 0) << "128 back from 2, modulo 3";

    Add(1, std::vector<short>(5000, 1), 100);
    on[1] = 1;
    bank.RewindSources(on);
    EXPECT_EQ(bank.m_nSourcePos[1], 4972);

    Add(2, std::vector<short>(128, 1), 5);
    on[2] = 1;
    bank.RewindSources(on);
    EXPECT_EQ(bank.m_nSourcePos[2], 5) << "a whole length back is the same place";
}

TEST_F(SourceBank, SwitchedOffOrAbsentSourcesAreUntouched)
{
    Add(0, {5, 6, 7}, 1);
    on[0] = 0;
    on[1] = 1;  // switched on, but absent
    std::vector<short> buffer = {1, 1, 1, 1};
    bank.MixSources(on, buffer.data(), 4);
    bank.RewindSources(on);
    EXPECT_EQ(buffer, (std::vector<short>{1, 1, 1, 1}));
    EXPECT_EQ(bank.m_nSourcePos[0], 1);
    EXPECT_EQ(bank.m_nSourcePos[1], 0);

    on[0] = 1;
    bank.MixSources(on, buffer.data(), 0);
    bank.MixSources(on, buffer.data(), -5);
    EXPECT_EQ(bank.m_nSourcePos[0], 1) << "a count of 0 or less mixes nothing";
}

TEST_F(SourceBank, MixingAddsAllSourcesAndSaturates)
{
    Add(0, {15000, -15000, 30000});
    Add(1, {10000, -10000, 10000});
    Add(2, {5000, -5000, 0});
    on[0] = on[1] = on[2] = 1;
    std::vector<short> buffer(3, 0);
    bank.MixSources(on, buffer.data(), 3);
    EXPECT_EQ(buffer, (std::vector<short>{30000, -30000, 32767}));
}

TEST(SourceReplacement, ARecordingReplacedWhilePlayingFadesOverWithoutAClick)
{
    const auto sine = [](double hz, int length) {
        std::vector<short> samples(length);
        for (int i = 0; i < length; ++i)
            samples[i] = static_cast<short>(std::lround(10000 * std::sin(2 * M_PI * hz * i / 44100)));
        return samples;
    };
    CSourceBank bank;
    bank.m_pSourceData[0] = NewSamples(sine(440, 44100));
    bank.m_nSourceLen[0] = 44100;
    const int on[kSourceCount] = {1, 0, 0};
    // Blocks as the processor takes them: 4096 mixed, 128 given back.
    std::vector<short> heard;
    const auto block = [&] {
        std::vector<short> mixed(4096, 0);
        bank.MixSources(on, mixed.data(), 4096);
        bank.RewindSources(on);
        heard.insert(heard.end(), mixed.begin(), mixed.end() - 128);
    };
    for (int b = 0; b < 3; ++b)
        block();
    const std::vector<short> replacement = sine(660, 30000);
    bank.ReplaceSource(0, NewSamples(replacement), 30000, true);
    EXPECT_EQ(bank.m_nSourceLen[0], 30000);
    EXPECT_TRUE(bank.Fading(0));
    for (int b = 0; b < 4; ++b)
        block();
    EXPECT_FALSE(bank.Fading(0)) << "the old recording is let go";
    // A 660 Hz sine of 10000 moves at most 10000·2π·660/44100 = 940 per sample.
    int largest = 0;
    for (std::size_t i = 1; i < heard.size(); ++i)
        largest = std::max(largest, std::abs(heard[i] - heard[i - 1]));
    EXPECT_LE(largest, 950);
    // After the fade only the new recording plays, from where the fade began.
    const std::size_t start = 3 * 3968;
    for (std::size_t i = start + CSourceCrossfade::kSamples; i < heard.size(); ++i)
        ASSERT_EQ(heard[i], replacement[(i - start) % 30000]) << i;
}

TEST(SourceReplacement, ARecordingReplacedWhileItsSourceIsOffStartsAtOnceWhenSwitchedOn)
{
    CSourceBank bank;
    bank.m_pSourceData[1] = NewSamples(std::vector<short>(5000, 111));
    bank.m_nSourceLen[1] = 5000;
    int on[kSourceCount] = {0, 1, 0};
    std::vector<short> mixed(4096, 0);
    bank.MixSources(on, mixed.data(), 4096);
    bank.RewindSources(on);
    // Replaced while playing, then switched off during the fade, then replaced again.
    bank.ReplaceSource(1, NewSamples(std::vector<short>(5000, 222)), 5000, true);
    ASSERT_TRUE(bank.Fading(1));
    on[1] = 0;
    std::vector<short> replacement(3000);
    for (int i = 0; i < 3000; ++i)
        replacement[i] = static_cast<short>(i);
    bank.ReplaceSource(1, NewSamples(replacement), 3000, false);
    EXPECT_FALSE(bank.Fading(1)) << "nothing of the old recordings is kept";
    EXPECT_EQ(bank.m_nSourcePos[1], 0);

    on[1] = 1;
    std::fill(mixed.begin(), mixed.end(), 0);
    bank.MixSources(on, mixed.data(), 4096);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(mixed[i], i % 3000) << "the new recording from its first sample, unfaded, at " << i;
}
