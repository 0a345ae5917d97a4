#include "ear_chain.h"

#include "audiogram_smearing.h"
#include "fourier_transform.h"

CEarChain::CEarChain(const float* analysisWindow, int analysisLength, const float* synthesisWindow,
                     double synthesisScale)
{
    m_recruitment.SetAnalysisWindow(analysisWindow, analysisLength);
    m_output.SetSynthesisWindow(synthesisWindow, synthesisScale, kFrameSize);
}

void CEarChain::SetAudiogram(const CAudiogram* audiogram)
{
    m_stage.Build(audiogram);
    if (audiogram) {
        m_activeAudiogram = *audiogram;
        m_recruitment.Build(*audiogram);
    } else {
        m_activeAudiogram.reset();
    }
    UpdateSmearing();
}

void CEarChain::SetSmearingFromAudiogram(bool on)
{
    m_bSmearingFromAudiogram = on;
    UpdateSmearing();
}

void CEarChain::BuildSmearing(double sliderHalfBark)
{
    m_dSliderHalfBark = sliderHalfBark;
    UpdateSmearing();
}

void CEarChain::UpdateSmearing()
{
    double below = 0.0;
    double above = 0.0;
    if (m_bSmearingFromAudiogram && m_activeAudiogram) {
        const SmearingWidening widening = WideningFor(*m_activeAudiogram);
        below = widening.BarkBelow();
        above = widening.BarkAbove();
    }
    m_bOwnSmearing = below != 0.0 || above != 0.0;
    if (!m_bOwnSmearing)
        return;
    CSmearKernel::FillRanges(m_dSliderHalfBark + below, m_dSliderHalfBark + above, m_nSmearLow, m_nSmearHigh);
    m_smear.Prepare(m_nSmearLow, m_nSmearHigh);
}

void CEarChain::BeginBlock(const short* input, float inputGain, const float* highFreqGain, bool lossy)
{
    m_bLossy = lossy;
    // The filters' levels follow the sound whenever an audiogram is chosen,
    // also while the comparison or the fixed attenuation is on, so that
    // switching back to recruitment finds them current.
    m_bMeasuring = m_bMeasureLevels || m_stage.Active();
    if (m_bMeasuring)
        m_recruitment.BeginBlock(input, m_bMeasuredBefore, inputGain, highFreqGain);
    m_bMeasuredBefore = m_bMeasuring;
}

bool CEarChain::Smears(const CSmearKernel& sliderSmear) const
{
    return m_bLossy && (m_bOwnSmearing ? m_smear : sliderSmear).Active();
}

void CEarChain::Measure(const float* spectrum)
{
    if (m_bMeasuring)
        m_recruitment.Measure(spectrum);
}

void CEarChain::ProcessFrame(float* spectrum, const float* magnitudes, const CSmearKernel& sliderSmear,
                             const float* highFreqGain, int at)
{
    if (Smears(sliderSmear))
        (m_bOwnSmearing ? m_smear : sliderSmear).Apply(spectrum, magnitudes);
    spectrum[1] = 0.0f;  // nothing is kept at half the sampling rate
    for (int i = 0; i < kFrameSize; ++i)
        spectrum[i] *= highFreqGain[i];
    const bool loss = m_bLossy && m_stage.Active();
    if (loss && m_bRecruitment) {
        m_recruitment.Apply(spectrum);
    } else {
        Measure(spectrum);
        if (loss)
            m_stage.Apply(spectrum);
    }
    RealFourierTransform(spectrum, kFrameSize / 2, -1);
    m_output.AddFrame(at, spectrum);
}

float* CEarChain::FinishBlock(int count)
{
    float* const block = m_output.Block();
    m_limiter.Process(block, count);
    return block;
}
