// The index sonafel-render logs over a whole render against the standard's
// procedure applied to what reaches the ears: the speech alone and the
// noise alone, each rendered by itself through the same settings with the
// ears' losses off, analysed here in one-third-octave bands.

#include "audiogram_presets.h"
#include "fourier_transform.h"
#include "hearing_intelligibility.h"
#include "listener_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kRecordings = SONAFEL_RECORDINGS_DIR;

struct RenderSii : ::testing::Test {
    TempDir dir;

    void Render(const std::string& arguments)
    {
        const std::string sources = " --speech " + kRecordings + "/sprache.wav --music " + kRecordings +
                                    "/music.wav --noise " + kRecordings + "/noise.wav --seconds 12 --exact ";
        ASSERT_EQ(RunTool(dir, SONAFEL_RENDER_PATH, sources + arguments), 0)
            << arguments << ": " << ReadText(dir.Path("stderr.txt"));
    }

    // Each ear's long-term spectrum level per band in dB SPL per Hz (full
    // scale at 100 dB SPL): Hann windows of 4096 samples, half overlapping.
    std::vector<Sii::Bands> SpectrumLevels(const std::string& name, bool stereo) const
    {
        std::vector<short> channel[2];
        if (stereo)
            ReadStereoWav(dir.Path(name), channel[0], channel[1]);
        else
            channel[0] = channel[1] = ReadMonoWav(dir.Path(name));
        constexpr int kPoints = 4096;
        std::vector<double> window(kPoints);
        double windowPower = 0.0;
        for (int i = 0; i < kPoints; ++i) {
            window[i] = 0.5 - 0.5 * std::cos(2 * M_PI * i / kPoints);
            windowPower += window[i] * window[i];
        }
        std::vector<Sii::Bands> levels(2);
        for (int e = 0; e < 2; ++e) {
            Sii::Bands power{};
            int segments = 0;
            for (std::size_t start = 0; start + kPoints <= channel[e].size(); start += kPoints / 2, ++segments) {
                std::vector<float> buffer(kPoints);
                for (int i = 0; i < kPoints; ++i)
                    buffer[i] = static_cast<float>(window[i] * channel[e][start + i] / 32768.0);
                RealFourierTransform(buffer.data(), kPoints / 2, 1);
                for (int band = 0; band < Sii::kBands; ++band)
                    for (int k = 1; k < kPoints / 2; ++k) {
                        const double hz = k * 44100.0 / kPoints;
                        if (hz >= Sii::kCentreHz[band] * std::pow(2.0, -1.0 / 6) &&
                            hz < Sii::kCentreHz[band] * std::pow(2.0, 1.0 / 6))
                            power[band] += 2.0 *
                                           (buffer[2 * k] * buffer[2 * k] + buffer[2 * k + 1] * buffer[2 * k + 1]) /
                                           (kPoints * windowPower);
                    }
            }
            for (int band = 0; band < Sii::kBands; ++band)
                levels[e][band] = std::max(100.0 + 10 * std::log10(power[band] / segments) - Sii::BandwidthDb(band),
                                           Sii::kQuietNoise);
        }
        return levels;
    }
};

}  // namespace

TEST_F(RenderSii, TheWholeRendersIndexIsTheStandardsOfTheSpeechAndTheNoiseRenderedApart)
{
    std::ofstream(dir.Path("listener.json"))
        << R"({"L0001": {"name": "L0001", "audiogram_cfs": [250, 500, 1000, 2000, 3000, 4000, 6000, 8000],)"
           R"( "audiogram_levels_l": [45, 45, 35, 45, 60, 65, 70, 65],)"
           R"( "audiogram_levels_r": [40, 40, 45, 45, 60, 65, 80, 80]}})";
    std::string error;
    const Listener asymmetric = ReadListenerFile(dir.Path("listener.json").string(), error)->front();
    const CAudiogram audiograms[3] = {FindAudiogramPreset("N3")->audiogram, ListenerAudiogram(asymmetric, Ear::Left),
                                      ListenerAudiogram(asymmetric, Ear::Right)};
    // Unaided at the nominal level; aided with the speech at 60 dB SPL, where
    // the limiter at 100 dB SPL leaves the aided speech and noise alone
    // (it acts on each render's own peaks, so it would not act alike).
    const struct {
        const char* audiogram;
        bool stereo;
        const char* settings;
    } kListeners[] = {{"N3", false, ""},
                      {"N3", false, "--aid nal-r --speech-level 60"},
                      {"listener.json", true, ""},
                      {"listener.json", true, "--aid nal-r --speech-level 60"}};
    for (const auto& listener : kListeners) {
        const Sii::Bands threshold[2] = {SiiThresholds(&audiograms[listener.stereo ? 1 : 0]),
                                         SiiThresholds(&audiograms[listener.stereo ? 2 : 0])};
        const std::string settings = std::string(" --audiogram ") + listener.audiogram + " " + listener.settings + " ";
        Render(settings + "--on speech --ear-loss off speech.wav");
        const std::vector<Sii::Bands> speech = SpectrumLevels("speech.wav", listener.stereo);
        // Two speech-to-noise ratios: the noise alone, and music besides.
        for (const char* noises : {"noise", "music,noise"}) {
            Render(settings + "--on " + noises + " --ear-loss off noise.wav");
            const std::vector<Sii::Bands> noise = SpectrumLevels("noise.wav", listener.stereo);
            const Sii::Bands speechAt[2] = {speech[0], speech[1]};
            const Sii::Bands noiseAt[2] = {noise[0], noise[1]};
            const EarsIndex expected = IndexOfEars(speechAt, noiseAt, threshold);

            Render(settings + "--on speech," + noises + " --sii-log sii.txt mix.wav");
            const std::string log = ReadText(dir.Path("sii.txt"));
            EarsIndex logged;
            ASSERT_EQ(std::sscanf(log.c_str() + log.rfind("whole"), "whole left %lf right %lf both %lf", &logged.left,
                                  &logged.right, &logged.both),
                      3)
                << log;
            const std::string name = settings + noises;
            EXPECT_NEAR(logged.left, expected.left, 0.03) << name;
            EXPECT_NEAR(logged.right, expected.right, 0.03) << name;
            EXPECT_NEAR(logged.both, expected.both, 0.03) << name;
            EXPECT_GT(expected.both, 0.05) << name << ": the case tells something";
            EXPECT_LT(expected.both, 0.95) << name << ": the case tells something";
            std::printf("%s: logged %.3f %.3f %.3f, apart %.3f %.3f %.3f\n", name.c_str(), logged.left, logged.right,
                        logged.both, expected.left, expected.right, expected.both);
        }
    }
}

TEST_F(RenderSii, AnImplantedEarsIndexIsNotApplicableAndBothEarsAreTheOthers)
{
    const auto whole = [this](const std::string& arguments) {
        Render(arguments + " --on speech,noise --sii-log sii.txt mix.wav");
        const std::string log = ReadText(dir.Path("sii.txt"));
        return log.substr(log.rfind("whole"));
    };
    const std::string without = whole("--audiogram-right N3");
    const std::string right = without.substr(without.find("right ") + 6, 5);
    EXPECT_EQ(whole("--audiogram-right N3 --ci left"), "whole left n/a right " + right + " both " + right + "\n");
    EXPECT_EQ(whole("--ci both"), "whole left n/a right n/a both n/a\n");
}
