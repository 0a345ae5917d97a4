#include "portaudio_wave_out.h"

#include "sound_devices.h"
#include "sound_library.h"
#include "stream_closing.h"

#include <portaudio.h>

#include <chrono>

namespace {

using std::chrono::milliseconds;

int StreamCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags flags, void* shared)
{
    auto* const playing = static_cast<CPlayingStream*>(shared);
    if (flags & paOutputUnderflow)
        playing->CountUnderflow();
    playing->Play(static_cast<short*>(output), frames);
    return paContinue;
}

// At least this much silence follows the last buffer before the device
// closes, so that the end of the sound is not cut off; the wait for it is
// bounded by the silence itself plus about one buffer.
constexpr long kClosingSilenceFrames = 44100 / 20;
constexpr milliseconds kClosingSilenceWait{50 + 100};
// How long a caller waits for the stream to stop before giving it up.
constexpr milliseconds kStopWait{100};
// How long opening waits for a given-up stream that is just finishing, and
// for the opening itself.
constexpr milliseconds kOpenWaitForStop{300};
constexpr milliseconds kOpenLimit{1500};

}  // namespace

CPortAudioWaveOut::~CPortAudioWaveOut()
{
    Close();
}

namespace {

// What an opening made, owned by the call that makes it.
struct Opened {
    PaStream* stream = nullptr;
    std::shared_ptr<CPlayingStream> playing;
};

// Within a library call: opens and starts the output for `format`, the
// device with `key` or the default one.
void OpenOutput(const WaveOutFormat& format, const std::string& key, Opened& opened)
{
    const int chosen = key.empty() ? -1 : FindSoundDevice(ListSoundDevices(), key, false);
    const PaDeviceIndex device = chosen >= 0 ? chosen : Pa_GetDefaultOutputDevice();
    if (device == paNoDevice)
        return;
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
        return;
    CSoundLibrary::Instance().StreamOpened();
    if (Pa_StartStream(stream) != paNoError) {
        CloseOpenedStream(stream);
        return;
    }
    opened.stream = stream;
    opened.playing = std::move(playing);
}

void AbortAndClose(PaStream* stream)
{
    Pa_AbortStream(stream);
    CloseOpenedStream(stream);
}

}  // namespace

bool CPortAudioWaveOut::Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening)
{
    if (m_open)
        return false;
    auto opened = std::make_shared<Opened>();
    const std::string key = m_outputKey;
    const auto answer = CSoundLibrary::Instance().Run(
        [opened, format, key] { OpenOutput(format, key, *opened); },
        [opened] {
            if (opened->stream)
                AbortAndClose(opened->stream);
        },
        kOpenLimit, kOpenWaitForStop);
    if (answer != CSoundLibrary::Answer::Done || !opened->stream)
        return false;

    m_stream = opened->stream;
    m_playing = std::move(opened->playing);
    m_pPoster = &poster;
    m_nOpening = opening;
    m_queued = 0;
    m_reported = 0;
    m_stopReporting = false;
    m_reporter = std::thread(&CPortAudioWaveOut::ReportLoop, this);
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
    CSoundLibrary& library = CSoundLibrary::Instance();
    const auto closeStream = [stream, playing] {
        CloseOpenedStream(stream);
    };
    if (library.Run([stream, playing] { Pa_AbortStream(stream); }, closeStream, kStopWait, kStopWait) !=
        CSoundLibrary::Answer::Done) {
        GiveUpStream();
        HandBackAll();
        return;
    }
    {
        const std::lock_guard<std::mutex> lock(m_reportMutex);
        m_playing->Rewind();  // the callback is stopped: the queue is ours
    }
    HandBackAll();
    if (library.Run([stream, playing] { Pa_StartStream(stream); }, [stream, playing] { AbortAndClose(stream); },
                    kStopWait, kStopWait) != CSoundLibrary::Answer::Done)
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
            CloseOpenedStream(stream);
        };
        if (CSoundLibrary::Instance().Run(stopAndClose, nullptr, kStopWait, kStopWait) != CSoundLibrary::Answer::Done)
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
    m_timesRunDry += m_playing->TimesRunDry();
    m_underflows += m_playing->Underflows();
    m_playing.reset();
    m_open = false;
}
