// Runs the sonafel-render program as a user would.

#include "test_support.h"
#include "vector_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct RenderTool : ::testing::Test {
    TempDir dir;

    void SetUp() override
    {
        // Speech: white noise, so every frequency is present.
        std::mt19937 random(3);
        std::uniform_int_distribution<int> noise(-20000, 20000);
        std::vector<short> speech(60000);
        for (short& sample : speech)
            sample = static_cast<short>(noise(random));
        WriteWav(dir.Path("sprache.wav"), speech);
        WriteWav(dir.Path("music.wav"), std::vector<short>(30000, 1000));
    }

    // Runs the tool in the temporary directory; returns its exit status.
    int Run(const std::string& arguments, std::string* errors = nullptr, const char* program = SONAFEL_RENDER_PATH)
    {
        const int status = RunTool(dir, program, arguments);
        if (errors)
            *errors = ReadText(dir.Path("stderr.txt"));
        return status;
    }


    // Energy above `hz` as a share of the whole, from a plain DFT of a stretch.
    static double ShareAbove(const std::vector<short>& samples, double hz)
    {
        const int n = 2048;
        const int start = 10000;
        double above = 0.0, total = 0.0;
        for (int k = 1; k < n / 2; ++k) {
            double re = 0.0, im = 0.0;
            for (int j = 0; j < n; ++j) {
                re += samples[start + j] * std::cos(2 * 3.141592653589793 * j * k / n);
                im += samples[start + j] * std::sin(2 * 3.141592653589793 * j * k / n);
            }
            const double power = re * re + im * im;
            total += power;
            if (k * 44100.0 / n > hz)
                above += power;
        }
        return above / total;
    }
};

}  // namespace

TEST_F(RenderTool, LengthsSourcesAndTheMissingRecording)
{
    std::string errors;
    ASSERT_EQ(Run("--blocks 3 --on speech,music,noise a.wav", &errors), 0);
    EXPECT_EQ(ReadMonoWav(dir.Path("a.wav")).size(), 3u * 3968);
    // noise.wav is missing: the same message as the program, and it runs on.
    EXPECT_EQ(errors, "Unable to open 'noise.wav'\n");

    ASSERT_EQ(Run("--seconds 1.5 --noise music.wav b.wav"), 0);
    const std::vector<short> speech = ReadMonoWav(dir.Path("b.wav"));
    EXPECT_EQ(speech.size(), 66150u);
    double energy = 0.0;
    for (short sample : speech)
        energy += static_cast<double>(sample) * sample;
    EXPECT_GT(std::sqrt(energy / speech.size()), 3000.0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("b.wav.partial")));
}

TEST_F(RenderTool, TheSpectrumShowsNothingOfTheDitherThatNobodyHears)
{
    // Music of low notes, 220 to 880 Hz, whose loudness comes and goes.
    std::vector<short> music(3 * 44100);
    for (std::size_t i = 0; i < music.size(); ++i) {
        const double t = static_cast<double>(i) / 44100;
        double value = 0.0;
        for (int harmonic = 1; harmonic <= 4; ++harmonic)
            value += std::sin(2 * M_PI * 220 * harmonic * t) / harmonic;
        music[i] = static_cast<short>(std::lround(5000 * (0.6 + 0.4 * std::sin(2 * M_PI * 2 * t)) * value));
    }
    WriteWav(dir.Path("music.wav"), music);
    const auto bandRows = [this](const std::string& options) {
        EXPECT_EQ(Run("--on music --seconds 3 --bands bands.csv " + options + " out.wav"), 0) << options;
        std::vector<std::vector<double>> rows;
        std::ifstream file(dir.Path("bands.csv"));
        for (std::string line; std::getline(file, line);) {
            std::stringstream fields(line);
            rows.emplace_back();
            for (std::string field; std::getline(fields, field, ',');)
                rows.back().push_back(std::stod(field));
        }
        return rows;
    };
    // Bands 14 to 22 lie above 600·sinh(14/6) = 3061 Hz; the 16-bit dither
    // of a near-deaf ear's output fills them evenly, and must not light them.
    for (const char* loss : {"--audiogram N7", "--audiogram N3 --recruitment off"}) {
        const auto rows = bandRows(loss);
        ASSERT_EQ(rows.size(), 34u) << loss;
        for (std::size_t row = 4; row < rows.size(); ++row)
            for (int band = 14; band < 23; ++band)
                EXPECT_LT(rows[row][band], rows[row][23] - 50.0) << loss << ", block " << row << ", band " << band;
    }
    // Heard normally the notes light their bands (220 Hz in band 2).
    const auto normal = bandRows("--audiogram N7 --normal");
    EXPECT_GT(normal[10][2], normal[10][23] - 50.0);
}

