#include "portaudio_wave_out.h"

#include "output_volume.h"

#include <portaudio.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>

namespace {

// PortAudio and the sound libraries below it print their probing to the
// console; the program keeps it quiet while it opens the device.
class CQuietStderr {
public:
    CQuietStderr() : m_saved(dup(STDERR_FILENO))
    {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~CQuietStderr()
    {
        if (m_saved >= 0) {
            dup2(m_saved, STDERR_FILENO);
            close(m_saved);
        }
    }
    CQuietStderr(const CQuietStderr&) = delete;
    CQuietStderr& operator=(const CQuietStderr&) = delete;

private:
    int m_saved;
};

int StreamCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* device)
{
    static_cast<CPortAudioWaveOut*>(device)->Play(static_cast<short*>(output), frames);
    return paContinue;
}

// At least this much silence follows the last buffer before the device
// closes, so that the end of the sound is not cut off.
constexpr long kClosingSilenceFrames = 44100 / 20;

}  // namespace

CPortAudioWaveOut::~CPortAudioWaveOut()
{
    Close();
    if (m_initialised) {
        const CQuietStderr quiet;
        Pa_Terminate();
    }
}

bool CPortAudioWaveOut::Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening)
{
    if (m_stream)
        return false;
    const CQuietStderr quiet;
    if (!m_initialised) {
        if (Pa_Initialize() != paNoError)
            return false;
        m_initialised = true;
    }
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    if (device == paNoDevice)
        return false;
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    PaStreamParameters parameters{};
    parameters.device = device;
    parameters.sampleFormat = paInt16;
    parameters.suggestedLatency = info ? info->defaultHighOutputLatency : 0.1;
    PaStream* stream = nullptr;
    for (int channels : {1, 2}) {
        parameters.channelCount = channels;
        if (Pa_IsFormatSupported(nullptr, &parameters, format.samplesPerSecond) != paFormatIsSupported)
            continue;
        if (Pa_OpenStream(&stream, nullptr, &parameters, format.samplesPerSecond, paFramesPerBufferUnspecified,
                          paNoFlag, StreamCallback, this) == paNoError) {
            m_channels = channels;
            break;
        }
        stream = nullptr;
    }
    if (!stream)
        return false;

    m_stream = stream;
    m_pPoster = &poster;
    m_nOpening = opening;
    m_queue.Clear();
    m_offset = 0;
    m_finished = 0;
    m_reported = 0;
    m_silentFrames = 0;
    m_stopReporting = false;
    m_reporter = std::thread(&CPortAudioWaveOut::ReportLoop, this);
    if (Pa_StartStream(m_stream) != paNoError) {
        StopReporting();
        Pa_CloseStream(m_stream);
        m_stream = nullptr;
        m_pPoster = nullptr;
        return false;
    }
    return true;
}

bool CPortAudioWaveOut::Queue(const unsigned char* data, int bytes)
{
    return m_stream && m_queue.Push(reinterpret_cast<const short*>(data), bytes / 2);
}

void CPortAudioWaveOut::Play(short* output, unsigned long frames)
{
    const std::uint32_t volume = OutputVolume();
    const unsigned left = LeftVolume(volume);
    const unsigned right = RightVolume(volume);
    for (unsigned long frame = 0; frame < frames; ++frame) {
        short sample = 0;
        CBufferQueue::Buffer buffer;
        if (m_queue.Front(buffer)) {
            sample = buffer.samples[m_offset];
            if (++m_offset == buffer.count) {
                m_offset = 0;
                m_queue.Pop();
                m_finished.fetch_add(1, std::memory_order_release);
            }
            m_silentFrames.store(0, std::memory_order_relaxed);
        } else {
            m_silentFrames.fetch_add(1, std::memory_order_relaxed);
        }
        if (m_channels == 1) {
            output[frame] = ScaleByVolume(sample, left);
        } else {
            output[2 * frame] = ScaleByVolume(sample, left);
            output[2 * frame + 1] = ScaleByVolume(sample, right);
        }
    }
}

void CPortAudioWaveOut::ReportFinished()
{
    const int finished = m_finished.load(std::memory_order_acquire);
    for (; m_reported < finished; ++m_reported)
        m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
}

void CPortAudioWaveOut::ReportLoop()
{
    std::unique_lock<std::mutex> lock(m_reportMutex);
    while (!m_stopReporting) {
        ReportFinished();
        m_wake.wait_for(lock, std::chrono::milliseconds(5));
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

// With the stream stopped: what has finished is reported, then every buffer
// still queued, in order.
void CPortAudioWaveOut::TakeBackAll()
{
    const std::lock_guard<std::mutex> lock(m_reportMutex);
    ReportFinished();
    for (int count = m_queue.Count(); count > 0; --count) {
        m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
        m_finished.fetch_add(1, std::memory_order_relaxed);
        ++m_reported;
    }
    m_queue.Clear();
    m_offset = 0;
}

void CPortAudioWaveOut::Reset()
{
    if (!m_stream)
        return;
    Pa_AbortStream(m_stream);
    TakeBackAll();
    Pa_StartStream(m_stream);
}

void CPortAudioWaveOut::Close()
{
    if (!m_stream)
        return;
    if (m_queue.Count() > 0) {
        Pa_AbortStream(m_stream);
        TakeBackAll();
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (m_silentFrames.load(std::memory_order_relaxed) < kClosingSilenceFrames &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        Pa_StopStream(m_stream);
    }
    Pa_CloseStream(m_stream);
    m_stream = nullptr;
    StopReporting();
    {
        const std::lock_guard<std::mutex> lock(m_reportMutex);
        ReportFinished();
    }
    m_pPoster->Post(WaveOutEvent::Closed, m_nOpening);
    m_pPoster = nullptr;
}
