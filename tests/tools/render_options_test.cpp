#include "render_options.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> args, RenderOptions& options, std::string& error)
{
    args.insert(args.begin(), "sonafel-render");
    return ParseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

TEST(RenderOptions, DefaultsAndEveryOption)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"out.wav"}, options, error)) << error;
    EXPECT_EQ(options.speechPath, "sprache.wav");
    EXPECT_EQ(options.musicPath, "music.wav");
    EXPECT_EQ(options.noisePath, "noise.wav");
    EXPECT_EQ(options.sourceOn[0], 1);
    EXPECT_EQ(options.sourceOn[1] + options.sourceOn[2], 0);
    EXPECT_EQ(options.settings.loudness, 1.0);
    EXPECT_EQ(options.samples, 441000);
    EXPECT_FALSE(options.exact);

    RenderOptions all;
    ASSERT_TRUE(Parse({"--speech", "s.wav", "--music=m.wav", "--noise", "n.wav", "--on", "noise,music", "--loudness",
                       "0", "--highfreq", "0.25", "--resolution=1e-1", "--blocks", "3", "--exact", "--bands", "b.csv",
                       "--sii-log", "sii.txt", "o.wav"},
                      all, error))
        << error;
    EXPECT_EQ(all.speechPath, "s.wav");
    EXPECT_EQ(all.musicPath, "m.wav");
    EXPECT_EQ(all.noisePath, "n.wav");
    EXPECT_EQ(all.sourceOn[0], 0);
    EXPECT_EQ(all.sourceOn[1], 1);
    EXPECT_EQ(all.sourceOn[2], 1);
    EXPECT_EQ(all.settings.loudness, 0.0);
    EXPECT_EQ(all.settings.highFreq, 0.25);
    EXPECT_EQ(all.settings.resolution, 0.1);
    EXPECT_EQ(all.samples, 3 * 3968);
    EXPECT_TRUE(all.exact);
    EXPECT_EQ(all.bandsPath, "b.csv");
    EXPECT_EQ(all.siiLogPath, "sii.txt");
    EXPECT_EQ(all.outputPath, "o.wav");

    RenderOptions seconds;
    ASSERT_TRUE(Parse({"--seconds", "1.5", "o.wav"}, seconds, error));
    EXPECT_EQ(seconds.samples, 66150);
}