TEST_F(RenderTool, LossesShowInTheOutput)
{
    ASSERT_EQ(Run("--seconds 1 --highfreq 0 low.wav"), 0);
    ASSERT_EQ(Run("--seconds 1 full.wav"), 0);
    // No high-frequency loss still keeps most of the spectrum; the strongest
    // keeps nothing above about 700 Hz (the curve ends at bin 8).
    EXPECT_GT(ShareAbove(ReadMonoWav(dir.Path("full.wav")), 1000.0), 0.8);
    EXPECT_LT(ShareAbove(ReadMonoWav(dir.Path("low.wav")), 1000.0), 0.001);

    // Loudness 0: the device carries 20 dB and the samples the other 55.
    ASSERT_EQ(Run("--seconds 1 --loudness 0 --exact quiet-exact.wav"), 0);
    ASSERT_EQ(Run("--seconds 1 --loudness 0 quiet.wav"), 0);
    const std::vector<short> full = ReadMonoWav(dir.Path("full.wav"));
    const std::vector<short> exact = ReadMonoWav(dir.Path("quiet-exact.wav"));
    const std::vector<short> heard = ReadMonoWav(dir.Path("quiet.wav"));
    double fullEnergy = 0.0, exactEnergy = 0.0;
    for (std::size_t i = 0; i < full.size(); ++i) {
        fullEnergy += static_cast<double>(full[i]) * full[i];
        exactEnergy += static_cast<double>(exact[i]) * exact[i];
        ASSERT_EQ(heard[i], static_cast<short>(std::lround(exact[i] * (6553 / 65535.0)))) << i;
    }
    EXPECT_NEAR(10 * std::log10(fullEnergy / exactEnergy), 55.0, 1.5);
}

TEST_F(RenderTool, BandLogHasOneLinePerBlock)
{
    ASSERT_EQ(Run("--seconds 0.5 --bands bands.csv a.wav"), 0);
    std::ifstream file(dir.Path("bands.csv"));
    std::string line;
    int lines = 0;
    double lastMax = 0.0;
    while (std::getline(file, line)) {
        ++lines;
        std::stringstream fields(line);
        std::string field;
        std::vector<double> values;
        while (std::getline(fields, field, ','))
            values.push_back(std::stod(field));
        ASSERT_EQ(values.size(), 24u) << line;
        EXPECT_GE(values[23], 80.0);
        EXPECT_GE(values[23], lastMax) << "the maximum never falls";
        lastMax = values[23];
    }
    EXPECT_EQ(lines, (22050 + 3967) / 3968);
    EXPECT_GT(lastMax, 100.0);
}

