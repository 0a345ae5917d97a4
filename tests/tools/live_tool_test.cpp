// The live path through sonafel-live's file mode: the same sound as the
// recordings' path, bit for bit after its delay.

#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct LiveTool : ::testing::Test {
    TempDir dir;

    void SetUp() override
    {
        // Speech-like input: a vowel-ish mix of tones whose loudness comes
        // and goes, after a quarter second of silence, peak exactly 15000
        // (the loader's peak for speech, so the render's scaling changes
        // nothing).
        std::vector<short> input(3 * 44100, 0);
        for (std::size_t i = 11025; i < input.size(); ++i) {
            const double t = static_cast<double>(i) / 44100;
            const double envelope = 0.55 + 0.45 * std::sin(2 * M_PI * 3 * t);
            const double value = envelope * (0.5 * std::sin(2 * M_PI * 220 * t) + 0.3 * std::sin(2 * M_PI * 1170 * t) +
                                              0.2 * std::sin(2 * M_PI * 3400 * t));
            input[i] = static_cast<short>(std::lround(14000 * value));
        }
        input[30000] = 15000;
        WriteWav(dir.Path("in.wav"), input);
        std::ofstream(dir.Path("ears.json")) << R"({"A": {"audiogram_cfs": [250, 1000, 4000],
            "audiogram_levels_l": [20, 30, 50], "audiogram_levels_r": [40, 60, 80]}})";
        std::ofstream(dir.Path("mild.json")) << R"({"B": {"audiogram_cfs": [250, 1000, 4000],
            "audiogram_levels_l": [0, 10, 20], "audiogram_levels_r": [10, 20, 30]}})";
    }

    // Runs a tool; `printed` gets what sonafel-live prints, or what
    // sonafel-render reports.
    int Run(const std::string& program, const std::string& arguments, std::string* printed = nullptr)
    {
        const int status = RunTool(dir, program, arguments);
        if (printed)
            *printed = ReadText(dir.Path(program == SONAFEL_LIVE_PATH ? "stdout.txt" : "stderr.txt"));
        return status;
    }

    // The delay behind sonafel-render's output that sonafel-live printed.
    static int DelayBehindRender(const std::string& printed)
    {
        const std::size_t at = printed.find(" behind sonafel-render");
        const std::size_t start = printed.rfind(", ", at);
        return at == std::string::npos || start == std::string::npos ? -1
                                                                       : std::stoi(printed.substr(start + 2, at - start - 2));
    }
};