TEST(RenderOptions, RefusesBadOptionsWithAMessage)
{
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"--loudness", "loud", "o.wav"},
        {"--loudness", "1.5", "o.wav"},
        {"--highfreq", "-0.1", "o.wav"},
        {"--resolution", "nan", "o.wav"},
        {"--resolution", "", "o.wav"},
        {"--on", "speech,drums", "o.wav"},
        {"--on", "", "o.wav"},
        {"--seconds", "0", "o.wav"},
        {"--seconds", "1", "--blocks", "2", "o.wav"},
        {"--blocks", "2.5", "o.wav"},
        {"--blocks", "-1", "o.wav"},
        {"--frobnicate", "o.wav"},
        {"o.wav", "p.wav"},
        {"o.wav", "--loudness"},
        {"--sii-log", "", "o.wav"},
        {"o.wav", "--sii-log"},
    };
    for (const auto& args : bad) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, options, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(RenderOptions, AudiogramsByNameOrFileEarAndListenerAndTheComparison)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--audiogram", "S1", "--normal", "out.wav"}, options, error)) << error;
    ASSERT_TRUE(options.audiogram.left && options.audiogram.right);
    EXPECT_EQ(options.audiogram.left->LevelAt(4000), 55.0);
    EXPECT_TRUE(options.audiogram.oneEar) << "a standard loss is one ear's, heard alone";
    EXPECT_EQ(options.audiogram.label, "S1: leichter Steilabfall");
    EXPECT_TRUE(options.settings.normalHearing);

    TempDir dir;
    const std::string file = dir.Path("listeners.json").string();
    std::ofstream(file) << R"({"L1": {"audiogram_cfs": [500, 4000], "audiogram_levels_l": [10, 70],
                                      "audiogram_levels_r": [20, 80]}})";
    RenderOptions both;
    ASSERT_TRUE(Parse({("--audiogram=" + file).c_str(), "out.wav"}, both, error)) << error;
    EXPECT_EQ(both.audiogram.left->LevelAt(4000), 70.0) << "a listener brings both ears";
    EXPECT_EQ(both.audiogram.right->LevelAt(4000), 80.0);
    EXPECT_FALSE(both.audiogram.oneEar);
    EXPECT_EQ(both.audiogram.label, "L1");
    RenderOptions left;
    ASSERT_TRUE(Parse({"--audiogram", (file + ":L1:left").c_str(), "out.wav"}, left, error)) << error;
    EXPECT_EQ(left.audiogram.left->LevelAt(500), 10.0);
    EXPECT_EQ(left.audiogram.right->LevelAt(500), 10.0) << "one ear named: its loss alone";
    EXPECT_TRUE(left.audiogram.oneEar);
    EXPECT_EQ(left.audiogram.label, "L1, left ear");
    RenderOptions leftOnly;
    ASSERT_TRUE(Parse({"--audiogram", (file + ":left").c_str(), "out.wav"}, leftOnly, error)) << error;
    EXPECT_EQ(leftOnly.audiogram.left->LevelAt(500), 10.0);

    // Each ear its own: a standard loss on one side, a file's ear on the
    // other; a file without an ear named gives its same side.
    RenderOptions sides;
    ASSERT_TRUE(Parse({"--audiogram-right", "S2", "--audiogram-left", file.c_str(), "--ears", "right", "out.wav"},
                      sides, error))
        << error;
    EXPECT_EQ(sides.audiogram.left->LevelAt(4000), 70.0);
    EXPECT_EQ(sides.audiogram.right->LevelAt(4000), 95.0) << "S2 at 4 kHz";
    EXPECT_FALSE(sides.audiogram.oneEar);
    EXPECT_EQ(sides.ears, EarsHeard::Right);
    RenderOptions crossed;
    ASSERT_TRUE(Parse({"--audiogram-left", (file + ":right").c_str(), "out.wav"}, crossed, error)) << error;
    EXPECT_EQ(crossed.audiogram.left->LevelAt(4000), 80.0) << "the ear named wins";
    EXPECT_FALSE(crossed.audiogram.right) << "the other ear hears normally";
    EXPECT_FALSE(crossed.ears);

    RenderOptions bad;
    EXPECT_FALSE(Parse({"--audiogram", (file + ":L1:left:x").c_str(), "out.wav"}, bad, error));
    EXPECT_EQ(error, "--audiogram takes FILE[:LISTENER][:left|right], not '" + file + ":L1:left:x'");
    EXPECT_FALSE(Parse({"--audiogram", "", "out.wav"}, bad, error));
    EXPECT_EQ(error, "--audiogram needs a standard loss or a file, not ''");
    RenderOptions twice;
    EXPECT_FALSE(Parse({"--audiogram", "S1", "--audiogram-left", "S2", "out.wav"}, twice, error));
    EXPECT_EQ(error, "give --audiogram once, or --audiogram-left and --audiogram-right once each");
    RenderOptions sameSide;
    EXPECT_FALSE(Parse({"--audiogram-left", "S1", "--audiogram-left", "S2", "out.wav"}, sameSide, error));
    RenderOptions earsWrong;
    EXPECT_FALSE(Parse({"--ears", "middle", "out.wav"}, earsWrong, error));
    EXPECT_EQ(error, "--ears is both, left or right, not 'middle'");

    RenderOptions calibrated;
    ASSERT_TRUE(Parse({"--level", "94", "--speech-level", "65", "--recruitment", "off", "--smearing-from-audiogram",
                       "out.wav"},
                      calibrated, error))
        << error;
    EXPECT_EQ(calibrated.settings.fullScaleSpl, 94.0);
    EXPECT_EQ(*calibrated.settings.listeningSpl, 65.0);
    EXPECT_FALSE(calibrated.settings.recruitment);
    EXPECT_TRUE(calibrated.settings.smearingFromAudiogram);
    // Full scale has one range everywhere: 40 to 150 dB SPL, as the dialog's
    // meter readings of 20 to 130 for a tone 20 dB below it.
    EXPECT_FALSE(Parse({"--level", "150.5", "out.wav"}, bad, error));
    EXPECT_EQ(error, "--level needs the dB SPL of full scale, from 40 to 150, not '150.5'");
    EXPECT_FALSE(Parse({"--level", "39.9", "out.wav"}, bad, error));
    RenderOptions loudest, quietest;
    ASSERT_TRUE(Parse({"--level", "150", "out.wav"}, loudest, error)) << error;
    ASSERT_TRUE(Parse({"--level", "40", "out.wav"}, quietest, error)) << error;
    EXPECT_FALSE(Parse({"--speech-level", "110", "out.wav"}, bad, error));
    EXPECT_EQ(error, "--speech-level needs a level from 20 to 100 dB SPL, not '110'");
    EXPECT_FALSE(Parse({"--recruitment", "maybe", "out.wav"}, bad, error));
    EXPECT_EQ(error, "--recruitment is on or off, not 'maybe'");

    RenderOptions list;
    ASSERT_TRUE(Parse({"--list-presets"}, list, error)) << error;
    EXPECT_TRUE(list.listPresets);
    EXPECT_EQ(PresetList().substr(0, PresetList().find('\n')), "normal\tAudiogramm mit 0 dB HL (kein Hörverlust)");
}

