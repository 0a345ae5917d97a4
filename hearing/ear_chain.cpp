#include "ear_chain.h"

#include "audiogram_smearing.h"
#include "fourier_transform.h"

#include <algorithm>
#include <utility>

CEarChain::CEarChain(const float* analysisWindow, int analysisLength, const float* synthesisWindow,
                     double synthesisScale)
    : m_implant(analysisWindow, analysisLength, synthesisWindow)
{
    m_recruitment.SetAnalysisWindow(analysisWindow, analysisLength);
    m_aidStage.SetAnalysisWindow(analysisWindow, analysisLength);
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
    FitAid();
}

void CEarChain::SetFullScaleLevel(double dbSpl)
{
    m_dFullScaleSpl = dbSpl;
    m_recruitment.SetFullScaleLevel(dbSpl);
    m_aidStage.SetFullScaleLevel(dbSpl);
    UpdateCeiling();
}

void CEarChain::SetLimiterCeiling(double peak)
{
    m_dPresentationCeiling = peak;
    UpdateCeiling();
}

void CEarChain::UpdateCeiling()
{
    // An aid may make sounds loud, never dangerous.
    const double aid = m_aidStage.Active() ? LimiterCeiling(m_dFullScaleSpl) : HUGE_VAL;
    m_limiter.SetCeiling(std::min(m_dPresentationCeiling, aid));
}

void CEarChain::SetAidRule(AidRule rule)
{
    m_aidRule = rule;
    FitAid();
}

void CEarChain::FitAid()
{
    if (m_aidRule != AidRule::Off && m_activeAudiogram)
        m_aidFitting.emplace(m_aidRule, *m_activeAudiogram);
    else
        m_aidFitting.reset();
    m_aidStage.Fit(m_aidFitting ? &*m_aidFitting : nullptr);
    UpdateCeiling();
}

