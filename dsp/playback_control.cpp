#include "loss_processor.h"

#include "mem_play.h"

void CLossProcessor::ControlPlayback(IWaveOutPoster& window)
{
    const bool anyOn = m_bSourceOn[0] || m_bSourceOn[1] || m_bSourceOn[2];
    if (anyOn && !g_memPlay.m_bOpen) {
        // Four blocks fill the device's queue; if the device refused, they
        // are processed all the same and lost.
        g_memPlay.Open(window, kSampleRate);
        for (int block = 0; block < CMemPlay::kBufferCount; ++block)
            ProcessBlock();
    } else if (!anyOn && g_memPlay.m_bOpen) {
        g_memPlay.Stop();
    }
}

bool CLossProcessor::HandleBlockFinished(int opening)
{
    if (g_memPlay.IsStale(opening))
        return false;
    g_memPlay.BlockDone();
    ProcessBlock();
    return true;
}

void CLossProcessor::HandleDeviceClosed(int opening)
{
    if (!g_memPlay.IsStale(opening))
        g_memPlay.Close();
}