TEST_F(RenderTool, FailuresExitWithAStatusAndLeaveNoFile)
{
    std::string errors;
    EXPECT_EQ(Run("--loudness 2 a.wav", &errors), 2);
    EXPECT_NE(errors.find("--loudness"), std::string::npos) << errors;
    EXPECT_NE(errors.find("usage:"), std::string::npos);
    EXPECT_EQ(Run("--on speech,drums a.wav"), 2);
    EXPECT_EQ(Run(""), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("a.wav")));

    EXPECT_EQ(Run("--seconds 0.1 no/such/dir/a.wav", &errors), 1);
    EXPECT_NE(errors.find("cannot write 'no/such/dir/a.wav'"), std::string::npos) << errors;
    std::filesystem::create_directory(dir.Path("taken.wav"));
    EXPECT_EQ(Run("--seconds 0.1 taken.wav", &errors), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("taken.wav.partial")));
    EXPECT_EQ(Run("--seconds 0.1 --bands no/such/dir/b.csv c.wav"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("c.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("c.wav.partial")));

    // 32-bit sizes: at most 4 GiB, less the header, in whole frames of 44100 Hz.
    std::ofstream(dir.Path("ears.json")) << R"({"A": {"audiogram_cfs": [250, 1000, 4000],
        "audiogram_levels_l": [20, 30, 50], "audiogram_levels_r": [40, 60, 80]}})";
    const struct {
        const char* options;
        const char* reason;
    } kTooLong[] = {
        {"--float --seconds 24400", "at most 4 GiB, 24347 s of float mono sound"},
        {"--audiogram ears.json --seconds 24400", "at most 4 GiB, 24347 s of 16-bit stereo sound"},
        {"--audiogram ears.json --float --seconds 12200", "at most 4 GiB, 12173 s of float stereo sound"},
    };
    for (const auto& tooLong : kTooLong) {
        EXPECT_EQ(Run(std::string(tooLong.options) + " long.wav", &errors), 2) << tooLong.options;
        EXPECT_NE(errors.find("'long.wav' cannot hold that length: a WAV file holds " + std::string(tooLong.reason)),
                  std::string::npos)
            << errors;
        EXPECT_FALSE(std::filesystem::exists(dir.Path("long.wav.partial")));
    }
}

TEST_F(RenderTool, EveryVectorPathAndPlainArithmeticGiveTheSameSound)
{
    WriteWav(dir.Path("noise.wav"), std::vector<short>(5000, -700));
    for (const char* settings : {"0", "0.35", "0.8", "1"}) {
        const std::string arguments = std::string("--on speech,music,noise --seconds 2 --exact --loudness ") + settings +
                                      " --highfreq " + settings + " --resolution " + settings + " --bands ";
        ASSERT_EQ(Run(arguments + "plain.csv plain.wav", nullptr, SONAFEL_RENDER_PLAIN_PATH), 0);
        const std::string plainBands = ReadText(dir.Path("plain.csv"));
        const std::vector<short> plain = ReadMonoWav(dir.Path("plain.wav"));
        for (const VectorPath path : {VectorPath::Plain, VectorPath::Sse2, VectorPath::Avx2, VectorPath::Avx512}) {
            if (!VectorPathSupported(path))
                continue;
            setenv("SONAFEL_VECTOR", VectorPathName(path), 1);
            std::string errors;
            ASSERT_EQ(Run(arguments + "vector.csv vector.wav", &errors), 0);
            unsetenv("SONAFEL_VECTOR");
            EXPECT_EQ(errors, "") << VectorPathName(path) << " is not taken as asked";
            EXPECT_EQ(ReadMonoWav(dir.Path("vector.wav")), plain) << VectorPathName(path) << " at " << settings;
            EXPECT_EQ(ReadText(dir.Path("vector.csv")), plainBands) << VectorPathName(path) << " at " << settings;
        }
    }
    // A name it does not know is reported, and the widest path plays.
    setenv("SONAFEL_VECTOR", "avx1024", 1);
    std::string errors;
    ASSERT_EQ(Run("--seconds 0.1 unknown.wav", &errors), 0);
    unsetenv("SONAFEL_VECTOR");
    const VectorPath widest = VectorPathSupported(VectorPath::Avx512) ? VectorPath::Avx512
                              : VectorPathSupported(VectorPath::Avx2) ? VectorPath::Avx2
                                                                       : VectorPath::Sse2;
    EXPECT_EQ(errors, std::string("SONAFEL_VECTOR=avx1024: unknown (plain, sse2, avx2 or avx512); using ") +
                          VectorPathName(widest) + "\n");
}

