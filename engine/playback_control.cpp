#include "loss_processor.h"

#include "mem_play.h"

void CLossProcessor::ControlPlayback(IWaveOutPoster& window)
{
    const bool anyOn = m_bSourceOn[0] || m_bSourceOn[1] || m_bSourceOn[2];
    const int channels = Stereo() ? 2 : 1;
    // Between one ear heard and two, the player starts again in the other
    // layout.
    if (anyOn && g_memPlay.m_bOpen && g_memPlay.m_format.channels != channels)
        g_memPlay.Stop();
    if (anyOn && !g_memPlay.m_bOpen) {
        // Four blocks fill the device's queue; if the device refused, they
        // are processed all the same and lost.
        g_memPlay.Open(window, kSampleRate, channels);
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