void CEarChain::SetEarLoss(bool on)
{
    m_bEarLoss = on;
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
    if (m_bSmearingFromAudiogram && m_bEarLoss && m_activeAudiogram) {
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

void CEarChain::BeginBlock(float inputGain, const float* highFreqGain, bool lossy)
{
    m_bLossy = lossy;
    // The filters' levels follow the sound whenever an audiogram is chosen,
    // also while the comparison or the fixed attenuation is on, so that
    // switching back to recruitment finds them current; not while an implant
    // is heard instead (switched off, it is like an audiogram newly chosen).
    m_bMeasuring = m_bMeasureLevels || (m_stage.Active() && !(lossy && m_implant.Active()));
    m_bContinuing = m_bMeasuredBefore;
    if (m_bMeasuring)
        m_recruitment.BeginBlock(m_bContinuing, inputGain, MeasuredGain(highFreqGain));
    m_bMeasuredBefore = m_bMeasuring;
}

void CEarChain::TakeSettings(CEarChain& from)
{
    std::swap(m_stage, from.m_stage);
    m_activeAudiogram.swap(from.m_activeAudiogram);
    m_recruitment.TakeLaw(from.m_recruitment);
    m_bRecruitment = from.m_bRecruitment;
    m_bMeasureLevels = from.m_bMeasureLevels;
    m_bSmearingFromAudiogram = from.m_bSmearingFromAudiogram;
    m_bOwnSmearing = from.m_bOwnSmearing;
    m_dSliderHalfBark = from.m_dSliderHalfBark;
    std::copy(from.m_nSmearLow, from.m_nSmearLow + kBins, m_nSmearLow);
    std::copy(from.m_nSmearHigh, from.m_nSmearHigh + kBins, m_nSmearHigh);
    std::swap(m_smear, from.m_smear);
    m_limiter.SetCeiling(from.m_limiter.Ceiling());
    m_dFullScaleSpl = from.m_dFullScaleSpl;
    m_dPresentationCeiling = from.m_dPresentationCeiling;
    m_aidRule = from.m_aidRule;
    m_aidFitting.swap(from.m_aidFitting);
    m_aidStage.TakeFitting(from.m_aidStage);
    m_bAided = from.m_bAided;
    m_bEarLoss = from.m_bEarLoss;
    m_implant.TakeSettings(from.m_implant);
}

void CEarChain::ContinueBlock(float inputGain, const float* highFreqGain, bool lossy)
{
    m_bLossy = lossy;
    if (m_bMeasuring)
        m_recruitment.SetGains(inputGain, MeasuredGain(highFreqGain));
}

void CEarChain::AddInput(const short* input, int position, int count)
{
    if (!m_bMeasuring)
        return;
    const int skip = m_bContinuing ? std::max(0, CLowFrequencyAnalysis::kFirstNewSample - position) : 0;
    if (skip < count)
        m_recruitment.AddInput(input + skip, position + skip, count - skip);
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

void CEarChain::SetImplant(const std::optional<ImplantSettings>& settings)
{
    m_implant.Build(settings ? &*settings : nullptr);
}

std::optional<ImplantSettings> CEarChain::Implant() const
{
    return m_implant.Active() ? std::optional<ImplantSettings>(m_implant.Settings()) : std::nullopt;
}

void CEarChain::ProcessImplantFrame(float* spectrum, const float* magnitudes, const CSmearKernel& sliderSmear,
                                    const float* highFreqGain)
{
    m_nAidFrames = 0;
    if (sliderSmear.Active())
        sliderSmear.Apply(spectrum, magnitudes);
    spectrum[1] = 0.0f;
    for (int i = 0; i < kFrameSize; ++i)
        spectrum[i] *= highFreqGain[i];
    Measure(spectrum);
    m_implant.Process(spectrum);
}

void CEarChain::ProcessFrame(float* spectrum, const float* magnitudes, const CSmearKernel& sliderSmear,
                             const float* highFreqGain, int at)
{
    if (m_bLossy && m_implant.Active()) {
        ProcessImplantFrame(spectrum, magnitudes, sliderSmear, highFreqGain);
        RealFourierTransform(spectrum, kFrameSize / 2, -1);
        m_output.AddFrame(at, spectrum);
        return;
    }
    const bool smears = Smears(sliderSmear);
    m_nAidFrames = AidHeard() ? std::min(m_nAidFrames + 1, kAidFadeFrames) : std::max(m_nAidFrames - 1, 0);
    if (m_aidStage.Active() && m_nAidFrames == 0) {
        m_aidStage.Follow(spectrum);
        std::copy(highFreqGain, highFreqGain + kFrameSize, m_fMeasuredGain);
    }
    if (m_aidStage.Active() && m_nAidFrames > 0) {
        m_aidStage.Apply(spectrum, m_fAidGain, static_cast<float>(m_nAidFrames) / kAidFadeFrames);
        for (int i = 0; i < kFrameSize; ++i)
            m_fMeasuredGain[i] = highFreqGain[i] * m_fAidGain[i];
        if (smears) {
            for (int k = 0; k < kBins; ++k)
                m_fAidedMagnitudes[k] = magnitudes[k] * m_fAidGain[2 * k];
            magnitudes = m_fAidedMagnitudes;
        }
    }
    if (smears)
        (m_bOwnSmearing ? m_smear : sliderSmear).Apply(spectrum, magnitudes);
    spectrum[1] = 0.0f;  // nothing is kept at half the sampling rate
    for (int i = 0; i < kFrameSize; ++i)
        spectrum[i] *= highFreqGain[i];
    const bool loss = m_bLossy && m_bEarLoss && m_stage.Active();
    // The filters follow the sound from a block's start; an audiogram
    // taken within a block without them acts as a fixed attenuation until then.
    if (loss && m_bRecruitment && m_bMeasuring) {
        m_recruitment.Apply(spectrum);
    } else {
        Measure(spectrum);
        if (loss)
            m_stage.Apply(spectrum);
    }
    RealFourierTransform(spectrum, kFrameSize / 2, -1);
    m_output.AddFrame(at, spectrum);
}

float* CEarChain::FinishSamples(int at, int count)
{
    float* const samples = m_output.Block() + at;
    m_limiter.Process(samples, count);
    return samples;
}
