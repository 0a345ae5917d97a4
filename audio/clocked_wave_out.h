#pragma once

#include "buffer_queue.h"
#include "wave_out_device.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A wave output device without sound: a thread of its own "plays" each queued
// buffer for as long as it would sound and then reports it finished. For
// machines without sound, and for measuring whether playback keeps up: it
// counts the times its queue ran dry while it was playing.
class CClockedWaveOut final : public IWaveOutDevice {
public:
    CClockedWaveOut() = default;
    ~CClockedWaveOut() override;
    CClockedWaveOut(const CClockedWaveOut&) = delete;
    CClockedWaveOut& operator=(const CClockedWaveOut&) = delete;

    bool Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening) override;
    bool Queue(const unsigned char* data, int bytes) override;
    void Reset() override;
    void Close() override;
    void SetOutputDevice(const std::string& key) override { m_outputKey = key; }
    // The output it was told to use (it plays on none).
    const std::string& OutputKey() const { return m_outputKey; }

    long BuffersPlayed() const;
    // Buffers that finished with nothing queued behind them.
    long TimesRunDry() const;

private:
    void PlayLoop();
    void TakeBackAll();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    CBufferQueue m_queue;
    std::thread m_player;
    bool m_open = false;
    int m_rate = 44100;
    IWaveOutPoster* m_pPoster = nullptr;
    int m_nOpening = 0;
    long m_played = 0;
    long m_dry = 0;
    std::string m_outputKey;
};
