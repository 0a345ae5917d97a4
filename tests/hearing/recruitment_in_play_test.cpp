// Recruitment as it meets real audiograms and real playing: a sloping loss
// band by band, onsets after true silence, and switches toggled while sound
// plays.

#include "audiogram.h"
#include "loss_processor.h"
#include "offline_playback.h"
#include "recruitment_stage.h"
#include "test_support.h"
#include "virtual_wave_out.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

CAudiogram Make(std::vector<AudiogramPoint> points)
{
    std::string error;
    return *CAudiogram::Make(std::move(points), error);
}

// A recording played as speech; `onBlock` is called after every processed
// block with its number (from 1), so that switches can be toggled between
// blocks while sound plays. Block n (from 1) plays from sample (n-1)·3968.
class ToggledChain : public CLossProcessor {
public:
    explicit ToggledChain(const std::vector<short>& speech) : CLossProcessor(m_bank)
    {
        m_bank.ReplaceSource(0, NewSamples(speech), static_cast<int>(speech.size()), false);
        m_bSourceOn[0] = 1;
        BuildHighFreqGain();
        SetEarsHeard(EarsHeard::Left);  // one ear, mono
    }

    std::function<void(int)> onBlock = [](int) {};

    std::vector<short> Play(int blocks)
    {
        std::vector<short> played;
        const auto keep = [&](const short* samples, int count) { played.insert(played.end(), samples, samples + count); };
        CRenderWaveOut device(keep, false);
        const std::size_t wanted = static_cast<std::size_t>(blocks) * kBlockOutput;
        RunOfflinePlayback(*this, device, [&] { return played.size() >= wanted; });
        return played;
    }

protected:
    void BlockProcessed() override { onBlock(++m_blocks); }

private:
    CSourceBank m_bank;
    int m_blocks = 0;
};

std::vector<short> Sine(double hz, double amplitude, std::size_t from, std::size_t to, std::vector<short> into)
{
    for (std::size_t i = from; i < to; ++i)
        into[i] = static_cast<short>(std::lround(amplitude * std::sin(2 * M_PI * hz * static_cast<double>(i) / 44100)));
    return into;
}

double RmsDb(const std::vector<short>& samples, std::size_t from, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return 10 * std::log10(sum / static_cast<double>(count));
}

}  // namespace

TEST(RecruitmentInPlay, ASlopingAudiogramActsAsTheLawGivesInTheBestFilterPassingATone)
{
    // 10, 20, 35, 50, 65, 80 dB HL at 250 Hz to 8 kHz, levels interpolated
    // over log frequency, and normal hearing's threshold T0 likewise between
    // its tabulated frequencies. The mean at 2-8 kHz, 65 dB HL, is a severe
    // loss: filters half an ERB apart from ERB number 2, reaching 2 ERB
    // below their centre fc and, as a rounded exponential, above it:
    // W = (1 + pg)·e^(-pg), g = (f - fc)/fc, p = 2·fc/ERB(fc). A tone at
    // 80 dB SPL reads 80 + 10·log10(W) in each filter, which gains
    // (ER - 1)·(read - 105) dB with ER = c/(c - HL), c = 105 - T0. Each
    // filter's weight is its output power (re the loudest reading, times its
    // gain squared re the largest) to the fourth, spread over its shape in
    // frame bins (W's mean over each bin, summed to 1) and then over the Hann frame's
    // lobe (|W(j)|² re its centre, j = -3..3); the bin's gain is the
    // weighted mean of the filters' gains. Worked through all 82 filters:
    //   bin 3 (258.4 Hz): mostly the filter at 257.2 Hz (HL 10.4, T0 11.06,
    //     gain -3.12 dB): -3.58 dB;
    //   bin 46 (3962 Hz): mostly its own filter at 3951 Hz (HL 64.7,
    //     T0 -5.43, gain -35.42 dB): -35.68 dB;
    //   bin 76 (6546 Hz): mostly the filter below it at 6200 Hz (HL 74.5,
    //     T0 5.48, reading the tone at 78.67, gain -78.33 dB; the filter at
    //     6555 Hz would give -85.18): -77.74 dB.
    const CAudiogram sloping = Make({{250, 10}, {500, 20}, {1000, 35}, {2000, 50}, {4000, 65}, {8000, 80}});
    struct Case {
        int bin;
        double change;
    };
    for (const Case c : {Case{3, -3.58}, Case{46, -35.68}, Case{76, -77.74}}) {
        CSourceBank sources;
        CLossProcessor processor(sources);
        CRecruitmentStage stage;
        stage.SetAnalysisWindow(processor.m_fAnalysisWindow, CLossProcessor::kFrameInput);
        stage.SetFullScaleLevel(100.0);
        stage.Build(sloping);
        const double hz = c.bin * 44100.0 / 512;
        const std::vector<short> tone =
            Sine(hz, 32768.0 * std::sqrt(2.0) * 0.1, 0, 4 * 3968 + 128, std::vector<short>(4 * 3968 + 128));
        float spectrum[512];
        double before = 0.0;
        for (int block = 0; block < 4; ++block) {
            stage.BeginBlock(tone.data() + 3968 * block, block > 0, 1.0f, nullptr);
            for (int frame = 0; frame < 31; ++frame) {
                processor.AnalyseFrame(tone.data() + 3968 * block + 128 * frame, spectrum);
                before = std::hypot(spectrum[2 * c.bin], spectrum[2 * c.bin + 1]);
                stage.Apply(spectrum);
            }
        }
        const double after = std::hypot(spectrum[2 * c.bin], spectrum[2 * c.bin + 1]);
        EXPECT_NEAR(20 * std::log10(after / before), c.change, 0.6) << "bin " << c.bin;
    }
}

