#pragma once

#include "aid_fitting.h"
#include "audiogram_choice.h"
#include "speech_intelligibility.h"

#include <string>

// What sonafel-sii is asked: whose ears, which speech, from how far, with
// which aid.
struct SiiOptions {
    AudiogramChoice audiogram;
    Sii::VocalEffort effort = Sii::VocalEffort::Normal;
    double distanceM = 1.0;
    AidRule aid = AidRule::Off;
    bool help = false;
    bool listPresets = false;
};

extern const char* const kSiiUsage;

// Parses the command line (argv[0] is the program); false with the reason
// in `error` for an unknown option or a value out of its range.
bool ParseSiiOptions(int argc, const char* const* argv, SiiOptions& options, std::string& error);
