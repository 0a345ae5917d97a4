// Both ears of a listener through the render tool: each channel carries its
// own ear's loss, and an ear alone is the same chain as that ear in stereo.

#include "fourier_transform.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kSegment = 4096;  // points of each analysed piece

struct RenderTwoEars : ::testing::Test {
    TempDir dir;

    void SetUp() override
    {
        // Left flat 20 dB HL, right flat 60 dB HL.
        std::ofstream(dir.Path("ears.json")) << R"({"A": {"audiogram_cfs": [125, 8000], "audiogram_levels_l": [20, 20],
            "audiogram_levels_r": [60, 60]}})";
        std::ofstream(dir.Path("same.json")) << R"({"S": {"audiogram_cfs": [250, 1000, 4000],
            "audiogram_levels_l": [20, 40, 70], "audiogram_levels_r": [20, 40, 70]}})";
        WritePinkNoise("pink.wav", 8 * 44100);
    }

    int Run(const std::string& arguments) { return RunTool(dir, SONAFEL_RENDER_PATH, arguments); }

    // Pink noise (white noise through a three-pole filter, -3 dB per octave
    // within 0.5 dB from 40 Hz to 9 kHz), from a fixed seed.
    void WritePinkNoise(const std::string& name, int count)
    {
        std::vector<double> pink(static_cast<std::size_t>(count));
        unsigned seed = 12345;
        double b0 = 0.0, b1 = 0.0, b2 = 0.0;
        double peak = 0.0;
        for (double& sample : pink) {
            seed = seed * 1103515245u + 12345u;
            const double white = (static_cast<int>((seed >> 8) & 0xFFFF) - 32768) / 32768.0;
            b0 = 0.99765 * b0 + white * 0.0990460;
            b1 = 0.96300 * b1 + white * 0.2965164;
            b2 = 0.57000 * b2 + white * 1.0526913;
            sample = b0 + b1 + b2 + white * 0.1848;
            peak = std::max(peak, std::fabs(sample));
        }
        std::vector<short> samples;
        for (const double sample : pink)
            samples.push_back(static_cast<short>(std::lround(sample / peak * 20000)));
        WriteWav(dir.Path(name), samples);
    }

    // The channels of a float file the tool wrote (58-byte header).
    std::vector<std::vector<float>> ReadFloatChannels(const std::string& name, int channels) const
    {
        std::ifstream file(dir.Path(name), std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::vector<std::vector<float>> out(static_cast<std::size_t>(channels));
        EXPECT_GE(bytes.size(), 58u);
        if (bytes.size() < 58)
            return out;
        EXPECT_EQ(bytes[22], channels) << name;
        for (std::size_t at = 58, i = 0; at + 4 <= bytes.size(); at += 4, ++i) {
            float value;
            std::memcpy(&value, &bytes[at], 4);
            out[i % static_cast<std::size_t>(channels)].push_back(value);
        }
        return out;
    }
};

// The power in the one-third-octave band around `centreHz`, in dB, from
// Hann-windowed pieces of 4096 samples after the first second.
double ThirdOctaveLevel(const std::vector<float>& samples, double centreHz)
{
    const double binHz = 44100.0 / kSegment;
    const int low = static_cast<int>(std::ceil(centreHz * std::pow(2.0, -1.0 / 6) / binHz));
    const int high = static_cast<int>(std::floor(centreHz * std::pow(2.0, 1.0 / 6) / binHz));
    double power = 0.0;
    std::vector<float> piece(kSegment);
    for (std::size_t from = 44100; from + kSegment <= samples.size(); from += kSegment / 2) {
        for (int i = 0; i < kSegment; ++i)
            piece[static_cast<std::size_t>(i)] = static_cast<float>(
                samples[from + static_cast<std::size_t>(i)] * (0.5 - 0.5 * std::cos(2 * M_PI * i / kSegment)));
        RealFourierTransform(piece.data(), kSegment / 2, 1);
        for (int k = low; k <= high; ++k)
            power += static_cast<double>(piece[2 * k]) * piece[2 * k] + static_cast<double>(piece[2 * k + 1]) * piece[2 * k + 1];
    }
    return 10 * std::log10(power);
}

