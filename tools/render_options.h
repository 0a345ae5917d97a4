#pragma once

#include "audiogram_choice.h"
#include "implant_options.h"
#include "loss_settings.h"

#include <optional>
#include <string>

struct RenderOptions {
    std::string speechPath = "sprache.wav";
    std::string musicPath = "music.wav";
    std::string noisePath = "noise.wav";
    int sourceOn[3] = {1, 0, 0};
    // The sliders, the switches, the calibration and the listening level;
    // the ears' audiograms and which are heard come from `audiogram` and
    // `ears` (see SetUpAsTheUserWould).
    LossSettings settings;
    long long samples = 10LL * 44100;  // length of the output
    bool exact = false;                // blocks as queued, without the device volume
    bool floatOutput = false;          // a 32-bit float WAV of the samples before their conversion
    bool anyFormat = false;            // recordings in any format and rate
    std::string bandsPath;             // empty: no band log
    std::string siiLogPath;            // empty: no index log
    AudiogramChoice audiogram;         // none: the sliders alone
    ImplantChoice implant;             // none: no implant
    std::optional<EarsHeard> ears;     // none: both for a listener's two ears, else the one ear
    std::string outputPath;
    bool help = false;
    bool listPresets = false;
    bool version = false;
};

// Whether the output file is named on its own on the command line, or by
// an option of the tool's own (then a bare name is refused).
enum class OutputFile { Positional, NamedElsewhere };

// Parses the command line (argv[0] is the program). On a bad option or value
// returns false with a message in `error`.
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error,
                        OutputFile output = OutputFile::Positional);

extern const char* const kRenderUsage;

// For the tools that take sonafel-render's options but write no logs: false
// with the reason when --bands or --sii-log asks for one.
bool NoLogsAsked(const RenderOptions& options, const char* tool, std::string& error);

// Answers --version and --list-presets on standard output for `tool` at
// `version`: true when one was asked, and nothing else is to be done.
bool AnswerQuestions(const RenderOptions& options, const char* tool, const char* version);
