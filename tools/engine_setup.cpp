#include "engine_setup.h"

#include "controls.h"
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
    LossSettings settings = options.settings;
    const AudiogramChoice& audiogram = options.audiogram;
    settings.audiogram[static_cast<int>(Ear::Left)] = audiogram.left;
    settings.audiogram[static_cast<int>(Ear::Right)] = audiogram.right;
    // One ear's loss is heard as that ear alone, as one chain; an implant in
    // one ear makes the ears differ.
    const bool oneImplant = options.implant.ears[0] != options.implant.ears[1];
    settings.ears = options.ears.value_or(audiogram.oneEar && !oneImplant ? EarsHeard::Left : EarsHeard::Both);
    processor.Apply(settings);
    processor.BuildHighFreqGain();
    CControls controls(processor);
    for (int source = 0; source < kSourceCount; ++source)
        controls.SetSourceOn(source, options.sourceOn[source]);
}