TEST_F(RenderTool, AnAudiogramTakesItsThresholdsOffTheTonesAndNormalHearingTakesEveryLossAway)
{
    // Four tones of equal amplitude; N3, as a fixed attenuation, lies at 35,
    // 40, 50 and 60 dB HL at
    // 500, 1000, 2000 and 4000 Hz (between bins, 1-2 kHz ranges over half
    // a decibel of threshold).
    const double tones[4] = {500, 1000, 2000, 4000};
    std::vector<short> signal(3 * 44100);
    for (std::size_t i = 0; i < signal.size(); ++i) {
        double sum = 0.0;
        for (double hz : tones)
            sum += 4000 * std::sin(2 * 3.141592653589793 * hz * static_cast<double>(i) / 44100);
        signal[i] = static_cast<short>(sum);
    }
    WriteWav(dir.Path("tones.wav"), signal);
    ASSERT_EQ(Run("--speech tones.wav --seconds 2 plain.wav"), 0);
    ASSERT_EQ(Run("--speech tones.wav --seconds 2 --audiogram N3 --recruitment off n3.wav"), 0);
    const std::vector<short> plain = ReadMonoWav(dir.Path("plain.wav"));
    const std::vector<short> n3 = ReadMonoWav(dir.Path("n3.wav"));
    // The amplitude of one tone over 8820 samples (a whole number of periods
    // of each tone), by correlation with it.
    const auto amplitude = [](const std::vector<short>& samples, double hz) {
        double re = 0.0, im = 0.0;
        for (int j = 0; j < 8820; ++j) {
            re += samples[30000 + j] * std::cos(2 * 3.141592653589793 * hz * j / 44100);
            im += samples[30000 + j] * std::sin(2 * 3.141592653589793 * hz * j / 44100);
        }
        return 2.0 * std::sqrt(re * re + im * im) / 8820;
    };
    const double threshold[4] = {35, 40, 50, 60};
    for (int t = 0; t < 4; ++t)
        EXPECT_NEAR(20 * std::log10(amplitude(n3, tones[t]) / amplitude(plain, tones[t])), -threshold[t], 2.0)
            << tones[t] << " Hz";

    // The comparison with normal hearing plays as no loss at all.
    ASSERT_EQ(Run("--speech tones.wav --seconds 2 --loudness 0.2 --highfreq 0.3 --resolution 0 --audiogram S2 "
                  "--normal normal.wav"),
              0);
    EXPECT_EQ(ReadMonoWav(dir.Path("normal.wav")), plain);
}

TEST_F(RenderTool, AudiogramFilesAndNamesThatCannotBeUsedAreRefused)
{
    std::string errors;
    EXPECT_EQ(Run("--audiogram N9 a.wav", &errors), 2);
    EXPECT_EQ(errors.substr(0, errors.find('\n')),
              "sonafel-render: Cannot read 'N9': No such file or directory (nor is it a standard loss: see "
              "--list-presets)");
    std::ofstream(dir.Path("two.json")) << R"({"A": {"audiogram_cfs": [1000], "audiogram_levels_l": [10],
        "audiogram_levels_r": [20]}, "B": {"audiogram_cfs": [1000], "audiogram_levels_l": [30],
        "audiogram_levels_r": [40]}})";
    EXPECT_EQ(Run("--audiogram two.json a.wav", &errors), 2);
    EXPECT_EQ(errors.substr(0, errors.find('\n')),
              "sonafel-render: 'two.json' holds 2 listeners: name one as two.json:LISTENER (A, B)");
    EXPECT_EQ(Run("--audiogram two.json:C:left a.wav", &errors), 2);
    EXPECT_EQ(errors.substr(0, errors.find('\n')), "sonafel-render: 'two.json' holds no listener 'C' (it holds A, B)");
    std::ofstream(dir.Path("broken.json")) << R"({"A": {"audiogram_cfs": [1000, 500]}})";
    EXPECT_EQ(Run("--audiogram broken.json a.wav", &errors), 2);
    EXPECT_EQ(errors.substr(0, errors.find('\n')),
              "sonafel-render: 'broken.json' is not a usable audiogram file: listener A: audiogram_levels_l is missing");
    // A number beyond a double's range and a stack-deep nesting: refused, not a crash.
    std::ofstream(dir.Path("huge.json"))
        << R"({"L":{"name":"L","audiogram_cfs":[250,500,1000,2000,4000,8000],)"
           R"("audiogram_levels_l":[1e400,10,10,10,10,10],"audiogram_levels_r":[10,10,10,10,10,10]}})";
    EXPECT_EQ(Run("--audiogram huge.json a.wav", &errors), 2);
    EXPECT_EQ(errors.rfind("sonafel-render: 'huge.json' is not a usable audiogram file: not JSON: ", 0), 0u) << errors;
    std::ofstream(dir.Path("deep.json"))
        << R"({"L":{"audiogram_cfs":)" + std::string(200000, '[') + std::string(200000, ']') + "}}";
    EXPECT_EQ(Run("--audiogram deep.json a.wav", &errors), 2);
    EXPECT_EQ(errors.substr(0, errors.find('\n')),
              "sonafel-render: 'deep.json' is not a usable audiogram file: nested more than 8 levels deep, not a "
              "listener file");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("a.wav")));
    EXPECT_EQ(Run("--blocks 2 --audiogram two.json:B:left b.wav"), 0);
}

