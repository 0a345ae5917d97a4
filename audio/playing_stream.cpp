#include "playing_stream.h"

#include "output_volume.h"

void CPlayingStream::Play(short* output, unsigned long frames)
{
    const std::uint32_t volume = OutputVolume();
    const unsigned left = LeftVolume(volume);
    const unsigned right = RightVolume(volume);
    const bool givenUp = m_givenUp.load(std::memory_order_acquire);
    for (unsigned long frame = 0; frame < frames; ++frame) {
        short sample = 0;
        CBufferQueue::Buffer buffer;
        if (!givenUp && m_queue.Front(buffer)) {
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
