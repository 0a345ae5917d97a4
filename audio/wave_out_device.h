#pragma once

#include <string>

// What the player needs of a wave output device. Buffers belong to the device
// from Queue until it reports them finished; the device reads them in place.

struct WaveOutFormat {
    int channels = 1;
    int samplesPerSecond = 44100;
    int bitsPerSample = 16;
    int blockAlign = 2;
};

enum class WaveOutEvent { BufferDone, Closed };

// Receives the device's reports. Post may be called from any thread, also
// from within a device call; the receiver queues the report and delivers it
// on the user-interface thread after that call has returned.
class IWaveOutPoster {
public:
    virtual void Post(WaveOutEvent event, int opening) = 0;

protected:
    ~IWaveOutPoster() = default;
};

class IWaveOutDevice {
public:
    virtual ~IWaveOutDevice() = default;

    // Opens the device; its reports go to `poster`, tagged with `opening` so
    // that reports of an earlier opening can be told apart.
    virtual bool Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening) = 0;

    // Appends a buffer to the play queue. Buffers play and are reported
    // finished (BufferDone, once each) in queue order.
    virtual bool Queue(const unsigned char* data, int bytes) = 0;

    // Stops at once and hands every queued buffer back, each with its own
    // BufferDone. No queued buffer is read after this returns.
    virtual void Reset() = 0;

    // Closes the device and reports Closed. Buffers still queued are handed
    // back first as by Reset, so none is read after this returns.
    virtual void Close() = 0;

    // The output the next Open uses: a device's key (see SoundDeviceKey), or
    // empty for the system's default, which is also taken when the device
    // named is not there. Devices without a choice of output ignore it.
    virtual void SetOutputDevice(const std::string& /*key*/) {}
};
