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
            m_livePlan = BeginBlockPlan(true);
            AddBlockInput(m_livePlan, m_sLiveInput, 0, kHop);
        }
        AddBlockInput(m_livePlan, m_sLiveInput + kHop, kHop * (k + 1), kHop);
        ProcessFrame(m_livePlan, m_sLiveInput, k);
        const int at = kHop * k;
        FinishSamples(m_livePlan, at, kHop);
        const short* const right = RightPlayed(m_livePlan);
        for (int i = 0; i < kHop; ++i) {
            output[2 * i] = m_sPlayed[at + i];
            output[2 * i + 1] = right[at + i];
        }
        if (k == kFrames - 1)
            EndBlock(m_livePlan);
        m_liveGuard.Process(output, kHop);
    }
    std::memcpy(m_sLiveInput, m_sLiveInput + kHop, kHop * sizeof(short));
    ++m_nLiveHops;
}
