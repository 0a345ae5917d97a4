#include "loss_processor.h"

#include "audiogram_smearing.h"
#include "bark_scale.h"
#include "output_volume.h"

#include <cmath>

namespace {

// Symmetric Hann window: both ends exactly 0, divisor length - 1.
void BuildHannWindow(float* window, int length)
{
    for (int i = 0; i < length; ++i)
        window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * 3.141592653589793 * i / (length - 1)));
}

}  // namespace

CLossProcessor::CLossProcessor(CSourceBank& sources)
    : m_sources(sources),
      m_smearSums(SmearSumsFor(ChosenVectorPath())),
      m_fSmearWeight(static_cast<std::size_t>(kBins) * kBins)
{
    for (double& level : m_dBandLevel)
        level = 0.0;
    for (short& sample : m_sOutput)
        sample = 0;
    BuildHannWindow(m_fAnalysisWindow, kFrameInput);
    m_recruitment.SetAnalysisWindow(m_fAnalysisWindow, kFrameInput);
    BuildHannWindow(m_fDisplayWindow, kDisplaySize);
    BuildHannWindow(m_fSynthesisWindow, kFrameSize);
    m_floatOutput.SetSynthesisWindow(m_fSynthesisWindow, kSynthesisScale, kFrameSize);
    for (float& gain : m_fHighFreqGain)
        gain = 1.0f;
    FillHighFreqGain(1.0, m_fNormalHighFreqGain);
    SetOutputVolume(0xFFFFFFFFu);
    for (int k = 0; k <= kBands; ++k)
        m_nBandEdgeHz[k] = static_cast<int>(BarkToHz(k + 1));
    for (int i = 0; i < kBins; ++i)
        m_fBinBark[i] = static_cast<float>(HzToBark(22050.0 * i / 256.0));
    BuildSmearTable();
}

void CLossProcessor::SetAudiogram(const CAudiogram* audiogram)
{
    m_audiogram.Build(audiogram);
    if (audiogram) {
        m_activeAudiogram = *audiogram;
        m_recruitment.Build(*audiogram);
    } else {
        m_activeAudiogram.reset();
    }
    UpdateAudiogramSmearing();
}

void CLossProcessor::SetAudiogramSmearing(bool on)
{
    m_bAudiogramSmearing = on;
    UpdateAudiogramSmearing();
}

void CLossProcessor::UpdateAudiogramSmearing()
{
    double below = 0.0;
    double above = 0.0;
    if (m_bAudiogramSmearing && m_activeAudiogram) {
        const SmearingWidening widening = WideningFor(*m_activeAudiogram);
        below = widening.BarkBelow();
        above = widening.BarkAbove();
    }
    if (below == m_dSmearBelowBark && above == m_dSmearAboveBark)
        return;
    m_dSmearBelowBark = below;
    m_dSmearAboveBark = above;
    BuildSmearTable();
}

void CLossProcessor::SetFullScaleLevel(double dbSpl)
{
    m_dFullScaleLevel = dbSpl;
    m_recruitment.SetFullScaleLevel(dbSpl);
    PreparePresentation();
}

void CLossProcessor::SetPresentationLevel(std::optional<double> dbSpl)
{
    m_presentationLevel = dbSpl;
    PreparePresentation();
}

void CLossProcessor::PreparePresentation()
{
    m_presentedSerial = m_sources.Serial(0);
    if (!m_presentationLevel) {
        m_fPresentationGain = 1.0f;
        m_limiter.SetCeiling(HUGE_VAL);
        return;
    }
    // Without speech there is nothing to measure: the recordings play as loaded.
    const double speech = m_sources.ActiveLevelDbFs(0);
    const double speechSpl = m_dFullScaleLevel + speech;
    m_fPresentationGain =
        speech > -100.0 ? static_cast<float>(std::pow(10.0, (*m_presentationLevel - speechSpl) / 20.0)) : 1.0f;
    m_limiter.SetCeiling(LimiterCeiling(m_dFullScaleLevel));
}

std::optional<double> CLossProcessor::HighestUnlimitedSpeechLevel(double fullScaleSpl) const
{
    return HighestUnlimitedLevel(fullScaleSpl, m_sources.ActiveLevelDbFs(0), m_sources.PeakMagnitude(0));
}
