// The render tool's float output and what the chain does to quiet sounds
// and to tones through a loss in hearing levels.

#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct RenderHearingLevels : ::testing::Test {
    TempDir dir;

    void SetUp() override
    {
        std::ofstream(dir.Path("flat50.json"))
            << R"({"F": {"audiogram_cfs": [125, 8000], "audiogram_levels_l": [50, 50], "audiogram_levels_r": [50, 50]}})";
    }

    int Run(const std::string& arguments) { return RunTool(dir, SONAFEL_RENDER_PATH, arguments); }

    void WriteTone(const std::string& name, double hz)
    {
        std::vector<short> tone(3 * 44100);
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = static_cast<short>(std::lround(10000 * std::sin(2 * M_PI * hz * static_cast<double>(i) / 44100)));
        WriteWav(dir.Path(name), tone);
    }

    std::vector<char> Bytes(const std::string& name) const
    {
        std::ifstream file(dir.Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    // The samples of a float file the tool wrote, after checking its header:
    // IEEE float, 32 bits, mono, 44100 Hz, a fact chunk and the data.
    std::vector<float> ReadFloatWav(const std::string& name) const
    {
        const std::vector<char> bytes = Bytes(name);
        const auto u16 = [&](std::size_t at) {
            return static_cast<unsigned>(static_cast<unsigned char>(bytes[at]) |
                                         static_cast<unsigned char>(bytes[at + 1]) << 8);
        };
        const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
        EXPECT_GE(bytes.size(), 58u);
        if (bytes.size() < 58)
            return {};
        EXPECT_EQ(u16(20), 3u) << "IEEE float";
        EXPECT_EQ(u16(22), 1u);
        EXPECT_EQ(u32(24), 44100u);
        EXPECT_EQ(u16(34), 32u);
        EXPECT_EQ(std::string(bytes.data() + 38, 4), "fact");
        EXPECT_EQ(std::string(bytes.data() + 50, 4), "data");
        const std::size_t count = u32(54) / 4;
        EXPECT_EQ(u32(46), count) << "the fact chunk's length";
        EXPECT_EQ(bytes.size(), 58 + 4 * count);
        std::vector<float> samples(count);
        std::memcpy(samples.data(), bytes.data() + 58, 4 * count);
        return samples;
    }

    // The level of the `hz` component in dB relative to full scale (a sine
    // of RMS 1 in float samples), over two seconds after the first.
    static double ToneLevel(const std::vector<double>& samples, double hz)
    {
        double re = 0.0;
        double im = 0.0;
        for (std::size_t i = 44100; i < 3 * 44100; ++i) {
            re += samples[i] * std::cos(2 * M_PI * hz * static_cast<double>(i) / 44100);
            im += samples[i] * std::sin(2 * M_PI * hz * static_cast<double>(i) / 44100);
        }
        const double amplitude = 2.0 * std::hypot(re, im) / (2 * 44100);
        return 20 * std::log10(amplitude / std::sqrt(2.0));
    }

    std::vector<double> Floats(const std::string& name) const
    {
        const std::vector<float> samples = ReadFloatWav(name);
        return {samples.begin(), samples.end()};
    }

    std::vector<double> Shorts(const std::string& name) const
    {
        std::vector<double> samples;
        for (const short sample : ReadMonoWav(dir.Path(name)))
            samples.push_back(sample / 32768.0);
        return samples;
    }
};

}  // namespace

TEST_F(RenderHearingLevels, WithoutAnAudiogramOrLevelTheFloatFileHoldsTheSixteenBitSamplesExactly)
{
    WriteTone("tone.wav", 1000);
    ASSERT_EQ(Run("--speech tone.wav --seconds 1 --highfreq 0.5 --resolution 0.5 plain.wav"), 0);
    ASSERT_EQ(Run("--speech tone.wav --seconds 1 --highfreq 0.5 --resolution 0.5 --float plain-float.wav"), 0);
    const std::vector<short> shorts = ReadMonoWav(dir.Path("plain.wav"));
    const std::vector<float> floats = ReadFloatWav("plain-float.wav");
    ASSERT_EQ(floats.size(), shorts.size());
    for (std::size_t i = 0; i < shorts.size(); ++i)
        ASSERT_EQ(floats[i], static_cast<float>(shorts[i] / 32768.0)) << i;
}

