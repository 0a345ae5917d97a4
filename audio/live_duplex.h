#pragma once

#include <atomic>
#include <string>

// What a live stream does with each hop: kHop input samples (mono) in,
// kHop stereo frames (left, right) out. Called on the sound thread: it must
// not allocate, lock or wait.
class ILiveHop {
public:
    virtual void ProcessHop(const short* input, short* output) = 0;

protected:
    ~ILiveHop() = default;
};

// One full-duplex PortAudio stream, input and output in the same callback,
// in hops of a fixed size, at the lowest latency the devices offer: mono
// 16-bit in, stereo 16-bit out, 44100 Hz.
class CLiveDuplex {
public:
    CLiveDuplex() = default;
    ~CLiveDuplex();
    CLiveDuplex(const CLiveDuplex&) = delete;
    CLiveDuplex& operator=(const CLiveDuplex&) = delete;

    // Opens and starts the default input and output (or the devices given
    // by PortAudio index), asking each for `latency` seconds, or for the
    // lowest it offers when 0; false with the reason, PortAudio's own text
    // included.
    bool Open(ILiveHop& processor, int hop, double latency, std::string& error, int inputDevice = -1,
              int outputDevice = -1);
    void Close();

    // The latencies the stream reports, in seconds.
    double InputLatency() const { return m_inputLatency; }
    double OutputLatency() const { return m_outputLatency; }
    // Callbacks in which input was lost, or output came too late.
    long Overruns() const { return m_overruns.load(std::memory_order_relaxed); }
    long Underruns() const { return m_underruns.load(std::memory_order_relaxed); }

    // The stream's callback: `frames` input samples and stereo frames, and
    // whether input was lost or output came late since the last call.
    void Serve(const short* input, short* output, unsigned long frames, bool overrun, bool underrun);

private:
    void* m_stream = nullptr;
    bool m_initialised = false;
    ILiveHop* m_processor = nullptr;
    int m_hop = 0;
    double m_inputLatency = 0.0;
    double m_outputLatency = 0.0;
    std::atomic<long> m_overruns{0};
    std::atomic<long> m_underruns{0};
};