TEST_F(RenderTool, RecruitmentKeepsLoudTonesLoudAndAFixedAttenuationDoesNot)
{
    // A 1 kHz tone; the loader brings it to a peak of 15000, an RMS of
    // 9.80 dB below full scale, so --level L + 9.80 presents it at L dB SPL.
    std::vector<short> tone(3 * 44100);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<short>(15000 * std::sin(2 * 3.141592653589793 * 1000 * static_cast<double>(i) / 44100));
    WriteWav(dir.Path("tone.wav"), tone);
    std::ofstream(dir.Path("hl50.json")) << R"({"F": {"audiogram_cfs": [125, 8000], "audiogram_levels_l": [50, 50],
        "audiogram_levels_r": [50, 50]}})";
    const double belowFullScale = 20 * std::log10(15000 / std::sqrt(2.0) / 32768);
    const auto levelOut = [&](double levelIn, const char* recruitment) {
        const double fullScale = levelIn - belowFullScale;
        const std::string out = std::string("out-") + recruitment + std::to_string(static_cast<int>(levelIn)) + ".wav";
        EXPECT_EQ(Run("--speech tone.wav --seconds 2 --audiogram hl50.json:F:right --recruitment " + std::string(recruitment) +
                      " --level " + std::to_string(fullScale) + " " + out),
                  0);
        const std::vector<short> samples = ReadMonoWav(dir.Path(out));
        double sum = 0.0;
        for (std::size_t i = 44100; i < samples.size(); ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        return fullScale + 20 * std::log10(std::sqrt(sum / static_cast<double>(samples.size() - 44100)) / 32768);
    };
    // HL 50 at 1 kHz, where normal hearing's threshold T0 is 2.4 dB SPL:
    // C = 105, ER = 102.6 / 52.6 = 1.951; -2.3, 27.0, 56.2 and 95.2 dB SPL
    // with recruitment; 0, 15, 30 and 50 as a fixed attenuation (the chain
    // itself takes off 0.9 dB).
    const double in[4] = {50, 65, 80, 100};
    const double recruited[4] = {-2.3, 27.0, 56.2, 95.2};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(levelOut(in[i], "on"), recruited[i], 2.0) << in[i] << " dB SPL in";
        EXPECT_NEAR(levelOut(in[i], "off"), in[i] - 50, 2.0) << in[i] << " dB SPL in";
    }
}

