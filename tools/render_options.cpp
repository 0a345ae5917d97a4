#include "render_options.h"

#include "level_ranges.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

const char* const kRenderUsage =
    "usage: sonafel-render [--speech F] [--music F] [--noise F] [--any-format] [--on LIST] [--loudness X]\n"
    "                      [--highfreq X] [--resolution X] [--audiogram A | --audiogram-left A\n"
    "                      --audiogram-right B] [--ears both|left|right] [--recruitment on|off] [--level DB]\n"
    "                      [--speech-level DB] [--smearing-from-audiogram] [--normal]\n"
    "                      [--aid RULE | --aid-left RULE --aid-right RULE] [--ear-loss on|off]\n"
    "                      [--ci both|left|right [--ci-channels N] [--ci-carrier noise|sine] [--ci-range LO-HI]\n"
    "                      [--ci-envelope HZ] [--ci-shift MM] [--ci-spread DB_PER_MM] [--ci-n-of-m N]]\n"
    "                      [--seconds S | --blocks N] [--exact] [--float] [--bands CSV]\n"
    "                      [--sii-log FILE] OUTPUT.wav\n"
    "       sonafel-render --list-presets\n"
    "\n"
    "Renders what the demonstrator plays, after the sliders have been set and the sources in\n"
    "LIST switched on, to a 44100 Hz 16-bit WAV file: mono, or stereo (left ear, right ear)\n"
    "when both ears of a listener are heard.\n"
    "  --speech F, --music F, --noise F   recordings (default sprache.wav, music.wav, noise.wav)\n"
    "  --any-format     read the recordings in any format, rate and channel count (FLAC, Ogg,\n"
    "                   MP3, WAV of any depth, ...), resampled to 44100 Hz mono\n"
    "  --on LIST        comma list of speech, music, noise (default speech)\n"
    "  --loudness X     settings from 0 (strongest loss) to 1 (no loss, the default)\n"
    "  --highfreq X\n"
    "  --resolution X\n"
    "  --audiogram A    a measured loss on top of the sliders: a standard loss (--list-presets) or\n"
    "                   FILE:LISTENER:left|right, one ear of a listeners.json file, heard alone\n"
    "                   (mono); or FILE[:LISTENER], both ears of a listener (stereo)\n"
    "  --audiogram-left A, --audiogram-right B  each ear's loss: a standard loss or a file's ear\n"
    "                   (FILE[:LISTENER] takes that file's same ear); an ear not given hears\n"
    "                   normally (stereo)\n"
    "  --ears E         both (each ear on its own channel, stereo), left or right (that ear's\n"
    "                   sound alone, mono); without an audiogram the output is always mono\n"
    "  --recruitment on|off  with an audiogram: loud sounds stay loud (on, the default) or the\n"
    "                   thresholds are a fixed attenuation (off)\n"
    "  --level DB       calibration: the dB SPL that digital RMS 1 (0 dB FS) plays at (default 100,\n"
    "                   40 to 150)\n"
    "  --speech-level DB  present the recordings so that the speech plays at DB dB SPL (20 to 100),\n"
    "                   nothing above 100 dB SPL let through\n"
    "  --smearing-from-audiogram  the audiogram's degree of loss widens the smearing as well\n"
    "  --normal         normal hearing for comparison: every loss off, whatever the settings\n"
    "  --aid RULE       a hearing aid in both ears, fitted from their audiograms: nal-r (linear\n"
    "                   gain) or fig6 (less gain for louder sounds); off for none (the default)\n"
    "  --aid-left RULE, --aid-right RULE  an aid in that ear alone; the other hears unaided\n"
    "  --ear-loss on|off  off: the sound heard through normal ears (with an aid, what the aid\n"
    "                   puts out); on (the default): through the ears' losses\n"
    "  --ci EARS        a cochlear implant in both ears, the left or the right: the ear hears\n"
    "                   through it instead of its audiogram (needs none); settings for it:\n"
    "  --ci-channels N  1 to 22 (default 12)\n"
    "  --ci-carrier C   noise (default) or sine\n"
    "  --ci-range LO-HI the analysed range in Hz, 100 to 10000, HI at least twice LO (200-8000)\n"
    "  --ci-envelope HZ the envelope's cut-off, 50 to 400 Hz (default 160)\n"
    "  --ci-shift MM    the electrodes' shift towards the base, 0 to 8 mm (default 0)\n"
    "  --ci-spread S    current spread, 0.5 to 40 dB per mm (default none)\n"
    "  --ci-n-of-m N    only the N strongest channels each frame (default all)\n"
    "  --seconds S      length of the output (default 10)\n"
    "  --blocks N       length in blocks of 3968 samples\n"
    "  --exact          write the blocks as queued, without the output volume\n"
    "  --float          write 32-bit float samples (full scale 1): with an audiogram or a speech\n"
    "                   level, the samples before their one dithered conversion to 16 bits;\n"
    "                   otherwise the 16-bit samples, exactly\n"
    "  --bands CSV      write each block's 23 band levels and the maximum level; in stereo the\n"
    "                   right ear's 23 band levels follow\n"
    "  --sii-log FILE   write after each block the speech intelligibility index of the mix at\n"
    "                   each ear over the last 4 s (the speech recording the signal, music and\n"
    "                   noise the noise): block N left L right R both B; last, the index over\n"
    "                   the whole render: whole left L right R both B\n"
    "  --list-presets   list the standard losses and exit\n"
    "  --help, --version  show this text or the version and exit\n"
    "\n"
    "The default recordings are read from the current directory, or else from the installed\n"
    "data directory. Exit status: 0 done, 1 the output cannot be written, 2 bad options.\n"
    "\n"
    "Environment:\n"
    "  SONAFEL_VECTOR=NAME  the vector instructions the processing uses: plain, sse2, avx2\n"
    "                       or avx512 (default the widest the processor has; all give the\n"
    "                       same sound to the bit)\n";

