#include "live_duplex.h"

#include "jack_graph.h"
#include "sound_devices.h"
#include "sound_library.h"
#include "stream_closing.h"

#include <pa_linux_alsa.h>
#include <portaudio.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

std::string PaText(PaError error)
{
    return Pa_GetErrorText(error);
}

using std::chrono::milliseconds;

// How long closing waits for the stream to stop before giving it up.
constexpr milliseconds kStopWait{100};
// How long opening waits for a given-up stream that is just finishing, and
// for the opening itself.
constexpr milliseconds kOpenWaitForStop{300};
constexpr milliseconds kOpenLimit{1500};

int StreamCallback(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags flags, void* shared)
{
    static_cast<CLiveDuplex::Shared*>(shared)->Serve(static_cast<const short*>(input), static_cast<short*>(output), frames,
                                             (flags & (paInputOverflow | paInputUnderflow)) != 0,
                                             (flags & (paOutputUnderflow | paOutputOverflow)) != 0);
    return paContinue;
}

}  // namespace

CLiveDuplex::~CLiveDuplex()
{
    Close();
}

void CLiveDuplex::Shared::Serve(const short* input, short* output, unsigned long frames, bool overrun, bool underrun)
{
    if (overrun)
        overruns.fetch_add(1, std::memory_order_relaxed);
    if (underrun)
        underruns.fetch_add(1, std::memory_order_relaxed);
    const auto hopFrames = static_cast<unsigned long>(hop);
    // PortAudio hands over the frames asked for; anything else is silence.
    if (!input || frames % hopFrames != 0 || givenUp.load(std::memory_order_acquire)) {
        std::memset(output, 0, frames * 2 * sizeof(short));
        return;
    }
    for (unsigned long done = 0; done < frames; done += hopFrames)
        processor->ProcessHop(input + done, output + 2 * done);
}

long CLiveDuplex::Overruns() const
{
    return m_shared ? m_shared->overruns.load(std::memory_order_relaxed) : 0;
}

long CLiveDuplex::Underruns() const
{
    return m_shared ? m_shared->underruns.load(std::memory_order_relaxed) : 0;
}

