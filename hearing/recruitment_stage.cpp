#include "recruitment_stage.h"

#include "audiogram_smearing.h"
#include "bark_scale.h"
#include "erb_scale.h"
#include "fast_exp_log.h"
#include "filter_shape.h"
#include "normal_threshold.h"
#include "per_window_tables.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Where the envelopes start, and the lowest level measured: digital silence
// reads as this, so that an onset after it rises from here as from a quiet
// room, not from hundreds of dB below.
constexpr double kSilenceDb = 0.0;
constexpr double kSilencePower = 1.0;          // the same, as a power re 0 dB SPL
constexpr float kDecibelsPerOctave = 3.0103f;  // 10·log10(2): from log2 of a power to dB

}  // namespace

double CRecruitmentStage::OutputLevel(double inputLevel, double hearingLevel, double normalThreshold)
{
    if (hearingLevel <= 0.0 || inputLevel >= kCatchUpLevel)
        return inputLevel;
    const double range = kCatchUpLevel - normalThreshold;  // c
    if (hearingLevel >= range)
        return -HUGE_VAL;  // the law's limit: nothing below C is heard
    const double expansion = range / (range - hearingLevel);
    return kCatchUpLevel + expansion * (inputLevel - kCatchUpLevel);
}

CRecruitmentStage::CRecruitmentStage()
{
    for (int c = 0; c < kChannels; ++c) {
        const double hz = CAuditoryFilterBank::CentreHz(c);
        m_normalThreshold[c] = NormalThresholdSpl(hz);
        m_barkBand[c] = std::min(static_cast<int>(HzToBark(hz)), kBarkBands - 1);
        const double cutOffHz = kEnvelopeShare * std::min(kFastestEnvelopeHz, ErbHz(hz));
        m_envelope[c].SetCutOff(cutOffHz, kFramesPerSecond);
        m_envelope[c].Reset(std::sqrt(kSilencePower));
        m_level[c] = kSilenceDb;
    }
    std::fill(m_blockPeak, m_blockPeak + kBarkBands, kSilenceDb);
    LayPassBands(0);
    for (int k = 0; k < kBins; ++k) {
        const double position = std::clamp(
            (ErbNumber(k * kBinHz) - CAuditoryFilterBank::kLowestErbNumber) / CAuditoryFilterBank::kSpacingErbs, 0.0,
            kChannels - 1.0);
        const int channel = std::min(static_cast<int>(position), kChannels - 2);
        m_binChannel[k] = channel;
        m_binShare[k] = static_cast<float>(position - channel);
    }
}

void CRecruitmentStage::SetAnalysisWindow(const float* window, int windowLength)
{
    // A frame's window spreads a tone over 4 bins either side; beyond 3 the
    // lobe holds less than 1 % of its power.
    m_filters.SetFrameWindow(window, windowLength);
    const double centre = LobePower(window, windowLength, 512, 0.0);
    for (int j = -kLobeReach; j <= kLobeReach; ++j)
        m_lobe[j + kLobeReach] = static_cast<float>(LobePower(window, windowLength, 512, j) / centre);
}

void CRecruitmentStage::LayPassBands(int degreeOfLoss)
{
    const SmearingWidening& widening = kWidenings[degreeOfLoss];
    for (int c = 0; c < kChannels; ++c) {
        const double hz = CAuditoryFilterBank::CentreHz(c);
        const auto [first, last] = SpanOfFilter(widening, hz, kBinHz, 0, kBins, kMostPassBins);
        PassBand& band = m_passBand[c];
        band.first = first;
        band.count = last - first + 1;
        double passes[kMostPassBins];
        double total = 0.0;
        for (int k = first; k <= last; ++k)
            total += passes[k - first] = FilterPassesBetween(widening, hz, (k - 0.5) * kBinHz, (k + 0.5) * kBinHz);
        for (int k = first; k <= last; ++k)
            band.share[k - first] = static_cast<float>(passes[k - first] / total);
    }
}

void CRecruitmentStage::Build(const CAudiogram& audiogram)
{
    // In the frames the law is a gain: 10^((out - in) / 20) =
    // 2^(slope·(in - C)) below C, with slope = (ER - 1)·log2(10) / 20, and
    // the law at 0 dB SPL gives ER - 1 = (0 - out) / C. Where nothing below C
    // is heard, a slope so steep that any level below C gives 2^-126, nothing.
    for (int c = 0; c < kChannels; ++c) {
        const double hearingLevel = audiogram.LevelAt(CAuditoryFilterBank::CentreHz(c));
        const double expansionLess1 = -OutputLevel(0.0, hearingLevel, m_normalThreshold[c]) / kCatchUpLevel;
        m_slope[c] = static_cast<float>(std::min(expansionLess1 * std::log2(10.0) / 20.0, 1e30));
    }
    const int degree = DegreeOfLoss(audiogram);
    m_filters.SetBroadening(degree);
    LayPassBands(degree);
}

void CRecruitmentStage::SetFullScaleLevel(double fullScaleSpl)
{
    m_fullScaleSpl = fullScaleSpl;
    m_powerToSpl = std::pow(10.0, fullScaleSpl / 10.0);
}

