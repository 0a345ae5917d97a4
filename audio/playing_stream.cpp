#include "playing_stream.h"

#include "output_volume.h"

bool CPlayingStream::NextSample(short& sample)
{
    CBufferQueue::Buffer buffer;
    if (!m_queue.Front(buffer))
        return false;
    sample = buffer.samples[m_offset];
    if (++m_offset == buffer.count) {
        m_offset = 0;
        m_queue.Pop();
        m_finished.fetch_add(1, std::memory_order_release);
        if (m_queue.Count() == 0)
            m_timesRunDry.fetch_add(1, std::memory_order_relaxed);
    }
    return true;
}

void CPlayingStream::Play(short* output, unsigned long frames)
{
    const std::uint32_t volume = OutputVolume();
    const unsigned left = LeftVolume(volume);
    const unsigned right = RightVolume(volume);
    const bool givenUp = m_givenUp.load(std::memory_order_acquire);
    for (unsigned long frame = 0; frame < frames; ++frame) {
        short sample = 0;
        short rightSample = 0;
        const bool playing = !givenUp && NextSample(sample);
        if (playing) {
            rightSample = sample;
            // A stereo buffer holds whole frames, so its right sample follows.
            if (m_sourceChannels == 2)
                NextSample(rightSample);
            m_silentFrames.store(0, std::memory_order_relaxed);
        } else {
            m_silentFrames.fetch_add(1, std::memory_order_relaxed);
        }
        if (m_channels == 1) {
            output[frame] = ScaleByVolume(sample, left);
        } else {
            output[2 * frame] = ScaleByVolume(sample, left);
            output[2 * frame + 1] = ScaleByVolume(rightSample, right);
        }
    }
}
