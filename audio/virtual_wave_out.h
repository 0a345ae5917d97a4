#pragma once

#include "wave_out_device.h"

#include <functional>

// A wave output device without sound hardware: buffers wait in its queue until
// its owner says the next one has finished playing.
class CManualWaveOut : public IWaveOutDevice {
public:
    static constexpr int kQueueCapacity = 16;

    struct QueuedBuffer {
        const unsigned char* data;
        int bytes;
    };

    bool Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening) override;
    bool Queue(const unsigned char* data, int bytes) override;
    void Reset() override;
    void Close() override;

    // Finishes the oldest queued buffer: plays it and reports it done. False
    // when nothing is queued.
    bool FinishNext();

    bool IsOpen() const { return m_pPoster != nullptr; }
    int QueuedCount() const { return m_nCount; }
    // The i-th oldest queued buffer, 0 <= i < QueuedCount().
    QueuedBuffer Queued(int i) const { return m_queue[(m_nFirst + i) % kQueueCapacity]; }
    const WaveOutFormat& Format() const { return m_format; }

    // Failure injection: the next Open or Queue calls are refused.
    void RefuseOpen(bool refuse) { m_bRefuseOpen = refuse; }
    void RefuseQueue(bool refuse) { m_bRefuseQueue = refuse; }

protected:
    // Called with each buffer as it finishes playing.
    virtual void Play(const QueuedBuffer&) {}

private:
    void TakeBackAll();

    IWaveOutPoster* m_pPoster = nullptr;
    int m_nOpening = 0;
    WaveOutFormat m_format;
    QueuedBuffer m_queue[kQueueCapacity] = {};
    int m_nFirst = 0;
    int m_nCount = 0;
    bool m_bRefuseOpen = false;
    bool m_bRefuseQueue = false;
};

// Plays every buffer into a sink as it finishes. With `applyVolume` the sink
// gets what a listener hears (the process-wide output volume applied);
// without, the samples exactly as queued.
class CRenderWaveOut final : public CManualWaveOut {
public:
    using Sink = std::function<void(const short* samples, int count)>;

    CRenderWaveOut(Sink sink, bool applyVolume);

protected:
    void Play(const QueuedBuffer& buffer) override;

private:
    Sink m_sink;
    bool m_bApplyVolume;
};
