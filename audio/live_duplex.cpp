#include "live_duplex.h"

#include <pa_linux_alsa.h>
#include <portaudio.h>

#include <cstring>

namespace {

std::string PaText(PaError error)
{
    return Pa_GetErrorText(error);
}

int StreamCallback(const void* input, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags flags, void* duplex)
{
    static_cast<CLiveDuplex*>(duplex)->Serve(static_cast<const short*>(input), static_cast<short*>(output), frames,
                                             (flags & (paInputOverflow | paInputUnderflow)) != 0,
                                             (flags & (paOutputUnderflow | paOutputOverflow)) != 0);
    return paContinue;
}

}  // namespace

CLiveDuplex::~CLiveDuplex()
{
    Close();
    if (m_initialised)
        Pa_Terminate();
}

void CLiveDuplex::Serve(const short* input, short* output, unsigned long frames, bool overrun, bool underrun)
{
    if (overrun)
        m_overruns.fetch_add(1, std::memory_order_relaxed);
    if (underrun)
        m_underruns.fetch_add(1, std::memory_order_relaxed);
    const auto hop = static_cast<unsigned long>(m_hop);
    // PortAudio hands over the frames asked for; anything else is silence.
    if (!input || frames % hop != 0) {
        std::memset(output, 0, frames * 2 * sizeof(short));
        return;
    }
    for (unsigned long done = 0; done < frames; done += hop)
        m_processor->ProcessHop(input + done, output + 2 * done);
}

bool CLiveDuplex::Open(ILiveHop& processor, int hop, double latency, std::string& error, int inputDevice,
                       int outputDevice)
{
    Close();
    if (!m_initialised) {
        const PaError initialised = Pa_Initialize();
        if (initialised != paNoError) {
            error = "the sound library did not start (" + PaText(initialised) + ")";
            return false;
        }
        m_initialised = true;
    }
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
    m_processor = &processor;
    m_hop = hop;
    m_overruns = 0;
    m_underruns = 0;
    PaStream* stream = nullptr;
    PaError result =
        Pa_OpenStream(&stream, &in, &out, 44100, static_cast<unsigned long>(hop), paClipOff, StreamCallback, this);
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
    const PaStreamInfo* info = Pa_GetStreamInfo(stream);
    m_inputLatency = info ? info->inputLatency : 0.0;
    m_outputLatency = info ? info->outputLatency : 0.0;
    return true;
}

void CLiveDuplex::Close()
{
    if (!m_stream)
        return;
    Pa_StopStream(m_stream);
    Pa_CloseStream(m_stream);
    m_stream = nullptr;
}
