#include "smear_kernel.h"

#include "bark_scale.h"

#include <algorithm>

CSmearKernel::CSmearKernel()
    : m_sums(SmearSumsFor(ChosenVectorPath()))
{
}

void CSmearKernel::FillRanges(double belowBark, double aboveBark, int* low, int* high)
{
    for (int i = 1; i < kBins; ++i) {
        const double z = HzToBark(22050.0 * i / 256.0);
        int lo = static_cast<int>(BarkToHz(z - belowBark) * 256.0 / 22050.0);
        // One above the floor of the upper quotient, also when it is whole;
        // with no smearing both ends then come from the same quotient.
        int hi = 1 - static_cast<int>(-BarkToHz(z + aboveBark) * 256.0 / 22050.0);
        low[i] = std::max(lo, 0);
        high[i] = std::min(hi, kBins - 1);
    }
}

// The triangle weights depend only on the table, so they are worked out here
// once rather than for every frame.
void CSmearKernel::Prepare(const int* low, const int* high)
{
    m_nGroups = 0;
    Group* group = nullptr;
    for (int i = 1; i < kBins; ++i) {
        const int lo = low[i];
        const int hi = high[i];
        if (!(lo < i && i < hi))
            continue;
        if (!group || group->lanes == kSmearLanes) {
            group = &m_groups[m_nGroups++];
            *group = Group{0, lo, 0, 0, {}, {}};
        }
        group->bin[group->lanes++] = i;
        group->first = std::min(group->first, lo);
    }
    // Each group's rows hold a weight for every lane at every bin it spans,
    // 0 outside the lane's own range. The store grows to what the table
    // needs (at most kBins rows for each of at most kBins / kSmearLanes
    // groups): tables are prepared off the sound thread, where memory is
    // only touched as far as it is used.
    int next = 0;
    for (int g = 0; g < m_nGroups; ++g) {
        Group& current = m_groups[g];
        int last = current.first;
        for (int lane = 0; lane < current.lanes; ++lane)
            last = std::max(last, high[current.bin[lane]]);
        current.span = last - current.first + 1;
        current.weightStart = next;
        next += current.span * kSmearLanes;
    }
    if (m_weight.size() < static_cast<std::size_t>(next))
        m_weight.resize(static_cast<std::size_t>(next));
    for (int g = 0; g < m_nGroups; ++g) {
        Group& current = m_groups[g];
        float* const rows = &m_weight[static_cast<std::size_t>(current.weightStart)];
        std::fill(rows, rows + current.span * kSmearLanes, 0.0f);
        for (int lane = 0; lane < current.lanes; ++lane) {
            const int i = current.bin[lane];
            const int lo = low[i];
            const int hi = high[i];
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

void CSmearKernel::Apply(float* spectrum, const float* magnitudes) const
{
    for (int g = 0; g < m_nGroups; ++g) {
        const Group& group = m_groups[g];
        float total[kSmearLanes];
        m_sums(&m_weight[group.weightStart], magnitudes + group.first, group.span, total);
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
