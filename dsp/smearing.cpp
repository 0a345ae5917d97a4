#include "loss_processor.h"

#include "bark_scale.h"

void CLossProcessor::BuildSmearTable()
{
    const double half = (1.0 - m_dResolution) * 6.0 * 0.5;  // Bark on each side
    for (int i = 1; i < kBins; ++i) {
        const double z = HzToBark(22050.0 * i / 256.0);
        int low = static_cast<int>(BarkToHz(z - half) * 256.0 / 22050.0);
        // One above the floor of the upper quotient, also when it is whole;
        // with no smearing both ends then come from the same quotient.
        int high = 1 - static_cast<int>(-BarkToHz(z + half) * 256.0 / 22050.0);
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
    m_nSmearedBins = 0;
    int next = 0;
    for (int i = 1; i < kBins; ++i) {
        const int lo = m_nSmearLow[i];
        const int hi = m_nSmearHigh[i];
        if (!(lo < i && i < hi))
            continue;
        SmearedBin& smeared = m_smearedBins[m_nSmearedBins++];
        smeared.bin = i;
        smeared.weightStart = next;
        float weights = 0.0f;
        for (int j = lo; j < i; ++j) {
            const float w = static_cast<float>(j - lo) / static_cast<float>(i - lo);
            m_fSmearWeight[next++] = w;
            weights += w;
        }
        for (int j = i; j <= hi; ++j) {
            const float w = static_cast<float>(hi - j) / static_cast<float>(hi - i);
            m_fSmearWeight[next++] = w;
            weights += w;
        }
        smeared.weightSum = weights;
    }
}

void CLossProcessor::SmearSpectrum(float* spectrum, const float* magnitudes) const
{
    // Every bin takes the weighted mean of the unsmeared magnitudes around it
    // and keeps its phase.
    for (int s = 0; s < m_nSmearedBins; ++s) {
        const SmearedBin& smeared = m_smearedBins[s];
        const int i = smeared.bin;
        if (!(magnitudes[i] > 0.0f))
            continue;
        const int lo = m_nSmearLow[i];
        const int count = m_nSmearHigh[i] - lo + 1;
        const float* weight = &m_fSmearWeight[smeared.weightStart];
        float total = 0.0f;
        for (int t = 0; t < count; ++t)
            total += weight[t] * magnitudes[lo + t];
        const float g = total / smeared.weightSum / magnitudes[i];
        spectrum[2 * i] *= g;
        spectrum[2 * i + 1] *= g;
    }
}
