#include "engine_setup.h"

#include "recording_location.h"
#include "report.h"
#include "sound_file_loader.h"

#include <algorithm>
#include <string>

void LoadRecordings(const RenderOptions& options, CSourceBank& sources)
{
    const std::string located[kSourceCount] = {LocateRecording(options.speechPath), LocateRecording(options.musicPath),
                                               LocateRecording(options.noisePath)};
    if (!options.anyFormat) {
        const char* const paths[kSourceCount] = {located[0].c_str(), located[1].c_str(), located[2].c_str()};
        sources.LoadSources(paths);
        return;
    }
    for (int source = 0; source < kSourceCount; ++source) {
        LoadedSound sound;
        std::string error;
        if (!LoadSoundFile(located[source], kSourceTargetPeak[source], sound, error)) {
            ReportFailure(error);  // the source stays silent
            continue;
        }
        short* const samples = new short[sound.samples.size()];
        std::copy(sound.samples.begin(), sound.samples.end(), samples);
        sources.ReplaceSource(source, samples, static_cast<int>(sound.samples.size()), false);
    }
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
    const AudiogramChoice& audiogram = options.audiogram;
    processor.SetEarAudiogram(Ear::Left, audiogram.left ? &*audiogram.left : nullptr);
    processor.SetEarAudiogram(Ear::Right, audiogram.right ? &*audiogram.right : nullptr);
    // One ear's loss is heard as that ear alone, as one chain.
    processor.SetEarsHeard(options.ears.value_or(audiogram.oneEar ? EarsHeard::Left : EarsHeard::Both));
    processor.SetNormalHearing(options.normalHearing);
    for (int source = 0; source < kSourceCount; ++source)
        processor.m_bSourceOn[source] = options.sourceOn[source];
}
