// Proves that processing a block, and the player's Write within it, never
// touch the heap: every allocation in this program is counted.

#include "audiogram_presets.h"
#include "live_engine.h"
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
#include <optional>
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
        sources.ReplaceSource(source, NewSamples(samples), 20000, false);
    }
    const auto processor = std::make_unique<CLossProcessor>(sources);
    processor->m_bSourceOn[0] = processor->m_bSourceOn[1] = processor->m_bSourceOn[2] = 1;
    CManualWaveOut device;
    CPostedEventQueue reports;
    g_memPlay.SetDevice(&device);
    ASSERT_TRUE(g_memPlay.Open(reports, 44100, 2));  // two ears, each on its channel

    const CAudiogram* const s2 = &FindAudiogramPreset("S2")->audiogram;
    const CAudiogram* const n3 = &FindAudiogramPreset("N3")->audiogram;
    struct Case {
        double setting;
        const CAudiogram* left;
        const CAudiogram* right;
        bool recruitment;  // otherwise the fixed attenuation, with the levels measured for the display
        bool listeningLevel;  // full scale at 80 dB SPL, speech presented at 80 under the limiter, which acts;
                              // smearing from the audiogram
        bool normalHearing;
    };
    const Case cases[] = {
        {1.0, nullptr, nullptr, true, false, false}, {0.4, s2, s2, true, true, false},
        {0.4, s2, n3, false, true, false},           {0.0, nullptr, s2, true, false, false},
        {0.0, n3, s2, true, true, false},            {0.0, s2, s2, true, true, true},
    };
    for (const Case& c : cases) {
        processor->m_dLoudness = processor->m_dHighFreq = processor->m_dResolution = c.setting;
        processor->BuildSmearTable();
        processor->BuildHighFreqGain();
        processor->SetEarAudiogram(Ear::Left, c.left);
        processor->SetEarAudiogram(Ear::Right, c.right);
        processor->SetRecruitment(c.recruitment);
        processor->SetLevelMeasurement(!c.recruitment);
        processor->SetAudiogramSmearing(c.listeningLevel);
        processor->SetFullScaleLevel(c.listeningLevel ? 80.0 : 100.0);
        processor->SetPresentationLevel(c.listeningLevel ? std::optional<double>(80.0) : std::nullopt);
        processor->SetNormalHearing(c.normalHearing);
        const long before = g_allocations;
        processor->ProcessBlock();
        // The live path, across a block's end (31 hops a block).
        short hopIn[CLossProcessor::kHop] = {100, -200, 300};
        short hopOut[2 * CLossProcessor::kHop];
        for (int hop = 0; hop < 40; ++hop)
            processor->ProcessHop(hopIn, hopOut);
        const short block[3968] = {1, 2, 3};
        EXPECT_EQ(g_memPlay.Write(block, sizeof block), 7936);
        EXPECT_EQ(g_allocations - before, 0) << "setting " << c.setting << ", audiograms " << c.left << " " << c.right
                                             << ", recruitment " << c.recruitment << ", listening level "
                                             << c.listeningLevel << ", normal hearing " << c.normalHearing;
        if (c.listeningLevel) {
            EXPECT_LT(processor->EarChain(Ear::Left).Limiter().Gain(), 1.0) << "the limiter's working loop ran";
        }
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

TEST(NoAllocation, TheLiveEngineTakesSettingsWithinAndBetweenBlocksWithoutTheHeap)
{
    CSourceBank sources;
    CLossProcessor window(sources);
    CLiveEngine engine;
    const CAudiogram* const s2 = &FindAudiogramPreset("S2")->audiogram;
    const CAudiogram* const n3 = &FindAudiogramPreset("N3")->audiogram;
    short hopIn[CLossProcessor::kHop] = {100, -200, 300};
    short hopOut[2 * CLossProcessor::kHop];
    // Thirteen hops per change: the changes fall on every phase of the
    // 31-hop block in turn, and between blocks.
    for (int change = 0; change < 40; ++change) {
        window.m_dResolution = window.m_dHighFreq = 0.25 * (change % 5);
        window.BuildSmearTable();
        window.BuildHighFreqGain();
        window.SetEarAudiogram(Ear::Left, change % 3 ? s2 : nullptr);
        window.SetEarAudiogram(Ear::Right, change % 4 ? n3 : s2);
        window.SetRecruitment(change % 2 == 0);
        window.SetAudiogramSmearing(change % 6 < 3);
        window.SetEarsHeard(change % 7 == 0 ? EarsHeard::Right : EarsHeard::Both);
        window.SetNormalHearing(change % 5 == 1);
        window.SetPresentationLevel(change % 8 == 0 ? std::optional<double>(70.0) : std::nullopt);
        window.SetEarAid(Ear::Left, change % 3 == 1 ? AidRule::Fig6 : AidRule::Off);
        window.SetEarAid(Ear::Right, change % 4 == 1 ? AidRule::NalR : AidRule::Fig6);
        window.SetAided(change % 9 != 4);
        ImplantSettings implant;
        implant.carrier = change % 2 ? ImplantCarrier::Sine : ImplantCarrier::Noise;
        implant.spreadDbPerMm = 2.8;
        implant.nOfM = 6;
        window.SetEarImplant(Ear::Left, change % 5 == 2 ? std::optional<ImplantSettings>(implant) : std::nullopt);
        engine.Post(std::make_unique<CLiveSettings>(window));
        const long before = g_allocations;
        for (int hop = 0; hop < 13; ++hop)
            engine.ProcessHop(hopIn, hopOut);
        EXPECT_EQ(g_allocations - before, 0) << "change " << change;
    }
}
