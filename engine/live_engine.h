#pragma once

#include "hand_over.h"
#include "latest_value.h"
#include "live_stream.h"
#include "loss_processor.h"

#include <atomic>
#include <memory>

// The band levels of the last block the live path made, for the display.
struct LiveBands {
    double left[CLossProcessor::kBands];
    double right[CLossProcessor::kBands];  // the left's unless stereo
    bool stereo;
    double maxLevel;  // the highest band level so far
    // The sound at the ear heard first before its loss, in dB SPL: each
    // band's loudest auditory filter at its highest in the block (band b from
    // b + 1 to b + 2 Bark); 0 where the levels are not followed.
    double splPeak[CLossProcessor::kBands];
};

// The live path as a sound thread runs it: a processor of its own, whose
// settings the user-interface thread replaces whole (Post, with a
// CLiveSettings) and which takes them between two hops; the band
// levels of every block it ends go back the other way. Neither thread waits
// for the other; the sound thread never allocates.
class CLiveEngine final : public ILiveHop {
public:
    // `applyVolume`: the hops leave at the output volume the loudness setting
    // sets, as a device plays them.
    explicit CLiveEngine(bool applyVolume = true);

    // User-interface thread.
    void Post(std::unique_ptr<CLiveSettings> settings) { m_settings.Post(std::move(settings)); }
    // Frees settings the sound thread is done with; call it now and then.
    void Reclaim() { m_settings.Reclaim(); }
    // The newest block's band levels, when one came since the last call.
    bool LatestBands(LiveBands& bands) { return m_bands.Read(bands); }
    // Whether feedback muted the output (not once sound is asked for again),
    // and sound again after it.
    bool Muted() const { return !m_unmute.load(std::memory_order_acquire) && m_processor.LiveMuted(); }
    void Unmute() { m_unmute.store(true, std::memory_order_release); }

    // Sound thread.
    void ProcessHop(const short* input, short* output) override;

private:
    class CRunning final : public CLossProcessor {
    public:
        explicit CRunning(CLiveEngine& engine);

    protected:
        void BlockProcessed() override;

    private:
        CLiveEngine& m_engine;
    };

    CSourceBank m_noSources;  // the recordings are not played live
    CRunning m_processor{*this};
    CHandOver<CLiveSettings> m_settings;
    CLatestValue<LiveBands> m_bands;
    std::atomic<bool> m_unmute{false};
    const bool m_applyVolume;
};
