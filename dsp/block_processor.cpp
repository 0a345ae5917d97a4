#include "loss_processor.h"

#include "fourier_transform.h"
#include "frame_kernels.h"
#include "mem_play.h"
#include "sample_arithmetic.h"

#include <cstring>

void CLossProcessor::ProcessBlock()
{
    short input[kBlockInput] = {};
    m_sources.MixSources(m_bSourceOn, input, kBlockInput);
    m_sources.RewindSources(m_bSourceOn);

    // Normal hearing is the chain at no loss: smearing at setting 1.0 leaves
    // every bin as it is, the gain curve is the one of setting 1.0.
    const bool lossy = !m_bNormalHearing;
    const float* const highFreqGain = lossy ? m_fHighFreqGain : m_fNormalHighFreqGain;
    // Without a smeared bin (setting 1.0) the magnitudes are not needed.
    const bool smearing = lossy && m_nSmearGroups > 0;
    const bool audiogram = lossy && m_audiogram.Active();
    const bool presented = m_presentationLevel.has_value();
    if (presented && m_presentedSerial != m_sources.Serial(0))
        PreparePresentation();  // another speech recording was loaded
    // A presentation level or an audiogram in effect takes the float path:
    // overlap-add in float, the limiter, one dithered conversion. The
    // comparison without a presentation level is the plain chain, exactly.
    const bool floatPath = presented || audiogram;
    if (floatPath != m_bFloatBefore) {
        if (floatPath)
            m_floatOutput.TakeCarry(m_sOutput, kCarryOver);
        else
            m_floatOutput.GiveCarry(m_sOutput, kCarryOver);
        m_bFloatBefore = floatPath;
    }
    // The filters' levels follow the sound whenever an audiogram is chosen,
    // also while the comparison or the fixed attenuation is on, so that
    // switching back to recruitment finds them current.
    const bool measuring = m_bMeasureLevels || m_audiogram.Active();
    if (measuring)
        m_recruitment.BeginBlock(input, m_bMeasuredBefore, presented ? m_fPresentationGain : 1.0f, highFreqGain);
    m_bMeasuredBefore = measuring;
    float spectrum[kFrameSize];
    float magnitudes[kBins];
    short frame[kFrameSize];
    for (int k = 0; k < kFrames; ++k) {
        AnalyseFrame(input + kHop * k, spectrum);
        if (presented)
            for (float& value : spectrum)
                value *= m_fPresentationGain;
        if (smearing) {
            ComputeMagnitudes(spectrum, magnitudes);
            SmearSpectrum(spectrum, magnitudes);
        }
        spectrum[1] = 0.0f;  // nothing is kept at half the sampling rate
        for (int i = 0; i < kFrameSize; ++i)
            spectrum[i] *= highFreqGain[i];
        if (audiogram && m_bRecruitment) {
            m_recruitment.Apply(spectrum);
        } else {
            if (measuring)
                m_recruitment.Measure(spectrum);
            if (audiogram)
                m_audiogram.Apply(spectrum);
        }
        if (floatPath) {
            RealFourierTransform(spectrum, kFrameSize / 2, -1);
            m_floatOutput.AddFrame(kHop * k, spectrum);
        } else {
            SynthesiseFrame(frame, spectrum);
            AddSamples(m_sOutput + kHop * k, frame, kFrameSize);
        }
    }
    if (floatPath) {
        float* const block = m_floatOutput.Block();
        m_limiter.Process(block, kBlockOutput);
        // The display sees the block before the loudness setting's share of
        // the samples; without one, the output itself.
        const double gain = SetVolumeForLoudness(lossy ? m_dLoudness : 1.0);
        if (gain != 1.0) {
            RoundToSamples(block, m_sOutput, kBlockOutput);
            AnalyseDisplaySpectrum(m_sOutput);
        }
        for (int i = 0; i < kBlockOutput; ++i)
            m_fFloatBlock[i] = static_cast<float>(block[i] * gain);
        m_dither.Convert(m_fFloatBlock, m_sOutput, kBlockOutput);
        if (gain == 1.0)
            AnalyseDisplaySpectrum(m_sOutput);
        m_floatOutput.Advance(kBlockOutput, kCarryOver);
    } else {
        AnalyseDisplaySpectrum(m_sOutput);
        if (lossy)
            ApplyLoudness(m_sOutput, kBlockOutput);
        else
            ApplyLoudnessSetting(1.0, m_sOutput, kBlockOutput);
    }
    m_bFloatBlock = floatPath;
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
    WindowSamples(m_fAnalysisWindow, input, spectrum + lead, kFrameInput);
    std::memset(spectrum + lead + kFrameInput, 0, lead * sizeof(float));
    RealFourierTransform(spectrum, kFrameSize / 2, 1);
}

void CLossProcessor::ComputeMagnitudes(const float* spectrum, float* magnitudes, int bins)
{
    magnitudes[0] = spectrum[0];
    BinMagnitudes(spectrum, magnitudes, bins);
}

void CLossProcessor::SynthesiseFrame(short* output, float* spectrum) const
{
    RealFourierTransform(spectrum, kFrameSize / 2, -1);
    WindowToSamples(spectrum, m_fSynthesisWindow, kSynthesisScale, output, kFrameSize);
}
