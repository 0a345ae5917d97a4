#include "loss_processor.h"

#include <algorithm>
#include <utility>

std::unique_ptr<CLossProcessor> CLossProcessor::SettingsOf(const CLossProcessor& from)
{
    std::unique_ptr<CLossProcessor> settings(new CLossProcessor(from.m_sources, SettingsOnly{}));
    CLossProcessor& to = *settings;
    to.Apply(from.Settings());
    // The curve's table is the one the window built: building it again here
    // would find it current by the setting it was last built for.
    std::copy(from.m_fHighFreqGain, from.m_fHighFreqGain + kFrameSize, to.m_fHighFreqGain);
    return settings;
}

void CLossProcessor::TakeSettings(CLossProcessor& from)
{
    m_dLoudness = from.m_dLoudness;
    m_dHighFreq = from.m_dHighFreq;
    m_dResolution = from.m_dResolution;
    std::copy(from.m_fHighFreqGain, from.m_fHighFreqGain + kFrameSize, m_fHighFreqGain);
    std::copy(from.m_nSmearLow, from.m_nSmearLow + kBins, m_nSmearLow);
    std::copy(from.m_nSmearHigh, from.m_nSmearHigh + kBins, m_nSmearHigh);
    std::swap(m_smear, from.m_smear);
    m_bNormalHearing = from.m_bNormalHearing;
    m_earsHeard = from.m_earsHeard;
    m_dFullScaleLevel = from.m_dFullScaleLevel;
    m_liveGuard.SetFullScaleLevel(m_dFullScaleLevel);
    m_presentationLevel = from.m_presentationLevel;
    m_fPresentationGain = from.m_fPresentationGain;
    // The gain stays the one worked out for the recordings' speech.
    m_presentedSerial = m_sources.Serial(0);
    for (int ear = 0; ear < 2; ++ear)
        m_ears[ear]->TakeSettings(*from.m_ears[ear]);
    if (m_nLiveHops > 0 && (m_nLiveHops - 1) % kFrames != 0)
        ContinueLivePlan(static_cast<int>((m_nLiveHops - 1) % kFrames));
}

void CLossProcessor::ContinueLivePlan(int k)
{
    BlockPlan& plan = m_livePlan;
    // The block keeps the ears it began with, and whether it is presented.
    if (Stereo() == plan.stereo && FirstEar() == plan.firstEar && m_presentationLevel.has_value() == plan.presented) {
        plan.lossy = !m_bNormalHearing;
        plan.highFreqGain = plan.lossy ? m_fHighFreqGain : m_fNormalHighFreqGain;
        plan.inputGain = plan.presented ? m_fPresentationGain : 1.0f;
        plan.first->ContinueBlock(plan.inputGain, plan.highFreqGain, plan.lossy);
        if (plan.second)
            plan.second->ContinueBlock(plan.inputGain, plan.highFreqGain, plan.lossy);
        plan.floatPath = FloatPathFor(plan);
        SwitchOutputPath(plan, kHop * k);
    }
    // A smearing table that came in may need the magnitudes.
    plan.smearing = SmearingFor(plan);
}
