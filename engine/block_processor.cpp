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

    const BlockPlan plan = BeginBlockPlan(false);
    AddBlockInput(plan, input, 0, kBlockInput);
    for (int k = 0; k < kFrames; ++k)
        ProcessFrame(plan, input + kHop * k, k);
    FinishSamples(plan, 0, kBlockOutput);
    WriteBlock(plan);
    EndBlock(plan);
}

CLossProcessor::BlockPlan CLossProcessor::BeginBlockPlan(bool live)
{
    // Ears that come in take over the carry of those the last block ran.
    HandOverEars(m_processedFirstEar, m_processedStereo);
    BlockPlan plan;
    plan.live = live;
    // Normal hearing is the chain at no loss: smearing at setting 1.0 leaves
    // every bin as it is, the gain curve is the one of setting 1.0.
    plan.lossy = !m_bNormalHearing;
    plan.highFreqGain = plan.lossy ? m_fHighFreqGain : m_fNormalHighFreqGain;
    plan.presented = m_presentationLevel.has_value();
    if (plan.presented && m_presentedSerial != m_sources.Serial(0))
        PreparePresentation();  // another speech recording was loaded
    // A stereo block runs both ears' chains, a mono block the one heard.
    plan.stereo = Stereo();
    plan.firstEar = FirstEar();
    plan.first = &Chain(plan.firstEar);
    plan.second = plan.stereo ? &Chain(Ear::Right) : nullptr;
    if (!plan.stereo)
        Chain(plan.firstEar == Ear::Left ? Ear::Right : Ear::Left).SkipBlock();
    plan.floatPath = FloatPathFor(plan);
    SwitchOutputPath(plan, 0);
    plan.inputGain = plan.presented ? m_fPresentationGain : 1.0f;
    plan.first->BeginBlock(plan.inputGain, plan.highFreqGain, plan.lossy);
    if (plan.second)
        plan.second->BeginBlock(plan.inputGain, plan.highFreqGain, plan.lossy);
    plan.smearing = SmearingFor(plan);
    m_processedFirstEar = plan.firstEar;
    m_processedStereo = plan.stereo;
    return plan;
}

bool CLossProcessor::FloatPathFor(const BlockPlan& plan) const
{
    // A presentation level, an audiogram or an aid in effect takes the float path:
    // overlap-add in float, the limiter, one dithered conversion. The
    // comparison without a presentation level is the plain chain, exactly.
    return plan.presented || (plan.lossy && (plan.first->Acts() || (plan.second && plan.second->Acts())));
}

void CLossProcessor::SwitchOutputPath(const BlockPlan& plan, int position)
{
    if (plan.floatPath == m_bFloatBefore)
        return;
    if (plan.floatPath) {
        plan.first->Output().TakeCarry(m_sOutput + position, kCarryOver, position);
        if (plan.second)
            plan.second->Output().TakeCarry(m_sOutput + position, kCarryOver, position);
    } else {
        plan.first->Output().GiveCarry(m_sOutput + position, kCarryOver, position);
    }
    m_bFloatBefore = plan.floatPath;
}

bool CLossProcessor::SmearingFor(const BlockPlan& plan) const
{
    // Without a smeared bin (setting 1.0) the magnitudes are not needed.
    return plan.floatPath ? plan.first->Smears(m_smear) || (plan.second && plan.second->Smears(m_smear))
                          : plan.lossy && m_smear.Active();
}

void CLossProcessor::AddBlockInput(const BlockPlan& plan, const short* input, int position, int count)
{
    plan.first->AddInput(input, position, count);
    if (plan.second)
        plan.second->AddInput(input, position, count);
}