TEST_F(RenderTool, ATonesOnsetThroughRecruitmentOvershootsByLessThan3Decibels)
{
    // Half a second of silence, then the tone at 80 dB SPL.
    std::vector<short> signal(2 * 44100, 0);
    for (std::size_t i = 22050; i < signal.size(); ++i)
        signal[i] = static_cast<short>(15000 * std::sin(2 * 3.141592653589793 * 1000 * static_cast<double>(i) / 44100));
    WriteWav(dir.Path("onset.wav"), signal);
    std::ofstream(dir.Path("hl50.json")) << R"({"F": {"audiogram_cfs": [1000], "audiogram_levels_l": [50],
        "audiogram_levels_r": [50]}})";
    const double fullScale = 80 - 20 * std::log10(15000 / std::sqrt(2.0) / 32768);
    ASSERT_EQ(Run("--speech onset.wav --seconds 1.9 --audiogram hl50.json:F:right --level " + std::to_string(fullScale) +
                  " onset-out.wav"),
              0);
    const std::vector<short> out = ReadMonoWav(dir.Path("onset-out.wav"));
    // RMS over 5 ms pieces: the loudest against the steady level of the
    // last half second.
    const auto rms = [&](std::size_t from, std::size_t count) {
        double sum = 0.0;
        for (std::size_t i = from; i < from + count; ++i)
            sum += static_cast<double>(out[i]) * out[i];
        return std::sqrt(sum / static_cast<double>(count));
    };
    const double steady = rms(out.size() - 22050, 22050);
    double loudest = 0.0;
    for (std::size_t from = 0; from + 220 <= out.size(); from += 220)
        loudest = std::max(loudest, rms(from, 220));
    EXPECT_GT(steady, 0.0);
    EXPECT_LT(20 * std::log10(loudest / steady), 3.0);
}

TEST_F(RenderTool, AtAListeningLevelBeyondFullScaleTheLimiterActsBeforeAnythingClips)
{
    // Speech (white noise) at 80 dB SPL with full scale at 80: its RMS alone
    // would be full scale, with music and noise on top.
    std::vector<short> noise(44100);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<short>(8000 * std::sin(2 * 3.141592653589793 * 300 * static_cast<double>(i) / 44100));
    WriteWav(dir.Path("noise.wav"), noise);
    for (const char* exact : {"", "--exact "}) {
        ASSERT_EQ(Run(std::string("--on speech,music,noise --level 80 --speech-level 80 --seconds 5 ") + exact + "p.wav"),
                  0);
        const std::vector<short> out = ReadMonoWav(dir.Path("p.wav"));
        const auto atRail = std::count_if(out.begin(), out.end(), [](short s) { return s >= 32767 || s <= -32768; });
        EXPECT_EQ(atRail, 0) << exact;
        short loudest = 0;
        for (const short s : out)
            loudest = std::max<short>(loudest, static_cast<short>(std::abs(s)));
        EXPECT_GT(loudest, 30000) << "the limiter holds the peaks at its ceiling, not far below";
    }
}

TEST_F(RenderTool, AnyFormatOnlyWhenAskedAndTheOldLoaderWithItsMessagesOtherwise)
{
    // A 48 kHz stereo FLAC file of a 1 kHz tone, written by sox.
    const std::string flac = dir.Path("tone.flac").string();
    ASSERT_EQ(std::system(("sox -n -r 48000 -c 2 '" + flac + "' synth 2 sine 1000 vol 0.5").c_str()), 0);
    std::string errors;
    EXPECT_EQ(Run("--speech tone.flac --seconds 1 plain.wav", &errors), 0);
    EXPECT_EQ(errors.substr(0, errors.find('\n')), "Not WAV format 'tone.flac'");
    EXPECT_EQ(Run("--any-format --speech tone.flac --seconds 1 --on speech any.wav", &errors), 0);
    // All three load, as without --any-format; noise.wav is missing.
    EXPECT_EQ(errors.rfind("'noise.wav' cannot be used: ", 0), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    const std::vector<short> out = ReadMonoWav(dir.Path("any.wav"));
    int crossings = 0;
    for (std::size_t i = 22050; i < 44100; ++i)
        crossings += out[i - 1] < 0 && out[i] >= 0;
    EXPECT_NEAR(crossings * 2.0, 1000.0, 4.0) << "the tone plays at 1 kHz";
    EXPECT_EQ(Run("--any-format --noise none.ogg --seconds 1 --on speech,noise x.wav", &errors), 0);
    EXPECT_NE(errors.find("'none.ogg' cannot be used: "), std::string::npos) << errors;
}
