#pragma once

#include "live_stream.h"
#include "stream_latency.h"

#include <atomic>
#include <memory>
#include <string>

// One full-duplex PortAudio stream, input and output in the same callback,
// in hops of a fixed size, at the lowest latency the devices offer: mono
// 16-bit in, stereo 16-bit out, 44100 Hz. Closing never holds the caller
// long: a stream that a stalled sound server keeps from stopping is given
// up (it plays silence and leaves the processor alone should it ever call
// again), and what it uses lives until the server lets it go.
class CLiveDuplex final : public ILiveStream {
public:
    CLiveDuplex() = default;
    ~CLiveDuplex() override;
    CLiveDuplex(const CLiveDuplex&) = delete;
    CLiveDuplex& operator=(const CLiveDuplex&) = delete;

    // Opens and starts the input and output given by key (the system's
    // defaults when empty), asking each for the latency given, or for the
    // lowest it offers when 0; false with the reason, PortAudio's own text
    // included. False also while the server still holds a stream given up.
    bool Open(std::shared_ptr<ILiveHop> processor, int hop, const LiveDevices& devices,
              LiveOpenError& error) override;
    void Close() override;
    double DeviceLatency() const override { return m_latency.input + m_latency.output; }

    // The devices' latencies, in seconds, and where they come from.
    const StreamLatency& Latency() const { return m_latency; }
    // The JACK server's cycle in samples, or 0 off JACK.
    int Period() const { return m_period; }
    // The devices opened, "name (host)".
    const std::string& InputName() const { return m_inputName; }
    const std::string& OutputName() const { return m_outputName; }
    // Callbacks in which input was lost, or output came too late.
    long Overruns() const override;
    long Underruns() const override;

    // What the stream's callback uses: `frames` input samples and stereo
    // frames, and whether input was lost or output came late since the
    // last call.
    struct Shared {
        std::shared_ptr<ILiveHop> processor;
        int hop = 0;
        std::atomic<bool> givenUp{false};
        std::atomic<long> overruns{0};
        std::atomic<long> underruns{0};
        void Serve(const short* input, short* output, unsigned long frames, bool overrun, bool underrun);
    };

private:
    void* m_stream = nullptr;
    std::shared_ptr<Shared> m_shared;
    StreamLatency m_latency;
    int m_period = 0;
    std::string m_inputName, m_outputName;
};
