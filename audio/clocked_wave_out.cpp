#include "clocked_wave_out.h"

CClockedWaveOut::~CClockedWaveOut()
{
    Close();
}

bool CClockedWaveOut::Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_open)
        return false;
    m_open = true;
    m_rate = format.samplesPerSecond;
    m_pPoster = &poster;
    m_nOpening = opening;
    m_player = std::thread(&CClockedWaveOut::PlayLoop, this);
    return true;
}

bool CClockedWaveOut::Queue(const unsigned char* data, int bytes)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open || !m_queue.Push(reinterpret_cast<const short*>(data), bytes / 2))
            return false;
    }
    m_wake.notify_one();
    return true;
}

void CClockedWaveOut::PlayLoop()
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> lock(m_mutex);
    Clock::time_point end = Clock::now();
    bool playing = false;
    while (m_open) {
        CBufferQueue::Buffer buffer;
        if (!m_queue.Front(buffer)) {
            playing = false;
            m_wake.wait(lock);
            continue;
        }
        // Back to back while the queue holds something; after a pause the
        // clock starts again from now.
        if (!playing)
            end = Clock::now();
        playing = true;
        end += std::chrono::microseconds(1000000LL * buffer.count / m_rate);
        if (m_wake.wait_until(lock, end, [&] { return !m_open || m_queue.Count() == 0; }))
            continue;  // closed or taken back meanwhile
        m_queue.Pop();
        ++m_played;
        if (m_queue.Count() == 0)
            ++m_dry;
        m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
    }
}

void CClockedWaveOut::TakeBackAll()
{
    for (int count = m_queue.Count(); count > 0; --count)
        m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
    m_queue.Clear();
}

void CClockedWaveOut::Reset()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return;
        TakeBackAll();
    }
    m_wake.notify_one();
}

void CClockedWaveOut::Close()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open)
            return;
        TakeBackAll();
        m_open = false;
    }
    m_wake.notify_one();
    m_player.join();
    m_pPoster->Post(WaveOutEvent::Closed, m_nOpening);
    m_pPoster = nullptr;
}

long CClockedWaveOut::BuffersPlayed() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_played;
}

long CClockedWaveOut::TimesRunDry() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_dry;
}