TEST_F(RenderTwoEars, EachChannelIsItsOwnEarsFixedAttenuationInEveryBand)
{
    ASSERT_EQ(Run("--speech pink.wav --seconds 6 --exact --float plain.wav"), 0);
    ASSERT_EQ(Run("--speech pink.wav --seconds 6 --exact --float --recruitment off --audiogram ears.json two.wav"), 0);
    const std::vector<float> plain = ReadFloatChannels("plain.wav", 1)[0];
    const auto ears = ReadFloatChannels("two.wav", 2);
    ASSERT_EQ(ears[0].size(), plain.size());
    for (const double hz : {500.0, 1000.0, 2000.0, 4000.0}) {
        const double reference = ThirdOctaveLevel(plain, hz);
        EXPECT_NEAR(ThirdOctaveLevel(ears[0], hz) - reference, -20.0, 2.0) << hz << " Hz, left";
        EXPECT_NEAR(ThirdOctaveLevel(ears[1], hz) - reference, -60.0, 2.0) << hz << " Hz, right";
    }
}

TEST_F(RenderTwoEars, WithRecruitmentEachEarFollowsItsOwnLaw)
{
    // A 1 kHz tone the loader brings to a peak of 15000 (9.80 dB below full
    // scale in RMS), presented at 80 dB SPL with full scale at 89.80.
    std::vector<short> tone(3 * 44100);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<short>(15000 * std::sin(2 * M_PI * 1000 * static_cast<double>(i) / 44100));
    WriteWav(dir.Path("tone.wav"), tone);
    const double fullScale = 80.0 - 20 * std::log10(15000 / std::sqrt(2.0) / 32768);
    ASSERT_EQ(Run("--speech tone.wav --seconds 2 --exact --float --audiogram ears.json --level " +
                  std::to_string(fullScale) + " tone-out.wav"),
              0);
    const auto ears = ReadFloatChannels("tone-out.wav", 2);
    const auto levelOf = [&](const std::vector<float>& samples) {
        double sum = 0.0;
        for (std::size_t i = 44100; i < samples.size(); ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        return fullScale + 10 * std::log10(sum / static_cast<double>(samples.size() - 44100));
    };
    // At 1 kHz normal hearing's threshold is 2.4 dB SPL: c = 105 - 2.4 =
    // 102.6. Left, 20 dB HL: ER = 102.6 / 82.6 = 1.242, out = 105 - 1.242 ·
    // 25 = 73.9 dB SPL. Right, 60 dB HL: ER = 102.6 / 42.6 = 2.408, out =
    // 105 - 2.408 · 25 = 44.8 dB SPL. The chain itself takes 0.7 dB off.
    EXPECT_NEAR(levelOf(ears[0]), 73.9, 2.0) << "left";
    EXPECT_NEAR(levelOf(ears[1]), 44.8, 2.0) << "right";
}

TEST_F(RenderTwoEars, AnEarAloneIsThatEarsChannelAndASymmetricListenerGivesTwoEqualChannels)
{
    const std::string common = "--speech pink.wav --seconds 2 --level 90 ";
    ASSERT_EQ(Run(common + "--audiogram ears.json both.wav"), 0);
    ASSERT_EQ(Run(common + "--audiogram ears.json:A:left left.wav"), 0);
    ASSERT_EQ(Run(common + "--audiogram ears.json:A:right right.wav"), 0);
    ASSERT_EQ(Run(common + "--audiogram ears.json --ears right heard-right.wav"), 0);
    ASSERT_EQ(Run(common + "--audiogram-left ears.json --audiogram-right ears.json:A:left sides.wav"), 0);
    std::vector<short> left, right;
    ReadStereoWav(dir.Path("both.wav"), left, right);
    ASSERT_EQ(left.size(), 2u * 44100);
    EXPECT_EQ(ReadMonoWav(dir.Path("left.wav")), left) << "bit for bit, dither included";
    EXPECT_EQ(ReadMonoWav(dir.Path("right.wav")), right);
    EXPECT_EQ(ReadMonoWav(dir.Path("heard-right.wav")), right);
    EXPECT_NE(left, right);

    std::vector<short> sameLeft, sameRight;
    ReadStereoWav(dir.Path("sides.wav"), sameLeft, sameRight);
    EXPECT_EQ(sameLeft, left) << "the same ear given to both sides";
    EXPECT_EQ(sameRight, left);
    ASSERT_EQ(Run(common + "--audiogram same.json symmetric.wav"), 0);
    ReadStereoWav(dir.Path("symmetric.wav"), sameLeft, sameRight);
    EXPECT_EQ(sameLeft, sameRight);
}

TEST_F(RenderTwoEars, WithoutAnAudiogramTheOutputStaysOneChannel)
{
    ASSERT_EQ(Run("--speech pink.wav --seconds 1 --loudness 0.5 --resolution 0.5 mono.wav"), 0);
    ASSERT_EQ(Run("--speech pink.wav --seconds 1 --loudness 0.5 --resolution 0.5 --ears both both.wav"), 0);
    EXPECT_EQ(ReadMonoWav(dir.Path("both.wav")), ReadMonoWav(dir.Path("mono.wav")));
}

}  // namespace