TEST(RenderOptions, AnAidInEitherEarOrBothFittedFromItsAudiogram)
{
    const struct {
        std::vector<const char*> args;
        AidRule left, right;
        bool earLoss;
    } kTaken[] = {
        {{"--audiogram", "N3", "--aid", "fig6", "o.wav"}, AidRule::Fig6, AidRule::Fig6, true},
        {{"--audiogram-left", "S2", "--audiogram-right", "N3", "--aid-right", "nal-r", "--ear-loss", "off", "o.wav"},
         AidRule::Off,
         AidRule::NalR,
         false},
        {{"--audiogram", "N3", "--aid-left", "fig6", "--aid-right", "nal-r", "o.wav"},
         AidRule::Fig6,
         AidRule::NalR,
         true},
        {{"--ear-loss", "off", "o.wav"}, AidRule::Off, AidRule::Off, false},
    };
    for (const auto& c : kTaken) {
        RenderOptions options;
        std::string error;
        ASSERT_TRUE(Parse(c.args, options, error)) << error;
        EXPECT_EQ(options.settings.aid[static_cast<int>(Ear::Left)], c.left) << c.args[0];
        EXPECT_EQ(options.settings.aid[static_cast<int>(Ear::Right)], c.right) << c.args[0];
        EXPECT_EQ(options.settings.earLoss, c.earLoss);
    }
    const struct {
        std::vector<const char*> args;
        const char* error;
    } kRefused[] = {
        {{"--aid", "fig6", "o.wav"}, "an aid is fitted from an audiogram, and the left ear has none (--audiogram)"},
        {{"--audiogram-left", "S2", "--aid-right", "fig6", "o.wav"},
         "an aid is fitted from an audiogram, and the right ear has none (--audiogram)"},
        {{"--audiogram", "N3", "--aid", "NAL-R", "o.wav"}, "--aid is nal-r, fig6 or off, not 'NAL-R'"},
        {{"--audiogram", "N3", "--aid", "", "o.wav"}, "--aid is nal-r, fig6 or off, not ''"},
        {{"--audiogram", "N3", "--aid", "fig6", "--aid-left", "fig6", "o.wav"},
         "give --aid once, or --aid-left and --aid-right once each"},
        {{"--audiogram", "N3", "--aid-right", "fig6", "--aid-right", "fig6", "o.wav"},
         "give --aid once, or --aid-left and --aid-right once each"},
        {{"--ear-loss", "no", "o.wav"}, "--ear-loss is on or off, not 'no'"},
        {{"--audiogram", "N3", "o.wav", "--aid"}, "--aid needs a value"},
    };
    for (const auto& c : kRefused) {
        RenderOptions options;
        std::string error;
        EXPECT_FALSE(Parse(c.args, options, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(RenderOptions, ToolsThatWriteNoLogRefuseToBeAskedForOne)
{
    const struct {
        std::vector<const char*> args;
        const char* error;
    } kCases[] = {
        {{"o.png"}, ""},
        {{"--bands", "b.csv", "o.png"}, "--bands is sonafel-render's: sonafel-snapshot writes no log"},
        {{"--sii-log", "s.txt", "o.png"}, "--sii-log is sonafel-render's: sonafel-snapshot writes no log"},
    };
    for (const auto& c : kCases) {
        RenderOptions options;
        std::string error;
        ASSERT_TRUE(Parse(c.args, options, error)) << error;
        EXPECT_EQ(NoLogsAsked(options, "sonafel-snapshot", error), *c.error == '\0');
        EXPECT_EQ(error, c.error);
    }
}

TEST(RenderOptions, AnImplantInEitherEarOrBothEachSettingInItsRange)
{
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--audiogram-right", "N3", "--ci", "left", "--ci-channels", "8", "--ci-carrier", "sine",
                       "--ci-range", "250-6000", "--ci-envelope=80", "--ci-shift", "4", "--ci-spread", "2.8",
                       "--ci-n-of-m", "4", "o.wav"},
                      options, error))
        << error;
    ASSERT_TRUE(options.settings.implant[static_cast<int>(Ear::Left)]);
    EXPECT_FALSE(options.settings.implant[static_cast<int>(Ear::Right)]);
    const ImplantSettings& implant = *options.settings.implant[static_cast<int>(Ear::Left)];
    EXPECT_EQ(implant.channels, 8);
    EXPECT_EQ(implant.carrier, ImplantCarrier::Sine);
    EXPECT_EQ(implant.lowHz, 250.0);
    EXPECT_EQ(implant.highHz, 6000.0);
    EXPECT_EQ(implant.envelopeHz, 80.0);
    EXPECT_EQ(implant.shiftMm, 4.0);
    EXPECT_EQ(implant.spreadDbPerMm, 2.8);
    EXPECT_EQ(implant.nOfM, 4);

    const struct {
        std::vector<const char*> args;
        const char* error;
    } kRefused[] = {
        {{"--ci", "middle", "o.wav"}, "--ci needs both, left or right, not 'middle'"},
        {{"--ci-channels", "8", "o.wav"}, "--ci-channels sets an implant: give --ci both, left or right"},
        {{"--ci", "both", "--ci-channels", "23", "o.wav"}, "--ci-channels needs a whole number of channels from 1 to 22, not '23'"},
        {{"--ci", "both", "--ci-channels", "7.5", "o.wav"}, "--ci-channels needs a whole number of channels from 1 to 22, not '7.5'"},
        {{"--ci", "both", "--ci-carrier", "click", "o.wav"}, "--ci-carrier needs noise or sine, not 'click'"},
        {{"--ci", "both", "--ci-range", "8000", "o.wav"}, "--ci-range needs LO-HI in Hz, from 100 to 10000, HI at least twice LO, not '8000'"},
        {{"--ci", "both", "--ci-range", "300-500", "o.wav"}, "the implant's settings: the range runs from 100 to 10000 Hz, its upper end at least twice its lower"},
        {{"--ci", "both", "--ci-range", "50-8000", "o.wav"}, "the implant's settings: the range runs from 100 to 10000 Hz, its upper end at least twice its lower"},
        {{"--ci", "both", "--ci-envelope", "20", "o.wav"}, "--ci-envelope needs a cut-off from 50 to 400 Hz, not '20'"},
        {{"--ci", "both", "--ci-shift", "-1", "o.wav"}, "--ci-shift needs millimetres from 0 to 8 towards the base, not '-1'"},
        {{"--ci", "both", "--ci-spread", "nan", "o.wav"}, "--ci-spread needs a slope from 0.5 to 40 dB per mm, not 'nan'"},
        {{"--ci", "both", "--ci-channels", "4", "--ci-n-of-m", "6", "o.wav"}, "the implant's settings: n of m takes at most as many channels as there are, or 0 for all"},
        {{"--audiogram", "N3", "--aid", "fig6", "--ci", "right", "o.wav"}, "the right ear hears through its implant and wears no aid"},
    };
    for (const auto& c : kRefused) {
        RenderOptions refused;
        EXPECT_FALSE(Parse(c.args, refused, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
}
