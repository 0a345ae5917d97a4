#include "live_duplex.h"

#include "quiet_stderr.h"
#include "sound_devices.h"

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
// How long opening waits for a given-up stream that is just finishing.
constexpr milliseconds kOpenWaitForStop{300};

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
    // A stream still held by a stalled server keeps the library in use.
    if (m_initialised && m_aside.WaitIdle(milliseconds(0))) {
        const CQuietStderr quiet;
        Pa_Terminate();
    }
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

bool CLiveDuplex::StartLibrary(std::string& error)
{
    if (m_initialised)
        return true;
    const PaError initialised = Pa_Initialize();
    if (initialised != paNoError) {
        error = "the sound library did not start (" + PaText(initialised) + ")";
        return false;
    }
    m_initialised = true;
    return true;
}

long CLiveDuplex::Overruns() const
{
    return m_shared ? m_shared->overruns.load(std::memory_order_relaxed) : 0;
}

long CLiveDuplex::Underruns() const
{
    return m_shared ? m_shared->underruns.load(std::memory_order_relaxed) : 0;
}

bool CLiveDuplex::Open(std::shared_ptr<ILiveHop> processor, int hop, double latency, std::string& error,
                       int inputDevice, int outputDevice)
{
    Close();
    const CQuietStderr quiet;
    if (!m_aside.WaitIdle(kOpenWaitForStop)) {
        error = "the sound server still holds the last live stream";
        return false;
    }
    if (!StartLibrary(error))
        return false;
    PaStreamParameters in{};
    in.device = inputDevice >= 0 ? inputDevice : Pa_GetDefaultInputDevice();
    PaStreamParameters out{};
    out.device = outputDevice >= 0 ? outputDevice : Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* inInfo = in.device == paNoDevice ? nullptr : Pa_GetDeviceInfo(in.device);
    const PaDeviceInfo* outInfo = out.device == paNoDevice ? nullptr : Pa_GetDeviceInfo(out.device);
    if (!inInfo || !outInfo) {
        error = !inInfo ? "there is no sound input" : "there is no sound output";
        return false;
    }
    in.channelCount = 1;
    in.sampleFormat = paInt16;
    in.suggestedLatency = latency > 0.0 ? latency : inInfo->defaultLowInputLatency;
    out.channelCount = 2;
    out.sampleFormat = paInt16;
    out.suggestedLatency = latency > 0.0 ? latency : outInfo->defaultLowOutputLatency;
    auto shared = std::make_shared<Shared>();
    shared->processor = std::move(processor);
    shared->hop = hop;
    PaStream* stream = nullptr;
    PaError result = Pa_OpenStream(&stream, &in, &out, 44100, static_cast<unsigned long>(hop), paClipOff,
                                   StreamCallback, shared.get());
    // On ALSA the callback's thread asks for real-time scheduling, so that
    // other work on the machine makes it late less often; where that is not
    // allowed it runs as before.
    if (result == paNoError && Pa_GetHostApiInfo(outInfo->hostApi)->type == paALSA)
        PaAlsa_EnableRealtimeScheduling(stream, 1);
    if (result == paNoError && (result = Pa_StartStream(stream)) != paNoError)
        Pa_CloseStream(stream);
    if (result != paNoError) {
        error = std::string("the sound devices did not open for live sound (") + inInfo->name + ", " + outInfo->name +
                ": " + PaText(result) + ")";
        return false;
    }
    m_stream = stream;
    m_shared = std::move(shared);
    const PaStreamInfo* info = Pa_GetStreamInfo(stream);
    m_inputLatency = info ? info->inputLatency : 0.0;
    m_outputLatency = info ? info->outputLatency : 0.0;
    return true;
}

bool CLiveDuplex::Open(std::shared_ptr<ILiveHop> processor, int hop, const LiveDevices& devices, std::string& error)
{
    const CQuietStderr quiet;
    if (!StartLibrary(error))
        return false;
    const std::vector<SoundDevice> known = ListSoundDevices();
    int indices[2] = {-1, -1};
    const std::string* const keys[2] = {&devices.input, &devices.output};
    for (int i = 0; i < 2; ++i) {
        if (keys[i]->empty())
            continue;
        indices[i] = FindSoundDevice(known, *keys[i], i == 0);
        if (indices[i] < 0) {
            error = "the sound " + std::string(i == 0 ? "input" : "output") + " '" + *keys[i] + "' is not there";
            return false;
        }
    }
    return Open(std::move(processor), hop, devices.latency, error, indices[0], indices[1]);
}

void CLiveDuplex::Close()
{
    if (!m_stream)
        return;
    PaStream* const stream = m_stream;
    const auto shared = m_shared;  // lives as long as the stream may call
    const auto stopAndClose = [stream, shared] {
        Pa_AbortStream(stream);
        Pa_CloseStream(stream);
    };
    if (!m_aside.Run(stopAndClose, nullptr, kStopWait))
        m_shared->givenUp.store(true, std::memory_order_release);
    m_stream = nullptr;
}
