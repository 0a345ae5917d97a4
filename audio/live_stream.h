#pragma once

#include <memory>
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

// The input and the output a live stream uses: a device's key (see
// SoundDeviceKey), or empty for the system's default.
struct LiveDevices {
    std::string input;
    std::string output;
    double latency = 0.0;  // asked of each, in seconds; 0: the lowest it offers
};

// Why a live stream did not open: the kind, for a sentence in the user's
// language, and what is known beyond it (a device's name, PortAudio's text).
struct LiveOpenError {
    enum class Kind {
        None,
        ServerSilent,      // the sound server did not answer in time
        LibraryNotStarted, // detail: PortAudio's text
        NoInput,           // no input at all
        NoOutput,
        InputMissing,      // detail: the key of the input chosen
        OutputMissing,
        NotOpened,         // detail: the devices' names and PortAudio's text
    };
    Kind kind = Kind::None;
    std::string detail;
    // In English, for the tools.
    std::string Text() const;
};

// Sound in and out at once, hop by hop, at low latency.
class ILiveStream {
public:
    virtual ~ILiveStream() = default;
    // Starts calling `processor` with hops of `hop` samples from the devices;
    // false with the reason.
    virtual bool Open(std::shared_ptr<ILiveHop> processor, int hop, const LiveDevices& devices,
                      LiveOpenError& error) = 0;
    // Stops; never holds the caller long.
    virtual void Close() = 0;
    // From the microphone to the output, the devices' part only, in seconds.
    virtual double DeviceLatency() const = 0;
    // Callbacks in which input was lost, or output came too late.
    virtual long Overruns() const = 0;
    virtual long Underruns() const = 0;
};
