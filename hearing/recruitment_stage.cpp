#include "recruitment_stage.h"

#include "audiogram_smearing.h"
#include "bark_scale.h"
#include "erb_scale.h"
#include "fast_exp_log.h"
#include "normal_threshold.h"
#include "per_window_tables.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Where the smoothed levels start, and the lowest level measured: digital
// silence reads as this, so that an onset after it rises from here as from a
// quiet room, not from hundreds of dB below.
constexpr double kSilenceDb = 0.0;
constexpr float kDecibelsPerOctave = 3.0103f;  // 10·log10(2): from log2 of a power to dB

// A frame's window spreads a tone over 4 bins either side; beyond 3 the
// lobe holds less than 1 % of its power.
constexpr double kLobeReach = 3.0;

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
        m_smoother[c].SetTimes(kFramesPerSecond, kAttackSeconds, kReleaseSeconds);
        m_smoother[c].Reset(kSilenceDb);
    }
    std::fill(m_blockPeak, m_blockPeak + kBarkBands, kSilenceDb);
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
    m_filters.SetFrameWindow(window, windowLength);
    static CPerWindowTables<Lobes> lobes;
    m_lobes = lobes.For(window, windowLength, [&](Lobes& made) {
        const double centre = LobePower(window, windowLength, 512, 0.0);
        for (int c = 0; c < kChannels; ++c) {
            const double position = CAuditoryFilterBank::CentreHz(c) / kBinHz;
            made.firstBin[c] = std::max(0, static_cast<int>(std::floor(position - kLobeReach)) + 1);
            for (int j = 0; j < kLobeBins; ++j) {
                const int k = made.firstBin[c] + j;
                made.weight[c][j] = k < kBins && k < position + kLobeReach
                                        ? static_cast<float>(LobePower(window, windowLength, 512, position - k) / centre)
                                        : 0.0f;
            }
        }
    });
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
    m_filters.SetBroadening(DegreeOfLoss(audiogram));
}

void CRecruitmentStage::TakeLaw(const CRecruitmentStage& from)
{
    m_fullScaleSpl = from.m_fullScaleSpl;
    std::copy(from.m_slope, from.m_slope + kChannels, m_slope);
    m_filters.TakeBroadening(from.m_filters);
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
    float decibels[kChannels];
    for (int c = 0; c < kChannels; ++c)
        decibels[c] = kDecibelsPerOctave * FastLog2(static_cast<float>(m_power[c]) + 1e-30f);
    for (int c = 0; c < kChannels; ++c) {
        const double level = std::max(kSilenceDb, decibels[c] + m_fullScaleSpl);
        double& peak = m_blockPeak[m_barkBand[c]];
        peak = std::max(peak, m_smoother[c].Next(level));
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
        below[c] = static_cast<float>(std::min(m_smoother[c].Level() - kCatchUpLevel, 0.0));
        share[c] = static_cast<float>((m_power[c] + 1e-12) * perLoudest);
    }
    float gain[kChannels];
    float weight[kChannels];
    float weighted[kChannels];
    for (int c = 0; c < kChannels; ++c) {
        gain[c] = FastExp2(m_slope[c] * below[c]);
        const float squared = share[c] * share[c];
        weight[c] = squared * squared;
        weighted[c] = weight[c] * gain[c];
    }
    if (std::all_of(gain, gain + kChannels, [](float g) { return g == 1.0f; }))
        return;

    // Each filter adds its weighted gain to the bins of its lobe. Where all
    // the filters a bin takes have the gain 1, the two sums are formed alike
    // and the bin stays exactly as it was.
    float sum[kBins + kLobeBins] = {};  // room for the last lobes' zero shares
    float weights[kBins + kLobeBins] = {};
    for (int c = 0; c < kChannels; ++c) {
        float* const binSum = sum + m_lobes.firstBin[c];
        float* const binWeights = weights + m_lobes.firstBin[c];
        for (int j = 0; j < kLobeBins; ++j) {
            binSum[j] += m_lobes.weight[c][j] * weighted[c];
            binWeights[j] += m_lobes.weight[c][j] * weight[c];
        }
    }
    float binGain[kBins];
    for (int k = 0; k < kBins; ++k)
        binGain[k] = sum[k] / std::max(weights[k], FLT_MIN);
    for (int k = 0; k < kBins; ++k) {
        if (weights[k] >= FLT_MIN)
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
