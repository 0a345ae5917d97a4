#include "mem_play.h"

#include "report.h"

#include <cstring>

CMemPlay g_memPlay;

CMemPlay::CMemPlay()
{
    for (unsigned char*& data : m_pData)
        data = new unsigned char[kBufferBytes];
}

CMemPlay::~CMemPlay()
{
    Close();
    for (unsigned char* data : m_pData)
        delete[] data;
}

bool CMemPlay::Open(IWaveOutPoster& window, int rate, int channels)
{
    if (m_bOpen)
        return false;
    m_format = WaveOutFormat{channels, rate, 16, 2 * channels};
    m_nNext = 0;
    m_nQueued = 0;
    ++m_nOpening;
    if (!m_pDevice || !m_pDevice->Open(m_format, window, m_nOpening)) {
        ReportFailure("Failed to open replay device");
        return false;
    }
    m_bOpen = 1;
    m_nBufferLen = kBufferBytes - kBufferBytes % m_format.blockAlign;
    return true;
}

int CMemPlay::Write(const short* data, int bytes)
{
    // A full ring has no buffer the device is done with: the block is lost.
    if (!m_bOpen || m_nQueued >= kBufferCount)
        return 0;
    const int n = bytes > m_nBufferLen ? m_nBufferLen : bytes;
    if (n <= 0)
        return n;
    unsigned char* buffer = m_pData[m_nNext];
    std::memcpy(buffer, data, static_cast<std::size_t>(n));
    if (!m_pDevice->Queue(buffer, n)) {
        Stop();
        return 0;
    }
    ++m_nQueued;
    m_nNext = (m_nNext + 1) % kBufferCount;
    return n;
}

void CMemPlay::BlockDone()
{
    --m_nQueued;
    if (m_nQueued <= 0)
        Close();
}

void CMemPlay::Stop()
{
    if (!m_bOpen)
        return;
    m_pDevice->Reset();
    Close();
}

void CMemPlay::Close()
{
    if (!m_bOpen)
        return;
    m_pDevice->Close();
    m_bOpen = 0;
}
