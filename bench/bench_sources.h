#pragma once

#include "loss_processor.h"

#include <string>

// The bundled recordings, loaded as the program loads them.
inline void LoadBundledRecordings(CSourceBank& sources)
{
    const std::string dir = std::string(SONAFEL_RECORDINGS_DIR) + "/";
    const std::string names[kSourceCount] = {dir + "sprache.wav", dir + "music.wav", dir + "noise.wav"};
    const char* const paths[kSourceCount] = {names[0].c_str(), names[1].c_str(), names[2].c_str()};
    sources.LoadSources(paths);
}

// Sets all three losses as the user would, sliders first and a paint after.
inline void SetAllLosses(CLossProcessor& processor, double setting)
{
    processor.BuildHighFreqGain();
    processor.m_dLoudness = processor.m_dHighFreq = processor.m_dResolution = setting;
    processor.BuildSmearTable();
    processor.BuildHighFreqGain();
    processor.m_bSourceOn[0] = processor.m_bSourceOn[1] = processor.m_bSourceOn[2] = 1;
}