TEST_F(LiveTool, FromAFileItIsTheRecordingsPathToTheBitAfterItsDelay)
{
    const std::string cases[] = {
        "--loudness 0.3 --highfreq 0.4 --resolution 0.2",
        "--audiogram ears.json:A:right --recruitment off --resolution 0.6",
        "--audiogram ears.json --loudness 0.5",
        "--audiogram ears.json --ears left --smearing-from-audiogram --resolution 0.5",
        "--audiogram N4 --level 110",
        "--audiogram ears.json --normal",
        // Aids whose gains keep this input below the limiter's ceiling, where
        // the two paths are equal to the bit.
        "--audiogram ears.json:A:left --aid fig6",
        "--audiogram mild.json:B:left --aid nal-r --ear-loss off",
        // Implants: noise carriers in both ears (one chain), sine carriers
        // with every setting beside the other ear's loss.
        "--ci both --ci-channels 16",
        "--audiogram-right N3 --ci left --ci-carrier sine --ci-range 250-7000 --ci-envelope 80 --ci-shift 3 "
        "--ci-spread 2.8 --ci-n-of-m 6",
    };
    for (const std::string& settings : cases) {
        ASSERT_EQ(Run(SONAFEL_RENDER_PATH, "--speech in.wav --seconds 3 --bands render.csv " + settings + " render.wav"),
                  0)
            << settings;
        std::string printed;
        ASSERT_EQ(Run(SONAFEL_LIVE_PATH,
                      "--speech in.wav --input-file in.wav --output-file live.wav --bands live.csv " + settings, &printed),
                  0)
            << settings;
        // The display's band log: the 33 blocks the live path ends within
        // the input, each as the recordings' path shows it.
        const auto lines = [&](const char* name) {
            std::vector<std::string> all;
            std::ifstream file(dir.Path(name));
            for (std::string line; std::getline(file, line);)
                all.push_back(line);
            return all;
        };
        const std::vector<std::string> renderBands = lines("render.csv");
        const std::vector<std::string> liveBands = lines("live.csv");
        ASSERT_EQ(liveBands.size(), 33u) << settings;
        ASSERT_GE(renderBands.size(), 33u) << settings;
        for (std::size_t row = 0; row < liveBands.size(); ++row)
            EXPECT_EQ(liveBands[row], renderBands[row]) << settings << ", block " << row;
        EXPECT_NE(printed.find("delay: 256 samples (5.8 ms) from input to output"), std::string::npos) << printed;
        const int delay = DelayBehindRender(printed);
        ASSERT_EQ(delay, 128) << printed;
        const bool stereo = (settings.find(".json ") != std::string::npos && settings.find("--ears") == std::string::npos) ||
                            settings.find("--ci left") != std::string::npos;
        std::vector<short> render, live;
        if (stereo) {
            std::vector<short> renderRight, liveRight;
            ReadStereoWav(dir.Path("render.wav"), render, renderRight);
            ReadStereoWav(dir.Path("live.wav"), live, liveRight);
            ASSERT_EQ(liveRight.size(), renderRight.size() + 256) << settings;
            EXPECT_TRUE(std::equal(renderRight.begin(), renderRight.end(), liveRight.begin() + delay)) << settings;
            if (settings.find("--normal") == std::string::npos) {
                EXPECT_NE(render, renderRight) << "the ears differ";
            }
        } else {
            render = ReadMonoWav(dir.Path("render.wav"));
            live = ReadMonoWav(dir.Path("live.wav"));
        }
        ASSERT_EQ(live.size(), render.size() + 256) << "the whole input comes out: " << settings;
        EXPECT_TRUE(std::all_of(live.begin(), live.begin() + delay, [](short s) { return s == 0; }));
        for (std::size_t i = 0; i < render.size(); ++i)
            ASSERT_EQ(live[i + static_cast<std::size_t>(delay)], render[i]) << settings << ", sample " << i;
    }
}

TEST_F(LiveTool, LiveSoundNeverGoesAbove100DecibelsSplWhereTheRecordingsWould)
{
    // Full scale at 115 dB SPL, no loss, no listening level: the recordings'
    // path plays the input as it is (peaks above 13000 after the chain's
    // windows); live, nothing goes above a sine at 100 dB SPL, peak
    // 32768·√2·10^(-15/20) = 8240.7.
    ASSERT_EQ(Run(SONAFEL_RENDER_PATH, "--speech in.wav --seconds 3 --exact --level 115 render.wav"), 0);
    std::string printed;
    ASSERT_EQ(Run(SONAFEL_LIVE_PATH, "--speech in.wav --exact --level 115 --input-file in.wav --output-file live.wav",
                  &printed),
              0);
    const auto peak = [](const std::vector<short>& samples) {
        int loudest = 0;
        for (short s : samples)
            loudest = std::max(loudest, std::abs(static_cast<int>(s)));
        return loudest;
    };
    EXPECT_GT(peak(ReadMonoWav(dir.Path("render.wav"))), 13000);
    const int live = peak(ReadMonoWav(dir.Path("live.wav")));
    EXPECT_LE(live, 8241);
    EXPECT_GT(live, 8000) << "limited, not silenced";
    EXPECT_EQ(printed.find("muted"), std::string::npos) << "loud moments are no feedback";
}

