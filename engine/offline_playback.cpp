#include "offline_playback.h"

#include "mem_play.h"
#include "posted_event_queue.h"

void RunOfflinePlayback(CLossProcessor& processor, CManualWaveOut& device, const std::function<bool()>& enough)
{
    CPostedEventQueue reports;
    g_memPlay.SetDevice(&device);
    processor.ControlPlayback(reports);
    while (!enough() && device.FinishNext()) {
        CPostedEventQueue::Report report;
        while (reports.Take(report)) {
            if (report.event == WaveOutEvent::BufferDone)
                processor.HandleBlockFinished(report.opening);
            else
                processor.HandleDeviceClosed(report.opening);
        }
    }
    g_memPlay.Close();
    g_memPlay.SetDevice(nullptr);
}
