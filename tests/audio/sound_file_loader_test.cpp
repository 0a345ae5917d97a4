#include "sound_file_loader.h"
#include "test_support.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>

namespace {

// Writes `seconds` of a 1 kHz tone at half of full scale on every channel.
void WriteTone(const std::filesystem::path& path, int format, int rate, int channels, double seconds = 1.0)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    const int frames = static_cast<int>(seconds * rate);
    std::vector<float> samples(static_cast<std::size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[static_cast<std::size_t>(i) * channels + c] =
                static_cast<float>(0.5 * std::sin(2 * M_PI * 1000.0 * i / rate));
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
}

// The tone's frequency from its upward zero crossings over the middle second's
// half, and its RMS relative to its peak in dB.
void CheckTone(const std::vector<short>& samples, int peak, const std::string& what)
{
    const std::size_t from = samples.size() / 4, to = from + 22050;
    ASSERT_GT(samples.size(), to) << what;
    int crossings = 0;
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) {
        crossings += samples[i - 1] < 0 && samples[i] >= 0;
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    EXPECT_NEAR(crossings * 2.0, 1000.0, 4.0) << what << ": the tone stays at 1 kHz";
    EXPECT_NEAR(20 * std::log10(std::sqrt(sum / 22050) / peak), -3.01, 0.5) << what << ": a sine's RMS, 3 dB under its peak";
}

}  // namespace

