#include "loss_processor.h"

#include "bark_scale.h"

#include <algorithm>

void CLossProcessor::BuildSmearTable()
{
    const double half = (1.0 - m_dResolution) * 6.0 * 0.5;  // Bark on each side
    // An audiogram's wider filters add to the slider's smearing (0 without).
    const double below = half + m_dSmearBelowBark;
    const double above = half + m_dSmearAboveBark;
    for (int i = 1; i < kBins; ++i) {
        const double z = HzToBark(22050.0 * i / 256.0);
        int low = static_cast<int>(BarkToHz(z - below) * 256.0 / 22050.0);
        // One above the floor of the upper quotient, also when it is whole;
        // with no smearing both ends then come from the same quotient.
        int high = 1 - static_cast<int>(-BarkToHz(z + above) * 256.0 / 22050.0);
        if (low < 0)
            low = 0;
        if (high > kBins - 1)
            high = kBins - 1;
        m_nSmearLow[i] = low;
        m_nSmearHigh[i] = high;
    }
    PrepareSmearWeights();
}

// The triangle weights depend only on the table, so they are worked out here
// once rather than for every frame.
void CLossProcessor::PrepareSmearWeights()
{
    m_nSmearGroups = 0;
    int next = 0;
    SmearGroup* group = nullptr;
    for (int i = 1; i < kBins; ++i) {
        const int lo = m_nSmearLow[i];
        const int hi = m_nSmearHigh[i];
        if (!(lo < i && i < hi))
            continue;
        if (!group || group->lanes == kSmearLanes) {
            if (group)
                next += group->length * kSmearLanes;
            group = &m_smearGroups[m_nSmearGroups++];
            *group = SmearGroup{};
            group->weightStart = next;
        }
        // A group is as long as its widest range; shorter ranges are padded
        // with weights of 0, which leave their sums unchanged.
        const int lane = group->lanes++;
        const int length = hi - lo + 1;
        if (length > group->length) {
            std::fill(&m_fSmearWeight[next + group->length * kSmearLanes],
                      &m_fSmearWeight[next + length * kSmearLanes], 0.0f);
            group->length = length;
        }
        group->bin[lane] = i;
        group->low[lane] = lo;
        float* const weights = &m_fSmearWeight[next];
        float sum = 0.0f;
        for (int j = lo; j <= hi; ++j) {
            const float w = j < i ? static_cast<float>(j - lo) / static_cast<float>(i - lo)
                                  : static_cast<float>(hi - j) / static_cast<float>(hi - i);
            weights[(j - lo) * kSmearLanes + lane] = w;
            sum += w;
        }
        for (int t = length; t < group->length; ++t)
            weights[t * kSmearLanes + lane] = 0.0f;
        group->weightSum[lane] = sum;
    }
}

void CLossProcessor::SmearSpectrum(float* spectrum, const float* magnitudes) const
{
    // Every bin takes the weighted mean of the unsmeared magnitudes around it
    // and keeps its phase. Padded lanes read zeros beyond the last bin.
    float m[2 * kBins];
    std::copy(magnitudes, magnitudes + kBins, m);
    std::fill(m + kBins, m + 2 * kBins, 0.0f);
    for (int g = 0; g < m_nSmearGroups; ++g) {
        const SmearGroup& group = m_smearGroups[g];
        const float* weight = &m_fSmearWeight[group.weightStart];
        float total[kSmearLanes] = {};
        for (int t = 0; t < group.length; ++t, weight += kSmearLanes)
            for (int lane = 0; lane < kSmearLanes; ++lane)
                total[lane] += weight[lane] * m[group.low[lane] + t];
        for (int lane = 0; lane < group.lanes; ++lane) {
            const int i = group.bin[lane];
            if (!(m[i] > 0.0f))
                continue;
            const float gain = total[lane] / group.weightSum[lane] / m[i];
            spectrum[2 * i] *= gain;
            spectrum[2 * i + 1] *= gain;
        }
    }
}