void CLossProcessor::ProcessFrame(const BlockPlan& plan, const short* input, int k)
{
    float spectrum[kFrameSize];
    float magnitudes[kBins];
    AnalyseFrame(input, spectrum);
    if (plan.floatPath) {
        if (plan.presented)
            for (float& value : spectrum)
                value *= plan.inputGain;
        if (plan.smearing)
            ComputeMagnitudes(spectrum, magnitudes);
        if (plan.second) {
            float secondSpectrum[kFrameSize];
            std::memcpy(secondSpectrum, spectrum, sizeof spectrum);
            plan.second->ProcessFrame(secondSpectrum, magnitudes, m_smear, plan.highFreqGain, kHop * k);
        }
        plan.first->ProcessFrame(spectrum, magnitudes, m_smear, plan.highFreqGain, kHop * k);
        return;
    }
    if (plan.smearing) {
        ComputeMagnitudes(spectrum, magnitudes);
        SmearSpectrum(spectrum, magnitudes);
    }
    spectrum[1] = 0.0f;  // nothing is kept at half the sampling rate
    for (int i = 0; i < kFrameSize; ++i)
        spectrum[i] *= plan.highFreqGain[i];
    plan.first->Measure(spectrum);
    if (plan.second)
        plan.second->Measure(spectrum);
    short frame[kFrameSize];
    SynthesiseFrame(frame, spectrum);
    AddSamples(m_sOutput + kHop * k, frame, kFrameSize);
}

void CLossProcessor::CarryOver()
{
    // The last frames' partial sums carry over into the next block.
    std::memmove(m_sOutput, m_sOutput + kBlockOutput, kCarryOver * sizeof(short));
    std::memset(m_sOutput + kCarryOver, 0, (kOutputSize - kCarryOver) * sizeof(short));
}

// On the float path the ears' samples after the limiter to 16 bits: the
// loudness setting's share applied in float, then one dithered conversion,
// the same dither for both ears. On the plain chain the loudness setting's
// share applied to a copy: the accumulator keeps its samples for the display.
void CLossProcessor::FinishSamples(const BlockPlan& plan, int at, int count)
{
    const double loudness = plan.lossy ? m_dLoudness : 1.0;
    const double gain = plan.live ? LiveLoudnessGain(loudness) : SetVolumeForLoudness(loudness);
    if (plan.floatPath) {
        ConvertScaled(plan.first->FinishSamples(at, count), gain, m_fFloatBlock + at, m_sPlayed + at, count, false);
        if (plan.second)
            ConvertScaled(plan.second->FinishSamples(at, count), gain, m_fFloatBlockRight + at, m_sPlayedRight + at,
                          count, true);
        return;
    }
    std::memcpy(m_sPlayed + at, m_sOutput + at, static_cast<std::size_t>(count) * sizeof(short));
    ScaleSamples(gain, m_sPlayed + at, count);
}

void CLossProcessor::EndBlock(const BlockPlan& plan)
{
    // The display sees the block before the loudness setting's share of the
    // samples and before the dither, whose floor nobody hears.
    if (plan.floatPath) {
        AnalyseDisplayBands(plan.first->Output().Block(), m_dBandLevel);
        plan.first->Output().Advance(kBlockOutput, kCarryOver);
        if (plan.second) {
            AnalyseDisplayBands(plan.second->Output().Block(), m_dBandLevelRight);
            plan.second->Output().Advance(kBlockOutput, kCarryOver);
        }
    } else {
        AnalyseDisplaySpectrum(m_sOutput);
        // A plain stereo block (the comparison) is the same sound in both ears.
        if (plan.stereo)
            std::memcpy(m_dBandLevelRight, m_dBandLevel, sizeof m_dBandLevel);
    }
    m_bFloatBlock = plan.floatPath;
    m_bStereoBlock = plan.stereo;
    CarryOver();
    BlockProcessed();
    if (m_blockListener)
        m_blockListener();
}

void CLossProcessor::ConvertScaled(const float* samples, double gain, float* floats, short* out, int count, bool again)
{
    for (int i = 0; i < count; ++i)
        floats[i] = static_cast<float>(samples[i] * gain);
    if (again)
        m_dither.ConvertAgain(floats, out, count);
    else
        m_dither.Convert(floats, out, count);
}

// To the player, in the layout it was opened for: a stereo player gets the
// right ear's block on the right channel, or the mono block on both.
void CLossProcessor::WriteBlock(const BlockPlan& plan)
{
    if (!(g_memPlay.m_bOpen && g_memPlay.m_format.channels == 2)) {
        g_memPlay.Write(m_sPlayed, kBlockOutput * 2);
        return;
    }
    const short* const right = RightPlayed(plan);
    for (int i = 0; i < kBlockOutput; ++i) {
        m_sStereo[2 * i] = m_sPlayed[i];
        m_sStereo[2 * i + 1] = right[i];
    }
    g_memPlay.Write(m_sStereo, kBlockOutput * 4);
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