TEST(SoundFileLoader, FormatsRatesDepthsAndChannelsComeOutAs44100HertzMonoAtTheTargetPeak)
{
    TempDir dir;
    struct Case {
        const char* name;
        int format;
        int rate;
        int channels;
        int slack;  // samples a codec may add or take at the ends
    };
    const Case cases[] = {
        {"stereo-48k.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 0},
        {"8bit-22k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 22050, 1, 0},
        {"24bit.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 1, 0},
        {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 2048},
        {"lame.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 48000, 1, 3000},
        {"six-channels.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 32000, 6, 0},
    };
    for (const Case& c : cases) {
        WriteTone(dir.Path(c.name), c.format, c.rate, c.channels);
        LoadedSound sound;
        std::string error;
        ASSERT_TRUE(LoadSoundFile(dir.Path(c.name).string(), 15000, sound, error)) << c.name << ": " << error;
        EXPECT_EQ(sound.sourceRate, c.rate) << c.name;
        EXPECT_EQ(sound.sourceChannels, c.channels) << c.name;
        EXPECT_NEAR(static_cast<double>(sound.samples.size()), 44100.0, 2 + c.slack) << c.name;
        const auto [low, high] = std::minmax_element(sound.samples.begin(), sound.samples.end());
        EXPECT_EQ(std::max(-*low, static_cast<int>(*high)), 15000) << c.name;
        CheckTone(sound.samples, 15000, c.name);
    }
}

TEST(SoundFileLoader, ALongFileReportsItsProgressAndCanBeStopped)
{
    TempDir dir;
    WriteTone(dir.Path("three-minutes.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, 180.0);
    std::vector<double> shares;
    LoadedSound sound;
    std::string error;
    ASSERT_TRUE(LoadSoundFile(dir.Path("three-minutes.wav").string(), 5000, sound, error, [&](double share) {
        shares.push_back(share);
        return true;
    }));
    EXPECT_NEAR(static_cast<double>(sound.samples.size()), 180.0 * 44100, 2);
    ASSERT_GT(shares.size(), 100u);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_DOUBLE_EQ(shares.back(), 1.0);

    SoundFileRefusal refusal;
    EXPECT_FALSE(LoadSoundFile(dir.Path("three-minutes.wav").string(), 5000, sound, error,
                               [](double share) { return share < 0.5; }, &refusal));
    EXPECT_EQ(refusal.problem, SoundFileProblem::Stopped);
    EXPECT_EQ(error, "'" + dir.Path("three-minutes.wav").string() + "' cannot be used: loading was stopped");
}

TEST(SoundFileLoader, FilesThatCannotBeUsedAreNamedWithTheReason)
{
    TempDir dir;
    std::string error;
    LoadedSound sound;
    std::ofstream(dir.Path("empty.wav"));
    EXPECT_FALSE(LoadSoundFile(dir.Path("empty.wav").string(), 15000, sound, error));
    EXPECT_EQ(error.rfind("'" + dir.Path("empty.wav").string() + "' cannot be used: ", 0), 0u) << error;
    std::ofstream(dir.Path("text.wav")) << "Dies ist keine Aufnahme, sondern ein Text.\n";
    SoundFileRefusal refusal;
    EXPECT_FALSE(LoadSoundFile(dir.Path("text.wav").string(), 15000, sound, error, {}, &refusal));
    EXPECT_NE(error.find("text.wav' cannot be used: "), std::string::npos) << error;
    EXPECT_EQ(refusal.problem, SoundFileProblem::Unreadable);
    EXPECT_EQ(error, "'" + dir.Path("text.wav").string() + "' cannot be used: " + refusal.reason)
        << "the bare reason is the message's";
    EXPECT_FALSE(LoadSoundFile(dir.Path("missing.flac").string(), 15000, sound, error));
    EXPECT_NE(error.find("missing.flac' cannot be used: "), std::string::npos) << error;
    WriteTone(dir.Path("silent.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 0.0);
    EXPECT_FALSE(LoadSoundFile(dir.Path("silent.wav").string(), 15000, sound, error));
    EXPECT_EQ(error, "'" + dir.Path("silent.wav").string() + "' cannot be used: it holds no sound");
    EXPECT_FALSE(LoadSoundFile(dir.Path("silent.wav").string(), 15000, sound, error, {}, &refusal));
    EXPECT_EQ(refusal.problem, SoundFileProblem::NoSound);
    WriteWav(dir.Path("zeros.wav"), std::vector<short>(44100, 0));
    EXPECT_FALSE(LoadSoundFile(dir.Path("zeros.wav").string(), 15000, sound, error, {}, &refusal));
    EXPECT_EQ(refusal.problem, SoundFileProblem::Silent);
    EXPECT_EQ(refusal.reason, "it is silent");
    // Float files whose peak lies so low that no scale reaches the target
    // are silent too; one a little louder is still a sound.
    for (const auto& [peak, silent] : {std::pair{1e-35f, true}, {1e-36f, true}, {1e-30f, false}}) {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 1;
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        const std::string path = dir.Path("whisper.wav").string();
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        std::vector<float> samples(4410, 0.0f);
        samples[100] = peak;
        samples[200] = -peak / 2;
        sf_writef_float(file, samples.data(), 4410);
        sf_close(file);
        refusal = {};
        EXPECT_EQ(LoadSoundFile(path, 15000, sound, error, {}, &refusal), !silent) << peak << ": " << error;
        if (silent) {
            EXPECT_EQ(refusal.problem, SoundFileProblem::Silent) << peak;
        } else {
            EXPECT_EQ(sound.samples[100], 15000);
            EXPECT_EQ(sound.samples[200], -7500);
        }
    }

    // Cut short, or cut while it is read: what is there is used.
    WriteTone(dir.Path("truncated.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 2.0);
    std::filesystem::resize_file(dir.Path("truncated.wav"), 44 + 2 * 44100);
    ASSERT_TRUE(LoadSoundFile(dir.Path("truncated.wav").string(), 15000, sound, error)) << error;
    EXPECT_EQ(sound.samples.size(), 44100u);
    WriteTone(dir.Path("vanishing.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 10.0);
    bool cut = false;
    ASSERT_TRUE(LoadSoundFile(dir.Path("vanishing.wav").string(), 15000, sound, error, [&](double) {
        if (!cut)
            std::filesystem::resize_file(dir.Path("vanishing.wav"), 44 + 2 * 65536);
        cut = true;
        return true;
    })) << error;
    EXPECT_LT(sound.samples.size(), 10u * 44100);
    EXPECT_GE(sound.samples.size(), 32768u);
}

TEST(SoundFileLoader, WhatNoDemonstrationNeedsIsRefusedBeforeItIsRead)
{
    TempDir dir;
    std::string error;
    LoadedSound sound;
    const auto refusal = [&](const char* name) {
        EXPECT_FALSE(LoadSoundFile(dir.Path(name).string(), 15000, sound, error)) << name;
        const std::string prefix = "'" + dir.Path(name).string() + "' cannot be used: ";
        EXPECT_EQ(error.rfind(prefix, 0), 0u) << error;
        return error.substr(prefix.size());
    };
    // 1 Hz: 2 MB of samples would become 44100 times as many.
    WriteWavDeclaringRate(dir.Path("onehz.wav"), std::vector<short>(1000000, 1000), 1);
    EXPECT_EQ(refusal("onehz.wav"),
              "it declares 1 channels at 1 Hz; a recording may have 1 to 32 channels at 8000 to 192000 Hz");
    SoundFileRefusal kind;
    EXPECT_FALSE(LoadSoundFile(dir.Path("onehz.wav").string(), 15000, sound, error, {}, &kind));
    EXPECT_EQ(kind.problem, SoundFileProblem::Layout);
    EXPECT_EQ(sound.sourceRate, 1) << "for the message";
    EXPECT_EQ(sound.sourceChannels, 1);
    WriteTone(dir.Path("lowest.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 7999, 1, 0.1);
    EXPECT_NE(refusal("lowest.wav").find("at 7999 Hz;"), std::string::npos);
    WriteTone(dir.Path("highest.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 192001, 1, 0.1);
    EXPECT_NE(refusal("highest.wav").find("at 192001 Hz;"), std::string::npos);
    WriteTone(dir.Path("channels.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 33, 0.01);
    EXPECT_NE(refusal("channels.wav").find("declares 33 channels"), std::string::npos);
    // The extremes that are allowed load.
    WriteTone(dir.Path("8k.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 1.0);
    ASSERT_TRUE(LoadSoundFile(dir.Path("8k.wav").string(), 15000, sound, error)) << error;
    EXPECT_NEAR(static_cast<double>(sound.samples.size()), 44100.0, 8);
    WriteTone(dir.Path("192k.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 192000, 32, 0.25);
    ASSERT_TRUE(LoadSoundFile(dir.Path("192k.wav").string(), 15000, sound, error)) << error;
    EXPECT_NEAR(static_cast<double>(sound.samples.size()), 11025.0, 4);

    // Ten minutes and a little more, at the lowest rate: refused from the header.
    WriteTone(dir.Path("long.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1, 600.5);
    EXPECT_EQ(refusal("long.wav"), "it declares 601 seconds; a recording may last at most 10 minutes");
    EXPECT_FALSE(LoadSoundFile(dir.Path("long.wav").string(), 15000, sound, error, {}, &kind));
    EXPECT_EQ(kind.problem, SoundFileProblem::TooLong);
}

TEST(SoundFileLoader, SamplesThatAreNotFiniteNumbersAreRefused)
{
    TempDir dir;
    for (const float bad : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::quiet_NaN()}) {
        for (const int rate : {44100, 48000}) {  // read as it is, and resampled
            SF_INFO info{};
            info.samplerate = rate;
            info.channels = 2;
            info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
            const std::string path = dir.Path("bad.wav").string();
            SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
            ASSERT_NE(file, nullptr);
            std::vector<float> samples(2 * 20000, 0.25f);
            samples[2 * 12345 + 1] = bad;
            sf_writef_float(file, samples.data(), 20000);
            sf_close(file);
            LoadedSound sound;
            std::string error;
            EXPECT_FALSE(LoadSoundFile(path, 15000, sound, error)) << bad << " at " << rate;
            EXPECT_EQ(error, "'" + path + "' cannot be used: it holds samples that are not finite numbers "
                                          "(infinite or NaN) after 12345 frames");
        }
    }
}

TEST(SoundFileLoader, StoppingWorksWhileResamplingToo)
{
    TempDir dir;
    WriteTone(dir.Path("minute.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, 60.0);
    LoadedSound sound;
    std::string error;
    double last = 0.0;
    EXPECT_FALSE(LoadSoundFile(dir.Path("minute.wav").string(), 5000, sound, error, [&](double share) {
        last = share;
        return share < 0.75;  // reading is the first half, resampling the second
    }));
    EXPECT_EQ(error, "'" + dir.Path("minute.wav").string() + "' cannot be used: loading was stopped");
    EXPECT_GE(last, 0.75);
    EXPECT_LT(last, 0.8) << "stopped within a piece of the resampling";
}

TEST(SoundFileLoader, AStreamThatDoesNotDeclareItsLengthLoadsAndIsBoundedWhileReadAtItsOwnRate)
{
    // FLAC written as it was recorded leaves its length (36 bits of the
    // stream information, which follows "fLaC" and a 4-byte block header)
    // at 0, unknown. Two seconds load; 601 seconds at 8000 Hz, 4.8 million
    // frames, are found too long while they are read, though 44100 Hz
    // would allow 26 million.
    TempDir dir;
    const auto undeclared = [&](const char* name, double seconds) {
        WriteTone(dir.Path(name), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, seconds);
        std::fstream file(dir.Path(name), std::ios::in | std::ios::out | std::ios::binary);
        char byte = 0;
        file.seekg(8 + 13);
        file.get(byte);
        file.seekp(8 + 13);
        file.put(static_cast<char>(byte & 0xF0));
        file.write("\0\0\0\0", 4);
        return dir.Path(name).string();
    };
    LoadedSound sound;
    std::string error;
    ASSERT_TRUE(LoadSoundFile(undeclared("short.flac", 2.0), 15000, sound, error)) << error;
    EXPECT_NEAR(static_cast<double>(sound.samples.size()), 2 * 44100.0, 8);
    CheckTone(sound.samples, 15000, "short.flac");

    const std::string path = undeclared("long.flac", 601.0);
    SoundFileRefusal kind;
    EXPECT_FALSE(LoadSoundFile(path, 15000, sound, error, {}, &kind));
    EXPECT_EQ(kind.problem, SoundFileProblem::TooLong);
    EXPECT_EQ(error, "'" + path + "' cannot be used: it is longer than a recording may last at most 10 minutes");
}
