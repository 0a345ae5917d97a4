#pragma once

#include "loss_processor.h"
#include "mem_play.h"
#include "posted_event_queue.h"
#include "virtual_wave_out.h"

#include <vector>

// Runs the program's playback cycle on a render device and keeps every
// sample played, exactly as queued.
struct PlaybackRig {
    CPostedEventQueue reports;
    std::vector<short> played;
    CRenderWaveOut device{[this](const short* samples, int count) { played.insert(played.end(), samples, samples + count); },
                          false};

    PlaybackRig() { g_memPlay.SetDevice(&device); }
    ~PlaybackRig()
    {
        g_memPlay.Close();
        g_memPlay.SetDevice(nullptr);
    }

    void Dispatch(CLossProcessor& processor)
    {
        CPostedEventQueue::Report report;
        while (reports.Take(report)) {
            if (report.event == WaveOutEvent::BufferDone)
                processor.HandleBlockFinished(report.opening);
            else
                processor.HandleDeviceClosed(report.opening);
        }
    }

    // Starts playback of the switched-on sources and plays `blocks` blocks.
    void Play(CLossProcessor& processor, int blocks)
    {
        processor.ControlPlayback(reports);
        while (played.size() < static_cast<std::size_t>(blocks) * CLossProcessor::kBlockOutput && device.FinishNext())
            Dispatch(processor);
    }
};
