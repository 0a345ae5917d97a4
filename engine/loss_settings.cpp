#include "loss_settings.h"

#include "loss_processor.h"

#include <cmath>

bool LossSettings::operator==(const LossSettings& other) const
{
    return loudness == other.loudness && highFreq == other.highFreq && resolution == other.resolution &&
           audiogram[0] == other.audiogram[0] && audiogram[1] == other.audiogram[1] &&
           recruitment == other.recruitment && smearingFromAudiogram == other.smearingFromAudiogram &&
           levelMeasurement == other.levelMeasurement && fullScaleSpl == other.fullScaleSpl &&
           listeningSpl == other.listeningSpl && ears == other.ears && normalHearing == other.normalHearing &&
           aid[0] == other.aid[0] && aid[1] == other.aid[1] && aided == other.aided && earLoss == other.earLoss &&
           implant[0] == other.implant[0] && implant[1] == other.implant[1];
}

LossSettings CLossProcessor::Settings() const
{
    LossSettings settings;
    settings.loudness = m_dLoudness;
    settings.highFreq = m_dHighFreq;
    settings.resolution = m_dResolution;
    for (const Ear ear : {Ear::Left, Ear::Right}) {
        settings.audiogram[static_cast<int>(ear)] = EarChain(ear).ActiveAudiogram();
        settings.aid[static_cast<int>(ear)] = EarChain(ear).AidRuleChosen();
        settings.implant[static_cast<int>(ear)] = EarChain(ear).Implant();
    }
    settings.aided = EarChain(Ear::Left).Aided();
    settings.earLoss = EarChain(Ear::Left).EarLoss();
    settings.recruitment = Recruitment();
    settings.smearingFromAudiogram = AudiogramSmearing();
    settings.levelMeasurement = EarChain(Ear::Left).LevelMeasurement();
    settings.fullScaleSpl = m_dFullScaleLevel;
    settings.listeningSpl = m_presentationLevel;
    settings.ears = m_earsHeard;
    settings.normalHearing = m_bNormalHearing;
    return settings;
}

void CLossProcessor::Apply(const LossSettings& settings)
{
    ApplyValues(settings);
    BuildSmearTable();
    for (const Ear ear : {Ear::Left, Ear::Right})
        SetUpEar(Chain(ear), ear, settings);
    PreparePresentation();
}

void CLossProcessor::ApplyValues(const LossSettings& settings)
{
    m_dLoudness = settings.loudness;
    m_dHighFreq = settings.highFreq;
    m_dResolution = settings.resolution;
    m_dFullScaleLevel = settings.fullScaleSpl;
    m_liveGuard.SetFullScaleLevel(settings.fullScaleSpl);
    m_presentationLevel = settings.listeningSpl;
    m_earsHeard = settings.ears;
    m_bNormalHearing = settings.normalHearing;
}

void CLossProcessor::SetUpEar(CEarChain& chain, Ear ear, const LossSettings& settings)
{
    chain.SetFullScaleLevel(settings.fullScaleSpl);
    const auto& audiogram = settings.audiogram[static_cast<int>(ear)];
    chain.SetAudiogram(audiogram ? &*audiogram : nullptr);
    chain.SetRecruitment(settings.recruitment);
    chain.SetLevelMeasurement(settings.levelMeasurement);
    chain.SetSmearingFromAudiogram(settings.smearingFromAudiogram);
    chain.BuildSmearing(SliderHalfBark(settings.resolution));
    chain.SetLimiterCeiling(settings.listeningSpl ? LimiterCeiling(settings.fullScaleSpl) : HUGE_VAL);
    chain.SetAidRule(settings.aid[static_cast<int>(ear)]);
    chain.SetAided(settings.aided);
    chain.SetEarLoss(settings.earLoss);
    chain.SetImplant(settings.implant[static_cast<int>(ear)]);
}
