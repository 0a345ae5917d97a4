#include "live_duplex.h"

#include "sound_devices.h"
#include "sound_library.h"

#include <pa_linux_alsa.h>
#include <portaudio.h>

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
    double inputLatency = 0.0;
    double outputLatency = 0.0;
};

// Within a library call: the device with `key` that has inputs (or
// outputs), the default one for an empty key, or paNoDevice.
PaDeviceIndex DeviceFor(const std::vector<SoundDevice>& known, const std::string& key, bool input)
{
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
    PaStreamParameters in{};
    in.device = DeviceFor(known, devices.input, true);
    PaStreamParameters out{};
    out.device = DeviceFor(known, devices.output, false);
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
        Pa_CloseStream(stream);
        CSoundLibrary::Instance().StreamClosed();
    }
    if (result != paNoError) {
        opened.error = {Kind::NotOpened, std::string(inInfo->name) + ", " + outInfo->name + ": " + PaText(result)};
        return;
    }
    opened.stream = stream;
    const PaStreamInfo* info = Pa_GetStreamInfo(stream);
    opened.inputLatency = info ? info->inputLatency : 0.0;
    opened.outputLatency = info ? info->outputLatency : 0.0;
}

void AbortAndClose(PaStream* stream)
{
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
    CSoundLibrary::Instance().StreamClosed();
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
    m_inputLatency = opened->inputLatency;
    m_outputLatency = opened->outputLatency;
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
