#include "loss_settings.h"

#include "loss_processor.h"

bool LossSettings::operator==(const LossSettings& other) const
{
    return loudness == other.loudness && highFreq == other.highFreq && resolution == other.resolution &&
           audiogram[0] == other.audiogram[0] && audiogram[1] == other.audiogram[1] &&
           recruitment == other.recruitment && smearingFromAudiogram == other.smearingFromAudiogram &&
           levelMeasurement == other.levelMeasurement && fullScaleSpl == other.fullScaleSpl &&
           listeningSpl == other.listeningSpl && ears == other.ears && normalHearing == other.normalHearing;
}

LossSettings CLossProcessor::Settings() const
{
    LossSettings settings;
    settings.loudness = m_dLoudness;
    settings.highFreq = m_dHighFreq;
    settings.resolution = m_dResolution;
    for (const Ear ear : {Ear::Left, Ear::Right})
        settings.audiogram[static_cast<int>(ear)] = EarChain(ear).ActiveAudiogram();
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
    m_dLoudness = settings.loudness;
    m_dHighFreq = settings.highFreq;
    m_dResolution = settings.resolution;
    BuildSmearTable();
    SetFullScaleLevel(settings.fullScaleSpl);
    for (const Ear ear : {Ear::Left, Ear::Right}) {
        const auto& audiogram = settings.audiogram[static_cast<int>(ear)];
        SetEarAudiogram(ear, audiogram ? &*audiogram : nullptr);
    }
    SetRecruitment(settings.recruitment);
    SetLevelMeasurement(settings.levelMeasurement);
    SetAudiogramSmearing(settings.smearingFromAudiogram);
    SetEarsHeard(settings.ears);
    SetNormalHearing(settings.normalHearing);
    SetPresentationLevel(settings.listeningSpl);
}
