#include "loss_processor.h"

#include <cstring>

void CLossProcessor::ProcessHop(const short* input, short* output)
{
    // Frame f takes the previous hop and this one; its first kHop output
    // samples are then final, as nothing later reaches them.
    std::memcpy(m_sLiveInput + kHop, input, kHop * sizeof(short));
    if (m_nLiveHops == 0) {
        std::memset(output, 0, 2 * kHop * sizeof(short));
    } else {
        const int k = static_cast<int>((m_nLiveHops - 1) % kFrames);
        if (k == 0) {
            // Ears that come in take over the carry of those the last block ran.
            HandOverEars(m_livePlan.firstEar, m_livePlan.stereo);
            m_livePlan = BeginBlockPlan();
            AddBlockInput(m_livePlan, m_sLiveInput, 0, kHop);
        }
        AddBlockInput(m_livePlan, m_sLiveInput + kHop, kHop * (k + 1), kHop);
        ProcessFrame(m_livePlan, m_sLiveInput, k);
        FinishHop(k, output);
        if (k == kFrames - 1)
            EndLiveBlock();
        m_liveGuard.Process(output, kHop);
    }
    std::memcpy(m_sLiveInput, m_sLiveInput + kHop, kHop * sizeof(short));
    ++m_nLiveHops;
}

void CLossProcessor::FinishHop(int k, short* output)
{
    const BlockPlan& plan = m_livePlan;
    const int at = kHop * k;
    short* const left = m_sOutput + at;
    const short* right = left;
    if (plan.floatPath) {
        const double gain = SetVolumeForLoudness(plan.lossy ? m_dLoudness : 1.0);
        ConvertScaled(plan.first->FinishSamples(at, kHop), gain, m_fFloatBlock + at, left, kHop, false);
        if (plan.second) {
            right = m_sOutputRight + at;
            ConvertScaled(plan.second->FinishSamples(at, kHop), gain, m_fFloatBlockRight + at, m_sOutputRight + at,
                          kHop, true);
        }
        for (int i = 0; i < kHop; ++i) {
            output[2 * i] = left[i];
            output[2 * i + 1] = right[i];
        }
        return;
    }
    // The plain chain's accumulator keeps its samples for the display until
    // the block ends; the hop leaves with the loudness applied.
    short hop[kHop];
    std::memcpy(hop, left, sizeof hop);
    if (plan.lossy)
        ApplyLoudness(hop, kHop);
    else
        ApplyLoudnessSetting(1.0, hop, kHop);
    for (int i = 0; i < kHop; ++i)
        output[2 * i] = output[2 * i + 1] = hop[i];
}

void CLossProcessor::EndLiveBlock()
{
    const BlockPlan& plan = m_livePlan;
    if (plan.floatPath)
        AnalyseDisplayBands(m_fFloatBlock, m_dBandLevel);
    else
        AnalyseDisplaySpectrum(m_sOutput);
    // A plain stereo block (the comparison) is the same sound in both ears.
    if (plan.second && plan.floatPath)
        AnalyseDisplayBands(m_fFloatBlockRight, m_dBandLevelRight);
    else if (plan.stereo)
        std::memcpy(m_dBandLevelRight, m_dBandLevel, sizeof m_dBandLevel);
    if (plan.floatPath) {
        plan.first->Output().Advance(kBlockOutput, kCarryOver);
        if (plan.second)
            plan.second->Output().Advance(kBlockOutput, kCarryOver);
    }
    m_bFloatBlock = plan.floatPath;
    m_bStereoBlock = plan.stereo;
    CarryOver();
    BlockProcessed();
}