namespace {

constexpr long long kMaxSamples = 12LL * 3600 * 44100;  // what a WAV file can hold, with room

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool ParseSetting(const std::string& name, const std::string& text, double& value, std::string& error)
{
    if (!ParseNumber(text, value) || value < 0.0 || value > 1.0) {
        error = name + " needs a number from 0 to 1, not '" + text + "'";
        return false;
    }
    return true;
}

// A switch's value: on or off.
bool ParseOnOff(const std::string& name, const std::string& text, bool& on, std::string& error)
{
    if (text != "on" && text != "off") {
        error = name + " is on or off, not '" + text + "'";
        return false;
    }
    on = text == "on";
    return true;
}

bool ParseSources(const std::string& text, int* sourceOn, std::string& error)
{
    static const char* const kNames[3] = {"speech", "music", "noise"};
    int on[3] = {0, 0, 0};
    std::stringstream list(text);
    std::string name;
    int count = 0;
    while (std::getline(list, name, ',')) {
        int source = 0;
        while (source < 3 && name != kNames[source])
            ++source;
        if (source == 3) {
            error = "--on: unknown source '" + name + "' (speech, music or noise)";
            return false;
        }
        on[source] = 1;
        ++count;
    }
    if (count == 0) {
        error = "--on needs at least one of speech, music, noise";
        return false;
    }
    for (int source = 0; source < 3; ++source)
        sourceOn[source] = on[source];
    return true;
}

bool ParseLength(const std::string& name, const std::string& text, long long& samples, std::string& error)
{
    double value = 0.0;
    const bool parsed = ParseNumber(text, value);
    if (name == "--blocks") {
        if (parsed && value >= 1.0 && value == std::floor(value) && value * 3968 <= kMaxSamples) {
            samples = static_cast<long long>(value) * 3968;
            return true;
        }
        error = "--blocks needs a whole number of at least 1, not '" + text + "'";
        return false;
    }
    if (parsed && value > 0.0 && value * 44100 <= kMaxSamples && std::llround(value * 44100) >= 1) {
        samples = std::llround(value * 44100);
        return true;
    }
    error = "--seconds needs a positive number of seconds (at most 12 hours), not '" + text + "'";
    return false;
}

// The option's flag when it takes no value, or null.
bool* FlagNamed(const std::string& arg, RenderOptions& options)
{
    const std::pair<const char*, bool*> flags[] = {
        {"--help", &options.help},
        {"-h", &options.help},
        {"--version", &options.version},
        {"--list-presets", &options.listPresets},
        {"--exact", &options.exact},
        {"--float", &options.floatOutput},
        {"--any-format", &options.anyFormat},
        {"--smearing-from-audiogram", &options.settings.smearingFromAudiogram},
        {"--normal", &options.settings.normalHearing},
    };
    for (const auto& [name, flag] : flags)
        if (arg == name)
            return flag;
    return nullptr;
}

}  // namespace

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error,
                        OutputFile output)
{
    bool lengthGiven = false;
    bool audiogramGiven = false;
    bool earAudiogramGiven = false;
    bool aidGiven[3] = {false, false, false};  // left, right, both
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
                value = arg.substr(equals + 1);
                arg.resize(equals);
                inlineValue = true;
            }
        }
        const auto takeValue = [&]() {
            if (inlineValue)
                return true;
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };

        if (bool* const flag = FlagNamed(arg, options)) {
            if (inlineValue) {
                error = arg + " takes no value, not '" + value + "'";
                return false;
            }
            *flag = true;
        } else if (arg == "--recruitment" || arg == "--ear-loss") {
            if (!takeValue() ||
                !ParseOnOff(arg, value, arg == "--recruitment" ? options.settings.recruitment : options.settings.earLoss,
                            error))
                return false;
        } else if (arg == "--aid" || arg == "--aid-left" || arg == "--aid-right") {
            if (!takeValue())
                return false;
            const std::optional<AidRule> rule = AidRuleFromKey(value);
            if (!rule) {
                error = arg + " is nal-r, fig6 or off, not '" + value + "'";
                return false;
            }
            const bool both = arg == "--aid";
            if (both ? aidGiven[0] || aidGiven[1] : aidGiven[arg == "--aid-left" ? 0 : 1] || aidGiven[2]) {
                error = "give --aid once, or --aid-left and --aid-right once each";
                return false;
            }
            for (const Ear ear : {Ear::Left, Ear::Right}) {
                const bool named = both || (ear == Ear::Left) == (arg == "--aid-left");
                if (named)
                    options.settings.aid[static_cast<int>(ear)] = *rule;
            }
            aidGiven[both ? 2 : arg == "--aid-left" ? 0 : 1] = true;
        } else if (IsImplantOption(arg)) {
            if (!takeValue() || !ParseImplantOption(arg, value, options.implant, error))
                return false;
        } else if (arg == "--level") {
            if (!takeValue())
                return false;
            if (!ParseNumber(value, options.settings.fullScaleSpl) || options.settings.fullScaleSpl < kLowestFullScaleSpl ||
                options.settings.fullScaleSpl > kHighestFullScaleSpl) {
                error = "--level needs the dB SPL of full scale, from 40 to 150, not '" + value + "'";
                return false;
            }
        } else if (arg == "--speech-level") {
            double level = 0.0;
            if (!takeValue())
                return false;
            if (!ParseNumber(value, level) || level < kLowestSpeechSpl || level > kHighestSpeechSpl) {
                error = "--speech-level needs a level from 20 to 100 dB SPL, not '" + value + "'";
                return false;
            }
            options.settings.listeningSpl = level;
        } else if (arg == "--audiogram") {
            if (audiogramGiven || earAudiogramGiven) {
                error = "give --audiogram once, or --audiogram-left and --audiogram-right once each";
                return false;
            }
            audiogramGiven = true;
            if (!takeValue() || !ChooseAudiogram(value, options.audiogram, error))
                return false;
        } else if (arg == "--audiogram-left" || arg == "--audiogram-right") {
            const Ear side = arg == "--audiogram-left" ? Ear::Left : Ear::Right;
            if (audiogramGiven || (side == Ear::Left ? options.audiogram.left : options.audiogram.right)) {
                error = "give --audiogram once, or --audiogram-left and --audiogram-right once each";
                return false;
            }
            earAudiogramGiven = true;
            if (!takeValue() || !ChooseEarAudiogram(value, side, options.audiogram, error))
                return false;
        } else if (arg == "--ears") {
            if (!takeValue())
                return false;
            if (value != "both" && value != "left" && value != "right") {
                error = "--ears is both, left or right, not '" + value + "'";
                return false;
            }
            options.ears = value == "both" ? EarsHeard::Both : value == "left" ? EarsHeard::Left : EarsHeard::Right;
        } else if (arg == "--speech" || arg == "--music" || arg == "--noise" || arg == "--bands" ||
                   arg == "--sii-log") {
            if (!takeValue())
                return false;
            if (value.empty()) {
                error = arg + " needs a file name";
                return false;
            }
            (arg == "--speech" ? options.speechPath
             : arg == "--music" ? options.musicPath
             : arg == "--noise" ? options.noisePath
             : arg == "--bands" ? options.bandsPath
                                : options.siiLogPath) = value;
        } else if (arg == "--on") {
            if (!takeValue() || !ParseSources(value, options.sourceOn, error))
                return false;
        } else if (arg == "--loudness" || arg == "--highfreq" || arg == "--resolution") {
            double& setting = arg == "--loudness" ? options.settings.loudness
                              : arg == "--highfreq" ? options.settings.highFreq
                                                    : options.settings.resolution;
            if (!takeValue() || !ParseSetting(arg, value, setting, error))
                return false;
        } else if (arg == "--seconds" || arg == "--blocks") {
            if (lengthGiven) {
                error = "give either --seconds or --blocks, once";
                return false;
            }
            lengthGiven = true;
            if (!takeValue() || !ParseLength(arg, value, options.samples, error))
                return false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return false;
        } else if (output == OutputFile::NamedElsewhere) {
            error = "'" + arg + "' is no option, and this tool takes no file name on its own";
            return false;
        } else if (options.outputPath.empty()) {
            options.outputPath = arg;
        } else {
            error = "only one output file, not also '" + arg + "'";
            return false;
        }
    }
    if (output == OutputFile::Positional && !options.help && !options.listPresets && !options.version &&
        options.outputPath.empty()) {
        error = "no output file given";
        return false;
    }
    if (!CheckImplantChoice(options.implant, error))
        return false;
    // An aid is fitted from the ear's audiogram; an implanted ear wears none.
    for (const Ear ear : {Ear::Left, Ear::Right}) {
        if (options.settings.aid[static_cast<int>(ear)] != AidRule::Off && options.implant.ears[static_cast<int>(ear)]) {
            error = std::string("the ") + (ear == Ear::Left ? "left" : "right") +
                    " ear hears through its implant and wears no aid";
            return false;
        }
        const bool audiogram =
            ear == Ear::Left ? options.audiogram.left.has_value() : options.audiogram.right.has_value();
        if (options.settings.aid[static_cast<int>(ear)] != AidRule::Off && !audiogram) {
            error = std::string("an aid is fitted from an audiogram, and the ") +
                    (ear == Ear::Left ? "left" : "right") + " ear has none (--audiogram)";
            return false;
        }
        if (options.implant.ears[static_cast<int>(ear)])
            options.settings.implant[static_cast<int>(ear)] = options.implant.settings;
    }
    return true;
}

bool NoLogsAsked(const RenderOptions& options, const char* tool, std::string& error)
{
    if (options.bandsPath.empty() && options.siiLogPath.empty())
        return true;
    error = std::string(options.bandsPath.empty() ? "--sii-log" : "--bands") + " is sonafel-render's: " + tool +
            " writes no log";
    return false;
}

bool AnswerQuestions(const RenderOptions& options, const char* tool, const char* version)
{
    if (options.version)
        std::printf("%s %s\n", tool, version);
    else if (options.listPresets)
        std::fputs(PresetList().c_str(), stdout);
    return options.version || options.listPresets;
}