TEST(RecruitmentInPlay, AnOnsetAfterDigitalSilenceIsAsLoudSoonAsOneAfterARoomTone)
{
    // One second of digital silence, or of white room tone at -60 dB FS,
    // then a 1 kHz tone at 80 dB SPL through a flat 50 dB HL loss. The
    // tone's onset in the output is where the chain without a loss first
    // plays a sample above the room tone.
    const std::size_t onset = 44100;
    const double amplitude = 15000.0;
    const double fullScale = 80.0 - 20 * std::log10(amplitude / std::sqrt(2.0) / 32768);  // 89.8 dB SPL
    std::vector<short> silent(3 * 44100, 0);
    std::vector<short> room(3 * 44100, 0);
    // Uniform noise of RMS 32.8, -60 dB FS: amplitude 32.8·√3.
    unsigned seed = 7;
    for (std::size_t i = 0; i < room.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        const double uniform = (static_cast<int>((seed >> 16) % 2001) - 1000) / 1000.0;
        room[i] = static_cast<short>(std::lround(uniform * 32768 * 0.001 * std::sqrt(3.0)));
    }
    const CAudiogram flat = Make({{1000, 50}});
    const auto play = [&](const std::vector<short>& before, bool loss) {
        std::vector<short> input = before;
        for (std::size_t i = onset; i < input.size(); ++i) {
            const double phase = 2 * M_PI * 1000.0 * static_cast<double>(i - onset) / 44100;
            input[i] = static_cast<short>(input[i] + std::lround(amplitude * std::sin(phase)));
        }
        ToggledChain chain(input);
        chain.SetFullScaleLevel(fullScale);
        if (loss)
            chain.SetAudiogram(&flat);
        return chain.Play(30);
    };
    const std::vector<short> normal = play(silent, false);
    std::size_t start = 0;
    while (start < normal.size() && std::abs(normal[start]) < 2000)
        ++start;
    ASSERT_LT(start, normal.size());

    for (const std::vector<short>* before : {&silent, &room}) {
        const std::vector<short> out = play(*before, true);
        const double steady = RmsDb(out, out.size() - 22050, 22050);
        const double from15to20 = RmsDb(out, start + 661, 221);
        const double from20to30 = RmsDb(out, start + 882, 441);
        const char* what = before == &silent ? "after digital silence" : "after a room tone";
        EXPECT_GT(from15to20, steady - 2.0) << what;
        EXPECT_GT(from20to30, steady - 2.0) << what;
        EXPECT_LT(from15to20, steady + 3.0) << what;
    }
}

