#pragma once

#include "playing_stream.h"
#include "wave_out_device.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The system's default sound output through PortAudio: mono 16-bit sound
// where the device takes it, otherwise stereo with the sample on both
// channels; stereo sound (the two ears) on a stereo device, each channel its
// own; with the process-wide output volume applied. The sound callback only reads the
// queue and counts finished buffers; a thread of the device's own reports
// them to the poster. Stopping the stream never holds the caller long: a
// stream that a stalled sound server keeps from stopping is given up, and the
// device can be opened again once the server lets it go.
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
    void SetOutputDevice(const std::string& key) override { m_outputKey = key; }

    // Over every opening so far, counted at its close: buffers that finished
    // with none queued behind them, and the device's underflows.
    long TimesRunDry() const { return m_timesRunDry; }
    long Underflows() const { return m_underflows; }

private:
    void WaitForClosingSilence() const;
    void GiveUpStream();
    void ReportLoop();
    void ReportFinished();
    void HandBackAll();
    void StopReporting();

    std::string m_outputKey;
    bool m_open = false;
    void* m_stream = nullptr;  // null also once a stalled stream was given up
    std::shared_ptr<CPlayingStream> m_playing;
    IWaveOutPoster* m_pPoster = nullptr;
    int m_nOpening = 0;
    int m_queued = 0;    // buffers queued in this opening
    int m_reported = 0;  // buffers reported back (under m_reportMutex)

    std::mutex m_reportMutex;
    std::condition_variable m_wake;
    bool m_stopReporting = false;
    std::thread m_reporter;
    long m_timesRunDry = 0;
    long m_underflows = 0;
};
