// Settings handed to the live path while it plays: taken whole between two
// hops, heard from the next one, the block's ears kept until it ends.

#include "audiogram_presets.h"
#include "live_engine.h"
#include "output_volume.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int kHop = CLossProcessor::kHop;
constexpr int kHops = 120;  // nearly four blocks of 31 hops

// A 500 Hz tone for every hop.
std::vector<short> Tone()
{
    std::vector<short> samples(kHops * kHop);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>(std::lround(8000.0 * std::sin(2.0 * M_PI * 500.0 * static_cast<double>(i) / 44100.0)));
    return samples;
}

// Noise with more low than high frequencies, as speech has, for every hop.
std::vector<short> Noise()
{
    std::vector<short> samples(kHops * kHop);
    unsigned state = 12345;
    double low = 0.0;
    for (short& sample : samples) {
        state = state * 1103515245u + 12345u;
        const double white = static_cast<double>((state >> 8) & 0xFFFF) - 32768.0;
        low = 0.9 * low + 0.1 * white;
        sample = static_cast<short>(0.5 * low + 0.1 * white);
    }
    return samples;
}

// A speech recording for the window: a 500 Hz tone of peak 8000, whose
// active level is about -15.3 dB FS.
std::vector<short> Speech()
{
    std::vector<short> speech(44100);
    for (std::size_t i = 0; i < speech.size(); ++i)
        speech[i] = static_cast<short>(std::lround(8000.0 * std::sin(2.0 * M_PI * 500.0 * static_cast<double>(i) / 44100.0)));
    return speech;
}

// The speech recording's active level as the window measures it, in dB FS.
double SpeechDbFs()
{
    CSourceBank sources;
    sources.ReplaceSource(0, NewSamples(Speech()), 44100, false);
    return sources.ActiveLevelDbFs(0);
}

// The stereo hops of an engine that starts with `first` and takes `then`
// before hop `changeAt`; the window has a speech recording when asked.
std::vector<short> Play(const std::function<void(CLossProcessor&)>& first,
                        const std::function<void(CLossProcessor&)>& then, int changeAt, bool tone = false,
                        bool speech = false)
{
    static const std::vector<short> noise = Noise();
    static const std::vector<short> sine = Tone();
    const std::vector<short>& input = tone ? sine : noise;
    CSourceBank sources;
    if (speech)
        sources.ReplaceSource(0, NewSamples(Speech()), 44100, false);
    CLossProcessor window(sources);
    CLiveEngine engine(false);
    first(window);
    engine.Post(std::make_unique<CLiveSettings>(window));
    std::vector<short> output(2 * input.size());
    for (int hop = 0; hop < kHops; ++hop) {
        if (hop == changeAt) {
            then(window);
            engine.Post(std::make_unique<CLiveSettings>(window));
        }
        engine.ProcessHop(&input[hop * kHop], &output[2 * hop * kHop]);
    }
    return output;
}

// Whether hops [from, to) of two outputs are equal to the bit (or within `steps`).
bool HopsMatch(const std::vector<short>& a, const std::vector<short>& b, int from, int to, int steps = 0)
{
    for (int i = 2 * from * kHop; i < 2 * to * kHop; ++i)
        if (std::abs(a[i] - b[i]) > steps)
            return false;
    return true;
}

void Sliders(CLossProcessor& p, double loudness, double highFreq, double resolution)
{
    p.m_dLoudness = loudness;
    p.m_dHighFreq = highFreq;
    p.m_dResolution = resolution;
    p.BuildSmearTable();
    p.BuildHighFreqGain();
}

const CAudiogram* Preset(const char* key)
{
    return &FindAudiogramPreset(key)->audiogram;
}

const auto kNothing = [](CLossProcessor&) {};

}  // namespace

// Hop 40 is frame 8 of the block of hops 32 to 62: the change comes within a
// block. A hop's samples take the frames of the hop and the three before.
TEST(LiveSettings, SlidersMovedWithinABlockAreHeardFromTheNextHopAndWholeAfterOneFrame)
{
    const auto before = [](CLossProcessor& p) { Sliders(p, 1.0, 0.8, 0.9); };
    const auto after = [](CLossProcessor& p) { Sliders(p, 0.9, 0.4, 0.5); };
    const std::vector<short> changed = Play(before, after, 40);
    const std::vector<short> unchanged = Play(before, kNothing, -1);
    const std::vector<short> allAlong = Play(after, kNothing, -1);
    EXPECT_TRUE(HopsMatch(changed, unchanged, 0, 40));
    EXPECT_FALSE(HopsMatch(changed, unchanged, 40, 41)) << "heard at the next hop";
    EXPECT_TRUE(HopsMatch(changed, allAlong, 43, kHops)) << "whole once the frames reaching a hop all took it";
}

