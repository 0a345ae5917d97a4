#include "loss_processor.h"

#include "fourier_transform.h"
#include "frame_kernels.h"

#include <algorithm>
#include <cmath>

double CLossProcessor::SafeLog10(double x)
{
    return x < 0.00001 ? -5.0 : std::log10(x);
}

double CLossProcessor::BandLevel(const float* magnitudes, int lo, int hi)
{
    double sum = 0.0;
    for (int j = lo; j <= hi; ++j)
        sum += magnitudes[j];
    const double level = 20.0 * SafeLog10(sum);
    if (level > m_dMaxLevel)
        m_dMaxLevel = level;
    return level;
}

void CLossProcessor::ShowBands(const double* left, const double* right, bool stereo)
{
    for (int b = 0; b < kBands; ++b) {
        m_dBandLevel[b] = left[b];
        m_dBandLevelRight[b] = stereo ? right[b] : left[b];
        m_dMaxLevel = std::max({m_dMaxLevel, m_dBandLevel[b], m_dBandLevelRight[b]});
    }
    m_bStereoBlock = stereo;
}

void CLossProcessor::AnalyseDisplaySpectrum(const short* samples)
{
    AnalyseDisplayBands(samples, m_dBandLevel);
}

void CLossProcessor::AnalyseDisplayBands(const short* samples, double* levels)
{
    float buffer[kDisplaySize];
    WindowSamples(m_fDisplayWindow, samples, buffer, kDisplaySize);
    AnalyseWindowed(buffer, levels);
}

void CLossProcessor::AnalyseDisplayBands(const float* block, double* levels)
{
    // The display's window reaches past the block, where the float path's
    // output is silent.
    float buffer[kDisplaySize] = {};
    for (int i = 0; i < kBlockOutput; ++i)
        buffer[i] = m_fDisplayWindow[i] * block[i];
    AnalyseWindowed(buffer, levels);
}

void CLossProcessor::AnalyseWindowed(float* buffer, double* levels)
{
    RealFourierTransform(buffer, kDisplaySize / 2, 1);

    float magnitudes[kDisplaySize / 2];
    ComputeMagnitudes(buffer, magnitudes, kDisplaySize / 2);

    // Bands are one Bark wide; neighbours share their boundary bin.
    for (int b = 0; b < kBands; ++b) {
        const int lo = m_nBandEdgeHz[b] * 2048 / 22050;
        const int hi = m_nBandEdgeHz[b + 1] * 2048 / 22050;
        const double level = BandLevel(magnitudes, lo, hi);
        levels[b] = 0.5 * level + 0.5 * levels[b];
    }
}
