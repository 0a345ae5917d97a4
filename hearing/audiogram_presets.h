#pragma once

#include "audiogram.h"

#include <string>
#include <vector>

// A standard loss to choose from: its key for the command line, its German
// name for the menu, the menu group it belongs to, and its audiogram.
struct AudiogramPreset {
    std::string key;
    std::string name;
    std::string group;
    CAudiogram audiogram;
};

// Normal hearing; the standard audiograms N1-N7 and S1-S3; age-related
// hearing (ISO 7029 median) of men and women at 50, 60, 70 and 80; noise-
// induced loss (ISO 1999 median) after 40 years at 90 and 95 dB(A), alone and
// together with the age of 60 (men). In menu order.
const std::vector<AudiogramPreset>& AudiogramPresets();

// The preset with this key, or null.
const AudiogramPreset* FindAudiogramPreset(const std::string& key);
