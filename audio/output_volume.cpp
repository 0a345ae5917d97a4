#include "output_volume.h"

#include <atomic>
#include <cmath>

namespace {

// Written on the user-interface thread, read by devices on their own threads.
std::atomic<std::uint32_t> g_outputVolume{0xFFFFFFFFu};

}  // namespace

void SetOutputVolume(std::uint32_t volumeWord)
{
    g_outputVolume.store(volumeWord, std::memory_order_relaxed);
}

std::uint32_t OutputVolume()
{
    return g_outputVolume.load(std::memory_order_relaxed);
}

short ScaleByVolume(short sample, unsigned channelVolume)
{
    return static_cast<short>(std::lround(sample * (channelVolume / 65535.0)));
}