TEST(LiveSettings, TheComparisonSwitchesWithinABlockToAndFromAnAudiogramsFloatPath)
{
    // A sloping loss in one ear, a flat one in the other, as a fixed
    // attenuation: the float path; the comparison is the plain chain.
    const auto loss = [](CLossProcessor& p) {
        Sliders(p, 1.0, 0.9, 0.8);
        p.SetRecruitment(false);
        p.SetEarAudiogram(Ear::Left, Preset("N2"));
        p.SetEarAudiogram(Ear::Right, Preset("S3"));
        p.SetNormalHearing(false);
    };
    const auto compared = [&](CLossProcessor& p) {
        loss(p);
        p.SetNormalHearing(true);
    };
    const std::vector<short> lossOnly = Play(loss, kNothing, -1);
    const std::vector<short> comparedOnly = Play(compared, kNothing, -1);
    const std::vector<short> toComparison = Play(loss, compared, 40);
    EXPECT_TRUE(HopsMatch(toComparison, lossOnly, 0, 40));
    EXPECT_FALSE(HopsMatch(toComparison, lossOnly, 40, 41));
    EXPECT_TRUE(HopsMatch(toComparison, comparedOnly, 43, kHops));

    // Back to the loss at hop 71 (frame 8 of hops 63 to 93): the float path
    // starts from the plain chain's partial sums; its dither has drawn fewer
    // values meanwhile, so the samples agree within the dither's two steps.
    const std::vector<short> toLoss = Play(compared, loss, 71);
    EXPECT_TRUE(HopsMatch(toLoss, comparedOnly, 0, 71));
    EXPECT_FALSE(HopsMatch(toLoss, comparedOnly, 71, 72, 2));
    EXPECT_TRUE(HopsMatch(toLoss, lossOnly, 74, kHops, 2));
}

TEST(LiveSettings, APathChangedWithinABlockCarriesTheFramesBeforeItOver)
{
    // A loss only above 4 kHz takes the float path but leaves a 500 Hz tone
    // as the plain chain makes it, within the plain chain's truncation of
    // each frame (at most one step each) and the dither (one more): so
    // switching the comparison on and off within blocks (hops 40 and 71)
    // must leave the tone whole, the partial sums of the frames before each
    // switch carried into the other path.
    std::string error;
    static const CAudiogram highOnly =
        *CAudiogram::Make({{250, 0}, {1000, 0}, {4000, 0}, {8000, 60}}, error);
    const auto loss = [](CLossProcessor& p) {
        p.SetRecruitment(false);
        p.SetAudiogram(&highOnly);
        p.SetNormalHearing(false);
    };
    const auto compared = [&](CLossProcessor& p) {
        loss(p);
        p.SetNormalHearing(true);
    };
    const std::vector<short> plain = Play(compared, kNothing, -1, true);
    EXPECT_TRUE(HopsMatch(Play(loss, kNothing, -1, true), plain, 1, kHops, 4)) << "the paths agree on the tone";
    EXPECT_TRUE(HopsMatch(Play(loss, compared, 40, true), plain, 1, kHops, 4));
    EXPECT_TRUE(HopsMatch(Play(compared, loss, 71, true), plain, 1, kHops, 4));
}

TEST(LiveSettings, TheEarsHeardChangeAtTheNextBlockTheRestOfTheSettingsAtOnce)
{
    const auto both = [](CLossProcessor& p) {
        p.SetRecruitment(false);
        p.SetEarAudiogram(Ear::Left, Preset("N2"));
        p.SetEarAudiogram(Ear::Right, Preset("S3"));
    };
    const auto rightOnly = [&](CLossProcessor& p) {
        both(p);
        p.SetEarsHeard(EarsHeard::Right);
    };
    const std::vector<short> changed = Play(both, rightOnly, 40);
    const std::vector<short> bothAlong = Play(both, kNothing, -1);
    const std::vector<short> rightAlong = Play(rightOnly, kNothing, -1);
    EXPECT_TRUE(HopsMatch(changed, bothAlong, 0, 63)) << "the block of hops 32 to 62 keeps both ears";
    EXPECT_TRUE(HopsMatch(changed, rightAlong, 63, kHops));
    EXPECT_FALSE(HopsMatch(bothAlong, rightAlong, 63, kHops)) << "the left ear differs";
}

