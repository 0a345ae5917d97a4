#include "loss_processor.h"

#include "bark_scale.h"
#include "output_volume.h"
#include "presentation_level.h"

#include <cmath>

namespace {

// Symmetric Hann window: both ends exactly 0, divisor length - 1.
void BuildHannWindow(float* window, int length)
{
    for (int i = 0; i < length; ++i)
        window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * 3.141592653589793 * i / (length - 1)));
}

}  // namespace

CLossProcessor::CLossProcessor(CSourceBank& sources) : CLossProcessor(sources, SettingsOnly{})
{
    SetOutputVolume(0xFFFFFFFFu);
}

CLossProcessor::CLossProcessor(CSourceBank& sources, SettingsOnly)
    : m_sources(sources)
{
    for (double& level : m_dBandLevel)
        level = 0.0;
    for (double& level : m_dBandLevelRight)
        level = 0.0;
    for (short& sample : m_sOutput)
        sample = 0;
    BuildHannWindow(m_fAnalysisWindow, kFrameInput);
    BuildHannWindow(m_fDisplayWindow, kDisplaySize);
    BuildHannWindow(m_fSynthesisWindow, kFrameSize);
    for (auto& ear : m_ears)
        ear = std::make_unique<CEarChain>(m_fAnalysisWindow, kFrameInput, m_fSynthesisWindow, kSynthesisScale);
    for (float& gain : m_fHighFreqGain)
        gain = 1.0f;
    FillHighFreqGain(1.0, m_fNormalHighFreqGain);
    m_liveGuard.SetFullScaleLevel(m_dFullScaleLevel);
    for (int k = 0; k <= kBands; ++k)
        m_nBandEdgeHz[k] = static_cast<int>(BarkToHz(k + 1));
    for (int i = 0; i < kBins; ++i)
        m_fBinBark[i] = static_cast<float>(HzToBark(22050.0 * i / 256.0));
    BuildSmearTable();
}

void CLossProcessor::SetEarAudiogram(Ear ear, const CAudiogram* audiogram)
{
    Chain(ear).SetAudiogram(audiogram);
}

void CLossProcessor::SetAudiogram(const CAudiogram* audiogram)
{
    SetEarAudiogram(Ear::Left, audiogram);
    SetEarAudiogram(Ear::Right, audiogram);
}

bool CLossProcessor::AnyAudiogram() const
{
    return m_ears[0]->HasLoss() || m_ears[1]->HasLoss();
}

void CLossProcessor::SetEarsHeard(EarsHeard ears)
{
    m_earsHeard = ears;
}

void CLossProcessor::HandOverEars(Ear firstBefore, bool stereoBefore)
{
    if (!m_bFloatBefore)
        return;  // the carry is in the plain accumulator, where every ear finds it
    const auto processedBefore = [&](Ear ear) { return ear == firstBefore || (stereoBefore && ear == Ear::Right); };
    const auto takeOver = [&](Ear ear) {
        if (!processedBefore(ear))
            Chain(ear).Output().CopyCarry(Chain(firstBefore).Output(), kCarryOver);
    };
    takeOver(FirstEar());
    if (Stereo())
        takeOver(Ear::Right);
}

void CLossProcessor::SetAided(bool on)
{
    for (auto& ear : m_ears)
        ear->SetAided(on);
}

void CLossProcessor::SetEarLoss(bool on)
{
    for (auto& ear : m_ears)
        ear->SetEarLoss(on);
}

void CLossProcessor::SetRecruitment(bool on)
{
    for (auto& ear : m_ears)
        ear->SetRecruitment(on);
}

void CLossProcessor::SetLevelMeasurement(bool on)
{
    for (auto& ear : m_ears)
        ear->SetLevelMeasurement(on);
}

void CLossProcessor::SetAudiogramSmearing(bool on)
{
    for (auto& ear : m_ears)
        ear->SetSmearingFromAudiogram(on);
}

void CLossProcessor::SetFullScaleLevel(double dbSpl)
{
    m_dFullScaleLevel = dbSpl;
    for (auto& ear : m_ears)
        ear->SetFullScaleLevel(dbSpl);
    m_liveGuard.SetFullScaleLevel(dbSpl);
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
    m_fPresentationGain = PresentationGain(m_presentationLevel, m_dFullScaleLevel, m_sources);
    const double ceiling = m_presentationLevel ? LimiterCeiling(m_dFullScaleLevel) : HUGE_VAL;
    for (auto& ear : m_ears)
        ear->SetLimiterCeiling(ceiling);
}

float CLossProcessor::PresentationGain(std::optional<double> level, double fullScaleSpl, const CSourceBank& sources)
{
    if (!level)
        return 1.0f;
    // Without speech there is nothing to measure: the recordings play as loaded.
    const double speech = sources.ActiveLevelDbFs(0);
    const double speechSpl = fullScaleSpl + speech;
    return speech > -100.0 ? static_cast<float>(std::pow(10.0, (*level - speechSpl) / 20.0)) : 1.0f;
}

std::optional<double> CLossProcessor::SpeechLevel() const
{
    if (m_presentationLevel)
        return m_presentationLevel;
    if (m_sources.m_nSourceLen[0] == 0 || m_sources.ActiveLevelDbFs(0) <= -100.0)
        return std::nullopt;
    return m_dFullScaleLevel + m_sources.ActiveLevelDbFs(0);
}

std::optional<double> CLossProcessor::HighestUnlimitedSpeechLevel(double fullScaleSpl) const
{
    return HighestUnlimitedLevel(fullScaleSpl, m_sources.ActiveLevelDbFs(0), m_sources.PeakMagnitude(0));
}
