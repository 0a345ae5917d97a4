#pragma once

#include "loss_processor.h"
#include "offline_playback.h"
#include "test_support.h"
#include "virtual_wave_out.h"

#include <vector>

// Runs the program's playback cycle on a render device and keeps every
// sample played: exactly as queued, or as heard, with the output volume.
struct PlaybackRig {
    std::vector<short> played;
    CRenderWaveOut device;

    explicit PlaybackRig(bool heard = false)
        : device([this](const short* samples, int count) { played.insert(played.end(), samples, samples + count); },
                 heard)
    {
    }

    // Starts playback of the switched-on sources and plays `blocks` blocks.
    void Play(CLossProcessor& processor, int blocks)
    {
        const std::size_t wanted = static_cast<std::size_t>(blocks) * CLossProcessor::kBlockOutput;
        RunOfflinePlayback(processor, device, [&] { return played.size() >= wanted; });
    }
};

// One recording playing as speech through a processor of its own, the
// smearing table and gain curve built for the sliders given; one ear heard,
// as a mono chain, unless a test chooses both.
struct SpeechChain {
    CSourceBank sources;
    CLossProcessor processor{sources};

    explicit SpeechChain(const std::vector<short>& speech, double loudness = 1.0, double highFreq = 1.0,
                         double resolution = 1.0)
    {
        sources.ReplaceSource(0, NewSamples(speech), static_cast<int>(speech.size()), false);
        processor.m_dLoudness = loudness;
        processor.m_dHighFreq = highFreq;
        processor.m_dResolution = resolution;
        processor.BuildSmearTable();
        processor.BuildHighFreqGain();
        processor.SetEarsHeard(EarsHeard::Left);
        processor.m_bSourceOn[0] = 1;
    }

    // What `blocks` blocks play, as queued or as heard.
    std::vector<short> Play(int blocks, bool heard = false)
    {
        PlaybackRig rig(heard);
        rig.Play(processor, blocks);
        return rig.played;
    }
};
