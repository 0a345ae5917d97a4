#pragma once

#include "engine_setup.h"

#include <string>

// All three bundled recordings on, every loss at `setting`, set as the user
// would set them.
inline RenderOptions BenchOptions(double setting)
{
    RenderOptions options;
    const std::string dir = std::string(SONAFEL_RECORDINGS_DIR) + "/";
    options.speechPath = dir + "sprache.wav";
    options.musicPath = dir + "music.wav";
    options.noisePath = dir + "noise.wav";
    options.sourceOn[0] = options.sourceOn[1] = options.sourceOn[2] = 1;
    options.settings.loudness = options.settings.highFreq = options.settings.resolution = setting;
    return options;
}