TEST(RecruitmentInPlay, SwitchingBackFromTheComparisonOrTheFixedAttenuationFindsTheLevelsCurrent)
{
    // HL 50 at full scale 90 dB SPL: two seconds of a 1 kHz tone at 95 dB
    // SPL, then one at 70. At 1 kHz T0 = 2.4, ER = 102.6 / 52.6 = 1.951: at
    // 70 the law gives 105 - 1.951·35 = 36.7 dB SPL out; levels left at 95
    // would give 70 - 0.951·10 = 60.5, 23.8 dB more.
    const double fullScale = 90.0;
    const double loud = 32768.0 * std::sqrt(2.0) * std::pow(10.0, (95.0 - fullScale) / 20);
    const double soft = 32768.0 * std::sqrt(2.0) * std::pow(10.0, (70.0 - fullScale) / 20);
    std::vector<short> input = Sine(1000, std::min(loud, 32767.0), 0, 2 * 44100, std::vector<short>(4 * 44100));
    input = Sine(1000, soft, 2 * 44100, 4 * 44100, input);
    const CAudiogram flat = Make({{1000, 50}});
    // Off during block 10 (within the loud tone) to block 30 (within the soft one).
    struct Toggle {
        const char* what;
        std::function<void(CLossProcessor&, bool)> set;
    };
    const Toggle toggles[] = {
        {"Normal hören", [](CLossProcessor& p, bool off) { p.SetNormalHearing(off); }},
        {"recruitment off", [](CLossProcessor& p, bool off) { p.SetRecruitment(!off); }},
    };
    for (const Toggle& toggle : toggles) {
        ToggledChain chain(input);
        chain.SetFullScaleLevel(fullScale);
        chain.SetAudiogram(&flat);
        chain.onBlock = [&](int block) {
            if (block == 10 || block == 30)
                toggle.set(chain, block == 10);
        };
        const std::vector<short> out = chain.Play(40);
        // Block 31 is the first back with recruitment; its first 512 samples
        // still hold the overlap of block 30's last frames. The next 50 ms
        // against the soft tone's steady output at the end.
        const std::size_t back = 30 * 3968 + 512;
        const double steady = RmsDb(out, out.size() - 3 * 3968, 3 * 3968);
        const double first = RmsDb(out, back, 2205);
        EXPECT_NEAR(first, steady, 2.0) << toggle.what;
        // The steady output in dB SPL: the law's 36.7, less the 0.7 dB the
        // chain's windows take from a tone even without a loss.
        EXPECT_NEAR(fullScale + steady - 20 * std::log10(32768.0), 36.7 - 0.7, 1.0) << toggle.what;
    }
}

TEST(RecruitmentInPlay, TheEarsHeardSwitchedWhileSoundPlaysGoOnWithoutASeam)
{
    // The same fixed attenuation in both ears: whichever chain plays, the
    // sound is the same, so switching from one ear to both, to the other and
    // back must leave it unchanged to the bit, the overlap of the frames
    // across each switch included.
    std::vector<short> input = Sine(700, 12000, 0, 3 * 44100, std::vector<short>(3 * 44100));
    input = Sine(2300, 4000, 44100, 2 * 44100, input);
    const CAudiogram sloping = Make({{250, 10}, {1000, 30}, {4000, 60}});
    const auto play = [&](bool switching) {
        ToggledChain chain(input);
        chain.SetRecruitment(false);
        chain.SetAudiogram(&sloping);
        chain.onBlock = [&](int block) {
            if (!switching)
                return;
            if (block == 5)
                chain.SetEarsHeard(EarsHeard::Both);
            if (block == 10)
                chain.SetEarsHeard(EarsHeard::Right);
            if (block == 15)
                chain.SetEarsHeard(EarsHeard::Left);
        };
        return chain.Play(20);
    };
    const std::vector<short> switched = play(true);
    const std::vector<short> steady = play(false);
    ASSERT_EQ(switched.size(), steady.size());
    for (std::size_t i = 0; i < steady.size(); ++i)
        ASSERT_EQ(switched[i], steady[i]) << "sample " << i << ", block " << i / 3968;
}

TEST(RecruitmentInPlay, TwoChangesOfTheEarsBetweenBlocksHandOverWhatTheLastBlockPlayed)
{
    // Both ears heard, then the left alone and at once the right alone,
    // between blocks 5 and 6: the right ear played in block 5, so it goes on
    // with its own overlap, as when both are switched straight to the right;
    // the left ear's would put 8.7 ms of another loss into its channel.
    std::vector<short> input = Sine(700, 12000, 0, 3 * 44100, std::vector<short>(3 * 44100));
    input = Sine(2300, 4000, 0, 3 * 44100, input);
    const CAudiogram mild = Make({{250, 10}, {4000, 10}});
    const CAudiogram steep = Make({{250, 20}, {1000, 40}, {4000, 80}});
    const auto play = [&](std::vector<EarsHeard> changes) {
        ToggledChain chain(input);
        chain.SetRecruitment(false);
        chain.SetEarAudiogram(Ear::Left, &mild);
        chain.SetEarAudiogram(Ear::Right, &steep);
        chain.SetEarsHeard(EarsHeard::Both);
        std::vector<float> heard;
        chain.onBlock = [&](int block) {
            if (block > 5)
                heard.insert(heard.end(), chain.FloatBlock(), chain.FloatBlock() + CLossProcessor::kBlockOutput);
            if (block == 5)
                for (const EarsHeard ears : changes)
                    chain.SetEarsHeard(ears);
        };
        chain.Play(8);
        return heard;
    };
    const std::vector<float> twice = play({EarsHeard::Left, EarsHeard::Right});
    const std::vector<float> once = play({EarsHeard::Right});
    ASSERT_EQ(twice.size(), once.size());
    ASSERT_FALSE(once.empty());
    for (std::size_t i = 0; i < once.size(); ++i)
        ASSERT_EQ(twice[i], once[i]) << "sample " << i << " after the change";
}