void CRecruitmentStage::TakeLaw(const CRecruitmentStage& from)
{
    m_fullScaleSpl = from.m_fullScaleSpl;
    m_powerToSpl = from.m_powerToSpl;
    std::copy(from.m_slope, from.m_slope + kChannels, m_slope);
    m_filters.TakeBroadening(from.m_filters);
    std::copy(from.m_passBand, from.m_passBand + kChannels, m_passBand);
}

void CRecruitmentStage::BeginBlock(const short* input, bool continues, float inputGain, const float* binGain)
{
    m_filters.BeginBlock(input, continues, inputGain, binGain);
    std::fill(m_blockPeak, m_blockPeak + kBarkBands, kSilenceDb);
}

void CRecruitmentStage::BeginBlock(bool continues, float inputGain, const float* binGain)
{
    m_filters.BeginBlock(continues, inputGain, binGain);
    std::fill(m_blockPeak, m_blockPeak + kBarkBands, kSilenceDb);
}

void CRecruitmentStage::Measure(const float* spectrum)
{
    m_filters.Measure(spectrum, m_power);
    // The envelope follows the amplitude, not its level in dB: expanded as
    // it fluctuates, a noise keeps more of its power than a steady level gives.
    float power[kChannels];
    for (int c = 0; c < kChannels; ++c) {
        const double amplitude = std::sqrt(std::max(m_power[c] * m_powerToSpl, kSilencePower));
        const double envelope = m_envelope[c].Next(amplitude);
        power[c] = static_cast<float>(envelope * envelope);
    }
    for (int c = 0; c < kChannels; ++c) {
        m_level[c] = kDecibelsPerOctave * FastLog2(power[c]);
        double& peak = m_blockPeak[m_barkBand[c]];
        peak = std::max(peak, m_level[c]);
    }
}

void CRecruitmentStage::Apply(float* spectrum)
{
    Measure(spectrum);
    double loudest = 1e-12;  // -120 dB re full scale keeps silence defined
    for (const double power : m_power)
        loudest = std::max(loudest, power);
    const double perLoudest = 1.0 / loudest;
    // Loops of one operation each over all the filters, which run in
    // vector registers.
    float below[kChannels];
    float share[kChannels];
    for (int c = 0; c < kChannels; ++c) {
        below[c] = static_cast<float>(std::min(m_level[c] - kCatchUpLevel, 0.0));
        share[c] = static_cast<float>((m_power[c] + 1e-12) * perLoudest);
    }
    float gain[kChannels];
    for (int c = 0; c < kChannels; ++c)
        gain[c] = FastExp2(m_slope[c] * below[c]);
    if (std::all_of(gain, gain + kChannels, [](float g) { return g == 1.0f; }))
        return;
    // What is heard is each filter's output after its own gain: weighted by
    // the output's power, a sound takes the gain of the filter it comes out
    // of loudest, on a steep slope one below it (off-frequency listening).
    const float perLargest = 1.0f / std::max(*std::max_element(gain, gain + kChannels), FLT_MIN);
    float weight[kChannels];
    float weighted[kChannels];
    for (int c = 0; c < kChannels; ++c) {
        const float relative = gain[c] * perLargest;
        const float output = share[c] * relative * relative;
        const float squared = output * output;
        weight[c] = squared * squared;
        weighted[c] = weight[c] * gain[c];
    }

    // Each filter's weight spreads over its shape, skirts included, and the
    // frame spreads what each bin holds over its lobe. Where all the filters
    // a bin takes have the gain 1, the two sums are formed alike and the bin
    // stays exactly as it was.
    float inBandSum[kBins + 2 * kLobeReach] = {};  // bin k at k + kLobeReach
    float inBandWeights[kBins + 2 * kLobeReach] = {};
    for (int c = 0; c < kChannels; ++c) {
        const PassBand& band = m_passBand[c];
        float* const sums = inBandSum + kLobeReach + band.first;
        float* const weights = inBandWeights + kLobeReach + band.first;
        for (int k = 0; k < band.count; ++k) {
            weights[k] += weight[c] * band.share[k];
            sums[k] += weighted[c] * band.share[k];
        }
    }
    float binGain[kBins];
    bool unweighted[kBins];
    for (int k = 0; k < kBins; ++k) {
        float sum = 0.0f;
        float weights = 0.0f;
        for (int j = 0; j <= 2 * kLobeReach; ++j) {
            sum += m_lobe[j] * inBandSum[k + j];
            weights += m_lobe[j] * inBandWeights[k + j];
        }
        unweighted[k] = weights < FLT_MIN;
        binGain[k] = sum / std::max(weights, FLT_MIN);
    }
    for (int k = 0; k < kBins; ++k) {
        if (!unweighted[k])
            continue;
        // No filter in the lobe, or none above 95 dB below the loudest:
        // interpolated over the ERB scale.
        const float g0 = gain[m_binChannel[k]];
        const float g1 = gain[m_binChannel[k] + 1];
        binGain[k] = g0 == g1 ? g0 : g0 + m_binShare[k] * (g1 - g0);
    }
    spectrum[0] *= binGain[0];
    spectrum[1] *= gain[kChannels - 1];
    for (int k = 1; k < kBins; ++k) {
        spectrum[2 * k] *= binGain[k];
        spectrum[2 * k + 1] *= binGain[k];
    }
}
