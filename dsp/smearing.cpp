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
    SmearGroup* group = nullptr;
    for (int i = 1; i < kBins; ++i) {
        const int lo = m_nSmearLow[i];
        const int hi = m_nSmearHigh[i];
        if (!(lo < i && i < hi))
            continue;
        if (!group || group->lanes == kSmearLanes) {
            group = &m_smearGroups[m_nSmearGroups++];
            *group = SmearGroup{0, lo, 0, 0, {}, {}};
        }
        group->bin[group->lanes++] = i;
        group->first = std::min(group->first, lo);
    }
    // Each group's rows hold a weight for every lane at every bin it spans,
    // 0 outside the lane's own range; at most kBins rows for each of at most
    // kBins / kSmearLanes groups fit the store.
    int next = 0;
    for (int g = 0; g < m_nSmearGroups; ++g) {
        SmearGroup& current = m_smearGroups[g];
        int last = current.first;
        for (int lane = 0; lane < current.lanes; ++lane)
            last = std::max(last, m_nSmearHigh[current.bin[lane]]);
        current.span = last - current.first + 1;
        current.weightStart = next;
        float* const rows = &m_fSmearWeight[next];
        next += current.span * kSmearLanes;
        std::fill(rows, rows + current.span * kSmearLanes, 0.0f);
        for (int lane = 0; lane < current.lanes; ++lane) {
            const int i = current.bin[lane];
            const int lo = m_nSmearLow[i];
            const int hi = m_nSmearHigh[i];
            float sum = 0.0f;
            for (int j = lo; j <= hi; ++j) {
                const float w = j < i ? static_cast<float>(j - lo) / static_cast<float>(i - lo)
                                      : static_cast<float>(hi - j) / static_cast<float>(hi - i);
                rows[(j - current.first) * kSmearLanes + lane] = w;
                sum += w;
            }
            current.weightSum[lane] = sum;
        }
    }
}

void CLossProcessor::SmearSpectrum(float* spectrum, const float* magnitudes) const
{
    // Every bin takes the weighted mean of the unsmeared magnitudes around it
    // and keeps its phase.
    for (int g = 0; g < m_nSmearGroups; ++g) {
        const SmearGroup& group = m_smearGroups[g];
        float total[kSmearLanes];
        m_smearSums(&m_fSmearWeight[group.weightStart], magnitudes + group.first, group.span, total);
        for (int lane = 0; lane < group.lanes; ++lane) {
            const int i = group.bin[lane];
            if (!(magnitudes[i] > 0.0f))
                continue;
            const float gain = total[lane] / group.weightSum[lane] / magnitudes[i];
            spectrum[2 * i] *= gain;
            spectrum[2 * i + 1] *= gain;
        }
    }
}
