#pragma once

#include "loss_processor.h"
#include "offline_playback.h"
#include "virtual_wave_out.h"

#include <vector>

// Runs the program's playback cycle on a render device and keeps every
// sample played, exactly as queued.
struct PlaybackRig {
    std::vector<short> played;
    CRenderWaveOut device{[this](const short* samples, int count) { played.insert(played.end(), samples, samples + count); },
                          false};

    // Starts playback of the switched-on sources and plays `blocks` blocks.
    void Play(CLossProcessor& processor, int blocks)
    {
        const std::size_t wanted = static_cast<std::size_t>(blocks) * CLossProcessor::kBlockOutput;
        RunOfflinePlayback(processor, device, [&] { return played.size() >= wanted; });
    }
};
