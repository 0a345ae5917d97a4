#include "loss_processor.h"

#include "fourier_transform.h"
#include "mem_play.h"
#include "sample_arithmetic.h"

#include <cmath>
#include <cstring>

void CLossProcessor::ProcessBlock()
{
    short input[kBlockInput] = {};
    m_sources.MixSources(m_bSourceOn, input, kBlockInput);
    m_sources.RewindSources(m_bSourceOn);

    float spectrum[kFrameSize];
    float magnitudes[kBins];
    short frame[kFrameSize];
    for (int k = 0; k < kFrames; ++k) {
        AnalyseFrame(input + kHop * k, spectrum);
        ComputeMagnitudes(spectrum, magnitudes);
        SmearSpectrum(spectrum, magnitudes);
        spectrum[1] = 0.0f;  // nothing is kept at half the sampling rate
        for (int i = 0; i < kFrameSize; ++i)
            spectrum[i] *= m_fHighFreqGain[i];
        SynthesiseFrame(frame, spectrum);
        short* const output = m_sOutput + kHop * k;
        for (int n = 0; n < kFrameSize; ++n)
            output[n] = AddSamples(output[n], frame[n]);
    }

    AnalyseDisplaySpectrum(m_sOutput);
    ApplyLoudness(m_sOutput, kBlockOutput);
    g_memPlay.Write(m_sOutput, kBlockOutput * 2);

    // The last frames' partial sums carry over into the next block.
    std::memmove(m_sOutput, m_sOutput + kBlockOutput, kCarryOver * sizeof(short));
    std::memset(m_sOutput + kCarryOver, 0, (kOutputSize - kCarryOver) * sizeof(short));
    BlockProcessed();
}

void CLossProcessor::AnalyseFrame(const short* input, float* spectrum) const
{
    // The windowed samples sit in the middle half, between zeros.
    const int lead = (kFrameSize - kFrameInput) / 2;
    std::memset(spectrum, 0, lead * sizeof(float));
    for (int i = 0; i < kFrameInput; ++i)
        spectrum[lead + i] = m_fAnalysisWindow[i] * input[i];
    std::memset(spectrum + lead + kFrameInput, 0, lead * sizeof(float));
    RealFourierTransform(spectrum, kFrameSize / 2, 1);
}

void CLossProcessor::ComputeMagnitudes(const float* spectrum, float* magnitudes, int bins)
{
    magnitudes[0] = spectrum[0];
    for (int k = 1; k < bins; ++k) {
        const double re = spectrum[2 * k];
        const double im = spectrum[2 * k + 1];
        magnitudes[k] = std::sqrt(static_cast<float>(re * re + im * im));
    }
}

void CLossProcessor::SynthesiseFrame(short* output, float* spectrum) const
{
    RealFourierTransform(spectrum, kFrameSize / 2, -1);
    // 1/256 undoes the gain of the forward and inverse transforms.
    for (int n = 0; n < kFrameSize; ++n)
        output[n] = SaturateToSample(static_cast<double>(spectrum[n]) * m_fSynthesisWindow[n] * 0.00390625);
}
