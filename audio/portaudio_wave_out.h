#pragma once

#include "buffer_queue.h"
#include "wave_out_device.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// The system's default sound output through PortAudio: mono 16-bit where the
// device takes it, otherwise stereo with the sample on both channels, with
// the process-wide output volume applied. The sound callback only reads the
// queue and counts finished buffers; a thread of the device's own reports
// them to the poster.
class CPortAudioWaveOut final : public IWaveOutDevice {
public:
    CPortAudioWaveOut() = default;
    ~CPortAudioWaveOut() override;
    CPortAudioWaveOut(const CPortAudioWaveOut&) = delete;
    CPortAudioWaveOut& operator=(const CPortAudioWaveOut&) = delete;

    bool Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening) override;
    bool Queue(const unsigned char* data, int bytes) override;
    void Reset() override;
    void Close() override;

    // Fills one period of the sound callback.
    void Play(short* output, unsigned long frames);

private:
    void TakeBackAll();
    void ReportLoop();
    void ReportFinished();
    void StopReporting();

    void* m_stream = nullptr;
    bool m_initialised = false;
    int m_channels = 1;
    IWaveOutPoster* m_pPoster = nullptr;
    int m_nOpening = 0;

    CBufferQueue m_queue;
    int m_offset = 0;                           // samples of the front buffer played (callback only)
    std::atomic<int> m_finished{0};             // buffers played to the end
    std::atomic<long> m_silentFrames{0};        // frames of silence since the queue ran empty
    int m_reported = 0;                         // finished buffers reported (under m_reportMutex)

    std::mutex m_reportMutex;
    std::condition_variable m_wake;
    bool m_stopReporting = false;
    std::thread m_reporter;
};
