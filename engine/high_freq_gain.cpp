#include "loss_processor.h"

#include "bark_scale.h"

double g_dGainCurveSetting = 0.0;

namespace {

// Cutoff in Bark for a high-frequency setting: 24.4 at 1 down to 4 at 0.
double CutoffBark(double s)
{
    if (s > 0.9)
        return 48.0 * s - 23.6;
    if (s > 0.66)
        return 24.0 * s - 2.0;
    if (s > 0.33)
        return 18.0 * s + 2.0;
    return 12.0 * s + 4.0;
}

}  // namespace

void CLossProcessor::BuildHighFreqGain()
{
    const double s = m_dHighFreq;
    if (s == *m_pGainCurveSetting)
        return;  // the table is current
    FillHighFreqGain(s, m_fHighFreqGain);
    *m_pGainCurveSetting = s;
}

void CLossProcessor::FillHighFreqGain(double s, float* table)
{
    const double cutoff = CutoffBark(s);
    const int nCut = static_cast<int>(BarkToHz(cutoff) * 256.0 / 22050.0);
    const int nEnd = static_cast<int>(BarkToHz(cutoff + 2.0) * 256.0 / 22050.0);
    // Full gain below the cutoff, a linear ramp over 2 Bark, then nothing.
    for (int k = 0; k < kBins; ++k) {
        float gain = 0.0f;
        if (k < nCut)
            gain = 1.0f;
        else if (k < nEnd)
            gain = static_cast<float>(static_cast<double>(nEnd - k) / (nEnd - nCut));
        table[2 * k] = gain;
        table[2 * k + 1] = gain;
    }
}