TEST_F(RenderHearingLevels, WithAnAudiogramTheSixteenBitSamplesAreTheFloatSamplesRoundedOnceWithDither)
{
    WriteTone("tone.wav", 1000);
    const std::string options = "--speech tone.wav --seconds 2 --audiogram N4 --exact";
    ASSERT_EQ(Run(options + " --float loss-float.wav"), 0);
    ASSERT_EQ(Run(options + " loss.wav"), 0);
    ASSERT_EQ(Run(options + " loss-again.wav"), 0);
    EXPECT_EQ(Bytes("loss.wav"), Bytes("loss-again.wav")) << "the dither repeats";
    const std::vector<short> shorts = ReadMonoWav(dir.Path("loss.wav"));
    const std::vector<float> floats = ReadFloatWav("loss-float.wav");
    ASSERT_EQ(floats.size(), shorts.size());
    // Rounding (half a step) after a dither of less than a step either side.
    double largest = 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < shorts.size(); ++i) {
        const double error = shorts[i] - floats[i] * 32768.0;
        largest = std::max(largest, std::abs(error));
        sum += error;
    }
    EXPECT_LT(largest, 1.5);
    EXPECT_GT(largest, 0.5) << "dithered, not only rounded";
    EXPECT_NEAR(sum / static_cast<double>(shorts.size()), 0.0, 0.01) << "no bias, as truncation has";
}

TEST_F(RenderHearingLevels, TonesThroughAFlatLossComeOutAsTheLawInHearingLevelsGives)
{
    // Flat 50 dB HL, C = 105, the tone presented at L dB SPL (full scale at
    // 100): out = 105 + ER·(L - 105), ER = c / (c - 50), c = 105 - T0.
    //   250 Hz, T0 11.4: ER = 93.6/43.6 = 2.1468; 61.4 -> 11.4
    //   500 Hz, T0 4.4: ER = 100.6/50.6 = 1.9881; 65 -> 25.47, 80 -> 55.30
    //   1 kHz, T0 2.4: ER = 102.6/52.6 = 1.9506; 65 -> 26.98, 80 -> 56.24
    //   2 kHz, T0 -1.3: ER = 106.3/56.3 = 1.8881; 65 -> 29.48, 80 -> 57.80
    //   4 kHz, T0 -5.4: ER = 110.4/60.4 = 1.8278; 65 -> 31.89, 80 -> 59.30
    // (at 50 dB SPL the law gives less than 5 dB SPL everywhere). The chain's
    // windows take 0.7 dB off any tone, with or without a loss.
    struct Case {
        double hz;
        double in;
        double out;
        double tolerance;
    };
    const Case cases[] = {{250, 61.4, 11.4, 2.0},  {500, 65, 25.47, 1.5},  {500, 80, 55.30, 1.5},
                          {1000, 65, 26.98, 1.5},  {1000, 80, 56.24, 1.5}, {2000, 65, 29.48, 1.5},
                          {2000, 80, 57.80, 1.5},  {4000, 65, 31.89, 1.5}, {4000, 80, 59.30, 1.5}};
    for (const Case& c : cases) {
        const std::string name = "tone" + std::to_string(static_cast<int>(c.hz)) + ".wav";
        WriteTone(name, c.hz);
        ASSERT_EQ(Run("--speech " + name + " --seconds 3 --audiogram flat50.json:F:right --float --exact --speech-level " +
                      std::to_string(c.in) + " out.wav"),
                  0);
        EXPECT_NEAR(100.0 + ToneLevel(Floats("out.wav"), c.hz), c.out, c.tolerance) << c.hz << " Hz at " << c.in;
    }
}

TEST_F(RenderHearingLevels, AQuietSoundKeepsItsLevelWhateverTheCalibration)
{
    // A 1 kHz tone at 65 dB SPL through N4 comes out near 19 dB SPL. With
    // full scale at 100 dB SPL that is a few steps of the 16 bits, with full
    // scale at 70 a hundred: the same level either way.
    WriteTone("tone.wav", 1000);
    double level[2][2];  // [calibration][16 bits, float]
    const double fullScale[2] = {100.0, 70.0};
    for (int i = 0; i < 2; ++i) {
        const std::string options = "--speech tone.wav --seconds 3 --audiogram N4 --exact --speech-level 65 --level " +
                                    std::to_string(fullScale[i]);
        ASSERT_EQ(Run(options + " quiet.wav"), 0);
        ASSERT_EQ(Run(options + " --float quiet-float.wav"), 0);
        level[i][0] = fullScale[i] + ToneLevel(Shorts("quiet.wav"), 1000);
        level[i][1] = fullScale[i] + ToneLevel(Floats("quiet-float.wav"), 1000);
    }
    EXPECT_NEAR(level[0][0], level[1][0], 0.3) << "16 bits";
    EXPECT_NEAR(level[0][1], level[1][1], 0.3) << "float";
    EXPECT_NEAR(level[0][0], level[0][1], 0.3);
    // N4 at 1 kHz: 55 dB HL, ER = 102.6/47.6 = 2.1555; 65 -> 18.78, less
    // the chain's 0.7 dB.
    EXPECT_NEAR(level[0][1], 18.78 - 0.7, 1.5);
}