TEST(LiveSettings, AnAudiogramTakenWithinABlockActsAtOnceWithRecruitmentFromTheNextBlock)
{
    // The left ear heard alone, the sliders only, then a loss with
    // recruitment: the filters begin to follow the sound with the next
    // block; until then the loss is the fixed attenuation.
    const auto left = [](CLossProcessor& p) { p.SetEarsHeard(EarsHeard::Left); };
    const auto loss = [&](CLossProcessor& p) {
        left(p);
        p.SetAudiogram(Preset("S2"));
    };
    const auto attenuation = [&](CLossProcessor& p) {
        loss(p);
        p.SetRecruitment(false);
    };
    const std::vector<short> changed = Play(left, loss, 40);
    const std::vector<short> attenuated = Play(left, attenuation, 40);
    const std::vector<short> plain = Play(left, kNothing, -1);
    EXPECT_TRUE(HopsMatch(changed, plain, 0, 40));
    EXPECT_FALSE(HopsMatch(changed, plain, 40, 42, 2)) << "heard within a frame";
    EXPECT_TRUE(HopsMatch(changed, attenuated, 40, 63));
    EXPECT_FALSE(HopsMatch(changed, attenuated, 66, kHops, 2)) << "recruitment acts from the next block";

    // Both ears heard: the sliders' mono block becomes stereo with the next block.
    const auto both = [](CLossProcessor& p) { p.SetAudiogram(Preset("S2")); };
    EXPECT_TRUE(HopsMatch(Play(kNothing, both, 40), Play(kNothing, kNothing, -1), 0, 63));
}

TEST(LiveSettings, EachEarTakesOverTheOthersOverlapWhenTheEarsHeardChange)
{
    // The same fixed attenuation in both ears: whichever chains run, the
    // sound is the same, so a change of the ears heard at hop 40 must leave
    // both channels as the steady ears give them from the next block (hop
    // 63) on, to the bit: the ear that comes in takes over the partial sums
    // of the frames before the change.
    static const CAudiogram sloping = *Preset("S2");
    const auto heard = [](EarsHeard ears) {
        return [ears](CLossProcessor& p) {
            p.SetRecruitment(false);
            p.SetAudiogram(&sloping);
            p.SetEarsHeard(ears);
        };
    };
    const struct {
        EarsHeard from;
        EarsHeard to;
    } kChanges[] = {{EarsHeard::Left, EarsHeard::Both},
                    {EarsHeard::Right, EarsHeard::Both},
                    {EarsHeard::Both, EarsHeard::Left},
                    {EarsHeard::Left, EarsHeard::Right}};
    for (const auto& change : kChanges) {
        const std::vector<short> changed = Play(heard(change.from), heard(change.to), 40);
        const std::vector<short> steady = Play(heard(change.to), kNothing, -1);
        EXPECT_TRUE(HopsMatch(changed, steady, 63, kHops))
            << static_cast<int>(change.from) << " to " << static_cast<int>(change.to);
    }
}

namespace {

// Live hops of a 1 kHz tone of `peak` through an engine whose window has the
// speech recording, with the calibration and
// listening level given; the output's loudest sample and RMS in dB over the
// last 60 hops.
struct LiveLevel {
    int peak = 0;
    double rmsDb = 0.0;
    double speechDbFs = 0.0;  // the active level the window measured for its speech
};

LiveLevel PlayAtLevel(double fullScaleSpl, std::optional<double> listeningSpl, double peak)
{
    CSourceBank sources;
    sources.ReplaceSource(0, NewSamples(Speech()), 44100, false);
    CLossProcessor window(sources);
    window.SetFullScaleLevel(fullScaleSpl);
    window.SetPresentationLevel(listeningSpl);
    CLiveEngine engine(false);
    engine.Post(std::make_unique<CLiveSettings>(window));
    LiveLevel level;
    level.speechDbFs = sources.ActiveLevelDbFs(0);
    double sum = 0.0;
    std::vector<short> input(kHop);
    std::vector<short> output(2 * kHop);
    for (int hop = 0; hop < kHops; ++hop) {
        for (int i = 0; i < kHop; ++i)
            input[i] = static_cast<short>(std::lround(peak * std::sin(2.0 * M_PI * 1000.0 * (hop * kHop + i) / 44100.0)));
        engine.ProcessHop(input.data(), output.data());
        for (const short sample : output) {
            level.peak = std::max(level.peak, std::abs(static_cast<int>(sample)));
            if (hop >= kHops - 60)
                sum += static_cast<double>(sample) * sample;
        }
    }
    level.rmsDb = 10.0 * std::log10(sum / (60.0 * 2 * kHop));
    return level;
}

}  // namespace

