#include "portaudio_wave_out.h"

#include "quiet_stderr.h"
#include "sound_devices.h"

#include <portaudio.h>

#include <chrono>

namespace {

using std::chrono::milliseconds;

int StreamCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* playing)
{
    static_cast<CPlayingStream*>(playing)->Play(static_cast<short*>(output), frames);
    return paContinue;
}

// At least this much silence follows the last buffer before the device
// closes, so that the end of the sound is not cut off; the wait for it is
// bounded by the silence itself plus about one buffer.
constexpr long kClosingSilenceFrames = 44100 / 20;
constexpr milliseconds kClosingSilenceWait{50 + 100};
// How long a caller waits for the stream to stop before giving it up.
constexpr milliseconds kStopWait{100};
// How long opening waits for a given-up stream that is just finishing.
constexpr milliseconds kOpenWaitForStop{300};

}  // namespace

CPortAudioWaveOut::~CPortAudioWaveOut()
{
    Close();
    // A stream still held by a stalled server keeps the library in use.
    if (m_initialised && m_aside.WaitIdle(milliseconds(0))) {
        const CQuietStderr quiet;
        Pa_Terminate();
    }
}

bool CPortAudioWaveOut::Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening)
{
    if (m_open || !m_aside.WaitIdle(kOpenWaitForStop))
        return false;
    const CQuietStderr quiet;
    if (!m_initialised) {
        if (Pa_Initialize() != paNoError)
            return false;
        m_initialised = true;
    }
    const int chosen = m_outputKey.empty() ? -1 : FindSoundDevice(ListSoundDevices(), m_outputKey, false);
    const PaDeviceIndex device = chosen >= 0 ? chosen : Pa_GetDefaultOutputDevice();
    if (device == paNoDevice)
        return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = info ? info->defaultHighOutputLatency : 0.1;
    PaStream* stream = nullptr;
    std::shared_ptr<CPlayingStream> playing;
    // Mono sound plays on a mono device, or on both channels of a stereo
    // one; stereo sound needs a stereo device.
    for (int channels : {1, 2}) {
        if (channels < format.channels)
            continue;
        parameters.channelCount = channels;
        if (Pa_IsFormatSupported(nullptr, &parameters, format.samplesPerSecond) != paFormatIsSupported)
            continue;
        playing = std::make_shared<CPlayingStream>(channels, format.channels);
        if (Pa_OpenStream(&stream, nullptr, &parameters, format.samplesPerSecond, paFramesPerBufferUnspecified,
                          paNoFlag, StreamCallback, playing.get()) == paNoError)
            break;
        stream = nullptr;
    }
    if (!stream)
        return false;

    m_stream = stream;
    m_playing = std::move(playing);
    m_pPoster = &poster;
    m_nOpening = opening;
    m_queued = 0;
    m_reported = 0;
    m_stopReporting = false;
    m_reporter = std::thread(&CPortAudioWaveOut::ReportLoop, this);
    if (Pa_StartStream(m_stream) != paNoError) {
        StopReporting();
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
        m_playing.reset();
        m_pPoster = nullptr;
        return false;
    }
    m_open = true;
    return true;
}

bool CPortAudioWaveOut::Queue(const unsigned char* data, int bytes)
{
    if (!m_stream || !m_playing->Queue().Push(reinterpret_cast<const short*>(data), bytes / 2))
        return false;
    ++m_queued;
    return true;
}

void CPortAudioWaveOut::ReportFinished()
{
    for (const int finished = m_playing->Finished(); m_reported < finished; ++m_reported)
        m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
}

void CPortAudioWaveOut::ReportLoop()
{
    std::unique_lock<std::mutex> lock(m_reportMutex);
    while (!m_stopReporting) {
        ReportFinished();
        m_wake.wait_for(lock, milliseconds(5));
    }
}

void CPortAudioWaveOut::StopReporting()
{
    {
        const std::lock_guard<std::mutex> lock(m_reportMutex);
        m_stopReporting = true;
    }
    m_wake.notify_one();
    m_reporter.join();
}

// Every buffer queued and not yet reported goes back, in queue order: those
// played first, then those that never will be.
void CPortAudioWaveOut::HandBackAll()
{
    const std::lock_guard<std::mutex> lock(m_reportMutex);
    for (; m_reported < m_queued; ++m_reported)
        m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
}

// The stream's callback reads no more buffers, and the stream is closed by
// the late call whenever the server lets go of it.
void CPortAudioWaveOut::GiveUpStream()
{
    m_playing->GiveUp();
    m_stream = nullptr;
}

void CPortAudioWaveOut::Reset()
{
    if (!m_stream) {
        HandBackAll();
        return;
    }
    PaStream* const stream = m_stream;
    const auto playing = m_playing;
    const auto closeStream = [stream, playing] { Pa_CloseStream(stream); };
    if (!m_aside.Run([stream, playing] { Pa_AbortStream(stream); }, closeStream, kStopWait)) {
        GiveUpStream();
        HandBackAll();
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_reportMutex);
        m_playing->Rewind();  // the callback is stopped: the queue is ours
    }
    HandBackAll();
    const auto abortAndClose = [stream, playing] {
        Pa_AbortStream(stream);
        Pa_CloseStream(stream);
    };
    if (!m_aside.Run([stream, playing] { Pa_StartStream(stream); }, abortAndClose, kStopWait))
        GiveUpStream();
}

void CPortAudioWaveOut::WaitForClosingSilence() const
{
    const auto deadline = std::chrono::steady_clock::now() + kClosingSilenceWait;
    while (m_playing->SilentFrames() < kClosingSilenceFrames && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(2));
}

void CPortAudioWaveOut::Close()
{
    if (!m_open)
        return;
    if (m_stream) {
        PaStream* const stream = m_stream;
        const auto playing = m_playing;
        const bool drain = m_playing->Queue().Count() == 0;
        if (drain)
            WaitForClosingSilence();
        const auto stopAndClose = [stream, playing, drain] {
            if (drain)
                Pa_StopStream(stream);
            else
                Pa_AbortStream(stream);
            Pa_CloseStream(stream);
        };
        if (!m_aside.Run(stopAndClose, nullptr, kStopWait))
            GiveUpStream();
        m_stream = nullptr;
    }
    StopReporting();
    {
        const std::lock_guard<std::mutex> lock(m_reportMutex);
        ReportFinished();
    }
    HandBackAll();
    m_pPoster->Post(WaveOutEvent::Closed, m_nOpening);
    m_pPoster = nullptr;
    m_playing.reset();
    m_open = false;
}
