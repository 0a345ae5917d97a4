#include "live_settings.h"

#include "loss_processor.h"

#include <algorithm>
#include <utility>

CLiveSettings::CLiveSettings(const CLossProcessor& window) : m_value(window.Settings())
{
    // The curve's table is the one the window built for its last paint.
    std::copy(window.m_fHighFreqGain, window.m_fHighFreqGain + FrameGeometry::kFrameSize, m_fHighFreqGain);
    const double half = CLossProcessor::SliderHalfBark(m_value.resolution);
    CSmearKernel::FillRanges(half, half, m_nSmearLow, m_nSmearHigh);
    m_smear.Prepare(m_nSmearLow, m_nSmearHigh);
    for (const Ear ear : {Ear::Left, Ear::Right}) {
        auto& chain = m_ears[static_cast<int>(ear)];
        chain = std::make_unique<CEarChain>(window.m_fAnalysisWindow, CLossProcessor::kFrameInput,
                                            window.m_fSynthesisWindow, CLossProcessor::kSynthesisScale);
        CLossProcessor::SetUpEar(*chain, ear, m_value);
    }
    m_fPresentationGain =
        CLossProcessor::PresentationGain(m_value.listeningSpl, m_value.fullScaleSpl, window.m_sources);
}

void CLossProcessor::TakeSettings(CLiveSettings& from)
{
    ApplyValues(from.m_value);
    std::copy(from.m_fHighFreqGain, from.m_fHighFreqGain + kFrameSize, m_fHighFreqGain);
    std::copy(from.m_nSmearLow, from.m_nSmearLow + kBins, m_nSmearLow);
    std::copy(from.m_nSmearHigh, from.m_nSmearHigh + kBins, m_nSmearHigh);
    std::swap(m_smear, from.m_smear);
    // The gain stays the one worked out for the recordings' speech.
    m_fPresentationGain = from.m_fPresentationGain;
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