TEST(LiveSettings, TheListeningLevelAndTheCeilingAtTheEarAreHeardLive)
{
    // The listening level scales the input as it scales the recordings: the
    // speech's active level under the calibration raised or lowered to it.
    const LiveLevel loaded = PlayAtLevel(100.0, std::nullopt, 4000.0);
    ASSERT_GT(loaded.speechDbFs, -30.0);
    ASSERT_LT(loaded.speechDbFs, -10.0);  // a sine of peak 8000: about -15.3 dB FS
    for (const double change : {-12.0, 6.0}) {
        const LiveLevel presented = PlayAtLevel(100.0, 100.0 + loaded.speechDbFs + change, 4000.0);
        EXPECT_NEAR(presented.rmsDb - loaded.rmsDb, change, 0.1) << change;
    }
    // With 0 dB FS at 110 dB SPL, nothing above 100 dB SPL reaches the ear:
    // a sine of peak 32768·√2·10^(-10/20) = 14654, with or without a
    // listening level, whose own limiter has the same ceiling.
    const struct {
        std::optional<double> listeningSpl;
        double inputPeak;
    } kLoud[] = {{std::nullopt, 24000.0}, {110.0 + loaded.speechDbFs + 6.0, 12000.0}};
    for (const auto& loud : kLoud) {
        const LiveLevel limited = PlayAtLevel(110.0, loud.listeningSpl, loud.inputPeak);
        EXPECT_LE(limited.peak, 14655) << loud.inputPeak;
        EXPECT_GT(limited.peak, 14000) << "limited, not silenced";
    }
    EXPECT_GT(PlayAtLevel(100.0, std::nullopt, 24000.0).peak, 20000) << "at 100 dB SPL full scale, full scale passes";
}

TEST(LiveSettings, AListeningLevelSwitchedOffWithinABlockKeepsItsGainToTheBlocksEnd)
{
    // Whether a listening level is set is planned for a block: the frames
    // and the recruitment's long look at the low frequencies keep the
    // block's gain (10 dB down) until it ends, then both lose it.
    const auto on = [](CLossProcessor& p) {
        p.SetAudiogram(Preset("N3"));
        p.SetPresentationLevel(100.0 + SpeechDbFs() - 10.0);
    };
    const auto off = [](CLossProcessor& p) {
        p.SetAudiogram(Preset("N3"));
        p.SetPresentationLevel(std::nullopt);
    };
    const std::vector<short> changed = Play(on, off, 40, false, true);
    const std::vector<short> onAlong = Play(on, kNothing, -1, false, true);
    EXPECT_TRUE(HopsMatch(changed, onAlong, 0, 63)) << "the block of hops 32 to 62 keeps its gain";
    EXPECT_FALSE(HopsMatch(changed, onAlong, 66, kHops, 2));
}

TEST(LiveSettings, TheLivePathAppliesItsOwnVolumeAndLeavesTheProcessesAlone)
{
    // Loudness 0.5 is 37.5 dB down: the volume carries 20 dB (6553 of
    // 65535), the samples 17.5 dB. Live, the volume is applied to the hops
    // by the engine; the process's volume, which a calibration tone plays
    // at, stays as it was.
    SetOutputVolume(0x80008000u);
    const auto half = [](CLossProcessor& p) {
        p.SetAudiogram(Preset("N3"));
        p.m_dLoudness = 0.5;
    };
    CSourceBank sources;
    CLossProcessor window(sources);
    half(window);
    SetOutputVolume(0x80008000u);  // the window's processor set its own
    CLiveEngine heard(true);
    CLiveEngine exact(false);
    heard.Post(std::make_unique<CLiveSettings>(window));
    exact.Post(std::make_unique<CLiveSettings>(window));
    static const std::vector<short> noise = Noise();
    std::vector<short> out(2 * kHop), outExact(2 * kHop);
    double sum = 0.0, sumExact = 0.0;
    for (int hop = 0; hop < kHops; ++hop) {
        heard.ProcessHop(&noise[hop * kHop], out.data());
        exact.ProcessHop(&noise[hop * kHop], outExact.data());
        for (int i = 0; i < 2 * kHop; ++i) {
            sum += std::abs(out[i]);
            sumExact += std::abs(outExact[i]);
        }
    }
    EXPECT_EQ(OutputVolume(), 0x80008000u);
    ASSERT_GT(sumExact, 0.0);
    // The volume scales whole samples down, which takes up to one step off each.
    EXPECT_NEAR(sum / sumExact, 6553.0 / 65535.0, 0.01);
    SetOutputVolume(0xFFFFFFFFu);
}
