// Proves that processing a block, and the player's Write within it, never
// touch the heap: every allocation in this program is counted.

#include "audiogram_presets.h"
#include "loss_processor.h"
#include "mem_play.h"
#include "posted_event_queue.h"
#include "test_support.h"
#include "virtual_wave_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

TEST(NoAllocation, ProcessBlockAndWriteAllocateNothingAtAnySetting)
{
    CSourceBank sources;
    for (int source = 0; source < kSourceCount; ++source) {
        std::vector<short> samples(20000);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<short>((i * (source + 3) * 37) % 20000 - 10000);
        sources.m_pSourceData[source] = NewSamples(samples);
        sources.m_nSourceLen[source] = 20000;
    }
    const auto processor = std::make_unique<CLossProcessor>(sources);
    processor->m_bSourceOn[0] = processor->m_bSourceOn[1] = processor->m_bSourceOn[2] = 1;
    CManualWaveOut device;
    CPostedEventQueue reports;
    g_memPlay.SetDevice(&device);
    ASSERT_TRUE(g_memPlay.Open(reports, 44100));

    const CAudiogram& audiogram = FindAudiogramPreset("S2")->audiogram;
    for (double setting : {1.0, 0.4, 0.0}) {
        processor->m_dLoudness = processor->m_dHighFreq = processor->m_dResolution = setting;
        processor->BuildSmearTable();
        processor->BuildHighFreqGain();
        // Without an audiogram, with one, and in the comparison with normal hearing.
        processor->SetAudiogram(setting == 1.0 ? nullptr : &audiogram);
        processor->SetNormalHearing(setting == 0.0);
        const long before = g_allocations;
        processor->ProcessBlock();
        const short block[3968] = {1, 2, 3};
        EXPECT_EQ(g_memPlay.Write(block, sizeof block), 7936);
        EXPECT_EQ(g_allocations - before, 0) << "setting " << setting;
        // Hand both buffers back, so the ring never fills.
        device.FinishNext();
        device.FinishNext();
        g_memPlay.m_nQueued -= 2;
    }
    // The counter does see allocations.
    const long before = g_allocations;
    auto probe = std::make_unique<int>(1);
    EXPECT_EQ(g_allocations - before, 1);
    g_memPlay.Close();
    g_memPlay.SetDevice(nullptr);
}