TEST_F(LiveTool, AnInputItCannotTakeIsRefusedWithTheReason)
{
    WriteWav(dir.Path("stereo.wav"), std::vector<short>(2000, 5), 2);
    std::string errors;
    EXPECT_EQ(Run(SONAFEL_LIVE_PATH, "--input-file stereo.wav --output-file out.wav", &errors), 2);
    EXPECT_EQ(ReadText(dir.Path("stderr.txt")), "sonafel-live: 'stereo.wav' is not a 44100 Hz 16-bit mono WAV file of at most 12 hours (it has 2 "
                      "channels at 44100 Hz)\n");
    EXPECT_EQ(Run(SONAFEL_LIVE_PATH, "--input-file in.wav", &errors), 2) << "no output file";
    EXPECT_EQ(Run(SONAFEL_LIVE_PATH, "--latency 0 --seconds 1"), 2);
    EXPECT_EQ(ReadText(dir.Path("stderr.txt")).rfind("sonafel-live: --latency needs milliseconds from 1 to 500, not '0'", 0), 0u);
    EXPECT_EQ(Run(SONAFEL_LIVE_PATH, "--latency 20ms --seconds 1"), 2) << "a unit is no number";
    EXPECT_EQ(Run(SONAFEL_LIVE_PATH, "--seconds 1 --input-device " + std::string(513, 'x')), 2);
    EXPECT_EQ(ReadText(dir.Path("stderr.txt")).rfind("sonafel-live: a device's name is at most 512 bytes long", 0), 0u);
    EXPECT_EQ(Run(SONAFEL_LIVE_PATH, "--seconds 1 --output-device 'ALSA: none here'"), 1);
    EXPECT_NE(ReadText(dir.Path("stderr.txt")).find("sonafel-live: the sound output 'ALSA: none here' is not there\n"),
              std::string::npos);
    EXPECT_EQ(Run(SONAFEL_LIVE_PATH, "--input-file missing.wav --output-file out.wav", &errors), 2);
    EXPECT_FALSE(std::ifstream(dir.Path("out.wav")).good()) << "nothing written";
}

TEST_F(LiveTool, QuestionsAreAnsweredWithoutSoundAndMistypedOptionsAreNamed)
{
    const struct {
        const char* arguments;
        int status;
        const char* printed;  // the start of stdout on success, of stderr otherwise
    } kCases[] = {
        {"--version", 0, "sonafel-live 1.2\n"},
        {"--list-presets", 0, "normal\tAudiogramm mit 0 dB HL"},
        {"--normal=off --seconds 1", 2, "sonafel-live: --normal takes no value, not 'off'\n"},
        {"--seconds 1 out.wav", 2, "sonafel-live: 'out.wav' is no option, and this tool takes no file name on its own\n"},
        {"--output-file out.wav --input-file", 2, "sonafel-live: --input-file needs a value\n"},
        {"--seconds 1 --latency ''", 2, "sonafel-live: --latency needs milliseconds from 1 to 500, not ''\n"},
        {"--seconds 1 --latency=600", 2, "sonafel-live: --latency needs milliseconds from 1 to 500, not '600'\n"},
        {"--list-devices=all", 2, "sonafel-live: --list-devices takes no value\n"},
        {"--input-file in.wav --output-file out.wav --sii-log sii.txt", 2,
         "sonafel-live: --sii-log is sonafel-render's: live sound has no speech recording of its own to measure\n"},
    };
    for (const auto& test : kCases) {
        EXPECT_EQ(Run(SONAFEL_LIVE_PATH, test.arguments), test.status) << test.arguments;
        const std::string printed = ReadText(dir.Path(test.status == 0 ? "stdout.txt" : "stderr.txt"));
        EXPECT_EQ(printed.rfind(test.printed, 0), 0u) << test.arguments << ": " << printed;
    }
    EXPECT_EQ(Run(SONAFEL_RENDER_PATH, "--float=yes out.wav"), 2);
    EXPECT_EQ(ReadText(dir.Path("stderr.txt")).rfind("sonafel-render: --float takes no value, not 'yes'\n", 0), 0u);
}

}  // namespace
