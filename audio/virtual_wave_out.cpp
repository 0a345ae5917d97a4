#include "virtual_wave_out.h"

#include "output_volume.h"

#include <cstring>
#include <utility>

bool CManualWaveOut::Open(const WaveOutFormat& format, IWaveOutPoster& poster, int opening)
{
    if (m_bRefuseOpen || IsOpen())
        return false;
    m_pPoster = &poster;
    m_nOpening = opening;
    m_format = format;
    return true;
}

bool CManualWaveOut::Queue(const unsigned char* data, int bytes)
{
    if (m_bRefuseQueue || !IsOpen() || m_nCount == kQueueCapacity)
        return false;
    m_queue[(m_nFirst + m_nCount) % kQueueCapacity] = {data, bytes};
    ++m_nCount;
    return true;
}

bool CManualWaveOut::FinishNext()
{
    if (m_nCount == 0)
        return false;
    Play(m_queue[m_nFirst]);
    m_nFirst = (m_nFirst + 1) % kQueueCapacity;
    --m_nCount;
    m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
    return true;
}

void CManualWaveOut::TakeBackAll()
{
    for (; m_nCount > 0; --m_nCount)
        m_pPoster->Post(WaveOutEvent::BufferDone, m_nOpening);
    m_nFirst = 0;
}

void CManualWaveOut::Reset()
{
    if (IsOpen())
        TakeBackAll();
}

void CManualWaveOut::Close()
{
    if (!IsOpen())
        return;
    TakeBackAll();
    m_pPoster->Post(WaveOutEvent::Closed, m_nOpening);
    m_pPoster = nullptr;
}

CRenderWaveOut::CRenderWaveOut(Sink sink, bool applyVolume)
    : m_sink(std::move(sink)), m_bApplyVolume(applyVolume)
{
}

void CRenderWaveOut::Play(const QueuedBuffer& buffer)
{
    const unsigned volume = LeftVolume(OutputVolume());
    short piece[4096];
    const int total = buffer.bytes / 2;
    for (int done = 0; done < total;) {
        const int count = total - done < 4096 ? total - done : 4096;
        std::memcpy(piece, buffer.data + 2 * done, static_cast<std::size_t>(count) * 2);
        if (m_bApplyVolume) {
            for (int i = 0; i < count; ++i)
                piece[i] = ScaleByVolume(piece[i], volume);
        }
        m_sink(piece, count);
        done += count;
    }
}
