#include "live_engine.h"

#include "output_volume.h"

#include <algorithm>

CLiveEngine::CRunning::CRunning(CLiveEngine& engine) : CLossProcessor(engine.m_noSources, SettingsOnly{}), m_engine(engine)
{
}

void CLiveEngine::CRunning::BlockProcessed()
{
    LiveBands& bands = m_engine.m_bands.Back();
    std::copy(m_dBandLevel, m_dBandLevel + kBands, bands.left);
    std::copy(RightBandLevel(), RightBandLevel() + kBands, bands.right);
    bands.stereo = StereoBlock();
    bands.maxLevel = m_dMaxLevel;
    const CRecruitmentStage& levels = EarChain(FirstEar()).RecruitmentStage();
    for (int b = 0; b < kBands; ++b)
        bands.splPeak[b] = levels.BlockPeakLevel(b + 1);
    m_engine.m_bands.Publish();
}

CLiveEngine::CLiveEngine(bool applyVolume) : m_applyVolume(applyVolume) {}

void CLiveEngine::ProcessHop(const short* input, short* output)
{
    if (CLiveSettings* settings = m_settings.Take()) {
        m_processor.TakeSettings(*settings);
        m_settings.GiveBack(settings);
    }
    if (m_unmute.exchange(false, std::memory_order_acq_rel))
        m_processor.UnmuteLive();
    m_processor.ProcessHop(input, output);
    if (!m_applyVolume)
        return;
    const std::uint32_t volume = m_processor.LiveVolume();
    for (int i = 0; i < CLossProcessor::kHop; ++i) {
        output[2 * i] = ScaleByVolume(output[2 * i], LeftVolume(volume));
        output[2 * i + 1] = ScaleByVolume(output[2 * i + 1], RightVolume(volume));
    }
}
