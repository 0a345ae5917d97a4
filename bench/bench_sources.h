#pragma once

#include "loss_processor.h"
#include "wave_loader.h"

#include <string>

// The bundled recordings, loaded as the program loads them.
inline void LoadBundledRecordings(CSourceBank& sources)
{
    const char* const names[3] = {"sprache.wav", "music.wav", "noise.wav"};
    const int targets[3] = {15000, 10000, 5000};
    for (int source = 0; source < kSourceCount; ++source) {
        const std::string path = std::string(SONAFEL_RECORDINGS_DIR) + "/" + names[source];
        sources.m_nSourceLen[source] = LoadWave(path.c_str(), &sources.m_pSourceData[source], targets[source]);
    }
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
