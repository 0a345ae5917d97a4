#include "engine_setup.h"

void LoadRecordings(const RenderOptions& options, CSourceBank& sources)
{
    const char* const paths[kSourceCount] = {options.speechPath.c_str(), options.musicPath.c_str(),
                                             options.noisePath.c_str()};
    sources.LoadSources(paths);
}

void SetUpAsTheUserWould(const RenderOptions& options, CLossProcessor& processor)
{
    processor.BuildHighFreqGain();
    processor.m_dLoudness = options.loudness;
    processor.m_dHighFreq = options.highFreq;
    processor.m_dResolution = options.resolution;
    processor.BuildSmearTable();
    processor.BuildHighFreqGain();
    processor.SetFullScaleLevel(options.fullScaleLevel);
    processor.SetPresentationLevel(options.speechLevel);
    processor.SetRecruitment(options.recruitment);
    processor.SetAudiogramSmearing(options.smearingFromAudiogram);
    processor.SetAudiogram(options.audiogram.audiogram ? &*options.audiogram.audiogram : nullptr);
    processor.SetNormalHearing(options.normalHearing);
    for (int source = 0; source < kSourceCount; ++source)
        processor.m_bSourceOn[source] = options.sourceOn[source];
}
