#pragma once

#include "live_stream.h"

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

// A live stream without sound devices: a thread of its own calls the
// processor once per hop, in time, with a microphone that hears a steady
// 1 kHz tone, and measures the output instead of playing it. For machines
// without sound.
class CClockedLiveStream final : public ILiveStream {
public:
    static constexpr double kToneHz = 1000.0;
    static constexpr double kTonePeak = 8000.0;

    CClockedLiveStream() = default;
    ~CClockedLiveStream() override;
    CClockedLiveStream(const CClockedLiveStream&) = delete;
    CClockedLiveStream& operator=(const CClockedLiveStream&) = delete;

    bool Open(std::shared_ptr<ILiveHop> processor, int hop, const LiveDevices& devices,
              LiveOpenError& error) override;
    void Close() override;
    double DeviceLatency() const override { return 0.0; }
    long Overruns() const override { return 0; }
    long Underruns() const override { return 0; }
    long HopsServed() const { return m_hops.load(std::memory_order_relaxed); }
    // The RMS of the last whole second that any such stream put out, both
    // channels, in dB re one 16-bit step; -inf before the first.
    static double LastSecondOutputDb() { return s_lastSecondDb.load(std::memory_order_relaxed); }

private:
    void Run(std::shared_ptr<ILiveHop> processor, int hop);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_hops{0};
    static std::atomic<double> s_lastSecondDb;
};