namespace {

// What an opening made, owned by the call that makes it.
struct Opened {
    PaStream* stream = nullptr;
    LiveOpenError error;
    StreamLatency latency;
    int period = 0;
    std::string inputName, outputName;
};

// "name (host)" as the user knows the device.
std::string Shown(const std::vector<SoundDevice>& known, PaDeviceIndex index)
{
    for (const SoundDevice& device : known)
        if (device.index == index)
            return device.name + " (" + ShownHost(device) + ")";
    return {};
}

// Within a library call: the device with `key` that has inputs (or
// outputs), or paNoDevice. For an empty key the system's default; through
// PipeWire the server's own microphone and loudspeakers, the low-latency
// route, when it offers them (the system's default goes through the ALSA
// or PulseAudio layer).
PaDeviceIndex DeviceFor(const std::vector<SoundDevice>& known, const std::string& key, bool input,
                        const std::string& pipeWireClient)
{
    if (key.empty() && !pipeWireClient.empty()) {
        for (const SoundDevice& device : known)
            if (device.pipeWire && device.name == pipeWireClient &&
                (input ? device.inputChannels : device.outputChannels) > 0)
                return device.index;
    }
    if (key.empty())
        return input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
    const int found = FindSoundDevice(known, key, input);
    return found >= 0 ? found : paNoDevice;
}

// Within a library call: opens and starts the stream.
void OpenDuplex(const LiveDevices& devices, int hop, CLiveDuplex::Shared* shared, Opened& opened)
{
    using Kind = LiveOpenError::Kind;
    const std::vector<SoundDevice> known = ListSoundDevices();
    const bool pipeWire = std::any_of(known.begin(), known.end(), [](const SoundDevice& d) { return d.pipeWire; });
    const JackGraph offered =
        pipeWire && (devices.input.empty() || devices.output.empty()) ? ReadJackGraph() : JackGraph{};
    PaStreamParameters in{};
    in.device = DeviceFor(known, devices.input, true, offered.captureClient);
    PaStreamParameters out{};
    out.device = DeviceFor(known, devices.output, false, offered.playbackClient);
    const PaDeviceInfo* inInfo = in.device == paNoDevice ? nullptr : Pa_GetDeviceInfo(in.device);
    const PaDeviceInfo* outInfo = out.device == paNoDevice ? nullptr : Pa_GetDeviceInfo(out.device);
    // A device chosen and not there is named before a missing default.
    if (!inInfo && !devices.input.empty())
        opened.error = {Kind::InputMissing, devices.input};
    else if (!outInfo && !devices.output.empty())
        opened.error = {Kind::OutputMissing, devices.output};
    else if (!inInfo || !outInfo)
        opened.error = {!inInfo ? Kind::NoInput : Kind::NoOutput, {}};
    if (!inInfo || !outInfo)
        return;
    in.channelCount = 1;
    in.sampleFormat = paInt16;
    in.suggestedLatency = devices.latency > 0.0 ? devices.latency : inInfo->defaultLowInputLatency;
    out.channelCount = 2;
    out.sampleFormat = paInt16;
    out.suggestedLatency = devices.latency > 0.0 ? devices.latency : outInfo->defaultLowOutputLatency;
    PaStream* stream = nullptr;
    PaError result = Pa_OpenStream(&stream, &in, &out, 44100, static_cast<unsigned long>(hop), paClipOff,
                                   StreamCallback, shared);
    if (result == paNoError)
        CSoundLibrary::Instance().StreamOpened();
    // On ALSA the callback's thread asks for real-time scheduling, so that
    // other work on the machine makes it late less often; where that is not
    // allowed it runs as before.
    if (result == paNoError && Pa_GetHostApiInfo(outInfo->hostApi)->type == paALSA)
        PaAlsa_EnableRealtimeScheduling(stream, 1);
    if (result == paNoError && (result = Pa_StartStream(stream)) != paNoError) {
        CloseOpenedStream(stream);
    }
    if (result != paNoError) {
        opened.error = {Kind::NotOpened, std::string(inInfo->name) + ", " + outInfo->name + ": " + PaText(result)};
        return;
    }
    opened.stream = stream;
    opened.inputName = Shown(known, in.device);
    opened.outputName = Shown(known, out.device);
    // JACK's cycle, once the stream is part of the graph (PipeWire's JACK
    // library reads back figures that are no latency at all).
    if (Pa_GetHostApiInfo(outInfo->hostApi)->type == paJACK)
        opened.period = ReadJackGraph().period;
    const PaStreamInfo* info = Pa_GetStreamInfo(stream);
    opened.latency = LatencyOfStream(info ? info->inputLatency : -1.0, info ? info->outputLatency : -1.0, hop,
                                     opened.period, in.suggestedLatency, out.suggestedLatency);
}

void AbortAndClose(PaStream* stream)
{
    Pa_AbortStream(stream);
    CloseOpenedStream(stream);
}

}  // namespace

bool CLiveDuplex::Open(std::shared_ptr<ILiveHop> processor, int hop, const LiveDevices& devices,
                       LiveOpenError& error)
{
    Close();
    auto shared = std::make_shared<Shared>();
    shared->processor = std::move(processor);
    shared->hop = hop;
    auto opened = std::make_shared<Opened>();
    CSoundLibrary& library = CSoundLibrary::Instance();
    const auto answer = library.Run(
        [devices, hop, shared, opened] { OpenDuplex(devices, hop, shared.get(), *opened); },
        // Opened too late: nobody hears it, and it goes again at once.
        [shared, opened] {
            shared->givenUp.store(true, std::memory_order_release);
            if (opened->stream)
                AbortAndClose(opened->stream);
        },
        kOpenLimit, kOpenWaitForStop);
    using Kind = LiveOpenError::Kind;
    if (answer == CSoundLibrary::Answer::Late || answer == CSoundLibrary::Answer::Busy) {
        error = {Kind::ServerSilent, {}};
        return false;
    }
    if (answer == CSoundLibrary::Answer::NotStarted) {
        error = {Kind::LibraryNotStarted, library.StartError()};
        return false;
    }
    if (!opened->stream) {
        error = opened->error;
        return false;
    }
    m_stream = opened->stream;
    m_shared = std::move(shared);
    m_latency = opened->latency;
    m_period = opened->period;
    m_inputName = opened->inputName;
    m_outputName = opened->outputName;
    return true;
}

void CLiveDuplex::Close()
{
    if (!m_stream)
        return;
    PaStream* const stream = m_stream;
    const auto shared = m_shared;  // lives as long as the stream may call
    if (CSoundLibrary::Instance().Run([stream, shared] { AbortAndClose(stream); }, nullptr, kStopWait, kStopWait) !=
        CSoundLibrary::Answer::Done)
        m_shared->givenUp.store(true, std::memory_order_release);
    m_stream = nullptr;
}
