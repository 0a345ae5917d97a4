#pragma once

#include "buffer_queue.h"

#include <atomic>

// What the sound callback of one opening reads and writes: the queued
// buffers and the counters it hands to the device. It lives as long as the
// stream that plays it, also when a stalled stream outlives its device.
class CPlayingStream {
public:
    // `channels` the device plays, `sourceChannels` the buffers hold (1, or
    // 2 for interleaved stereo on a stereo device).
    explicit CPlayingStream(int channels, int sourceChannels = 1)
        : m_channels(channels), m_sourceChannels(sourceChannels)
    {
    }

    // Fills `frames` frames of 16-bit output, `Channels()` samples each, from
    // the queued buffers at the process-wide output volume: a mono buffer's
    // sample on every channel, a stereo buffer's left and right on their
    // own; silence when none is queued or the stream has been given up.
    void Play(short* output, unsigned long frames);

    int Channels() const { return m_channels; }
    CBufferQueue& Queue() { return m_queue; }
    int Finished() const { return m_finished.load(std::memory_order_acquire); }
    long SilentFrames() const { return m_silentFrames.load(std::memory_order_relaxed); }
    // Buffers that finished with none queued behind them (the last one
    // included): more than one while sound plays means a gap of silence.
    long TimesRunDry() const { return m_timesRunDry.load(std::memory_order_relaxed); }
    // The device's own reports of output it could not take in time.
    void CountUnderflow() { m_underflows.fetch_add(1, std::memory_order_relaxed); }
    long Underflows() const { return m_underflows.load(std::memory_order_relaxed); }

    // Counts every queued buffer as finished and empties the queue; only
    // while the callback is stopped.
    void Rewind()
    {
        m_finished.fetch_add(m_queue.Count(), std::memory_order_release);
        m_queue.Clear();
        m_offset = 0;
    }

    // From now on the callback reads no buffer: they go back to their owner.
    void GiveUp() { m_givenUp.store(true, std::memory_order_release); }

private:
    // The next sample of the queued buffers, or false when none is queued.
    bool NextSample(short& sample);

    const int m_channels;
    const int m_sourceChannels;
    CBufferQueue m_queue;
    int m_offset = 0;                     // samples of the front buffer played (callback only)
    std::atomic<int> m_finished{0};       // buffers played to the end
    std::atomic<long> m_silentFrames{0};  // frames of silence since the queue ran empty
    std::atomic<long> m_timesRunDry{0};
    std::atomic<long> m_underflows{0};
    std::atomic<bool> m_givenUp{false};
};
