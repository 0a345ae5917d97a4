#include "aid_stage.h"

#include "fast_exp_log.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFullScale = 32768.0;
constexpr double kFramesPerSecond = FrameGeometry::kSampleRate / static_cast<double>(FrameGeometry::kHop);
constexpr float kSilenceRelativePower = 1e-12f;  // 120 dB below full scale
constexpr float kDbToLog2 = 0.16609640f;         // log2(10) / 20
constexpr float kLog2ToDb = 3.0103000f;          // 10 log10(2)

}  // namespace

double CAidStage::BandCentreHz(int band)
{
    return 1000.0 * std::pow(2.0, (band - 5) / 2.0);
}

CAidStage::CAidStage()
{
    for (CLevelSmoother& smoother : m_smoother) {
        smoother.SetTimes(kFramesPerSecond, kAttackSeconds, kReleaseSeconds);
        smoother.Reset(CAidFitting::kInputSpl[0]);
    }
    // Bands end halfway (in log frequency) between their centres.
    m_firstBin[0] = 1;  // above DC
    for (int band = 1; band < kBands; ++band) {
        const double edgeHz = BandCentreHz(band) / std::pow(2.0, 0.25);
        m_firstBin[band] = static_cast<int>(std::ceil(edgeHz / FrameGeometry::kBinHz));
    }
    m_firstBin[kBands] = kBins;
    for (int band = 0; band < kBands; ++band)
        for (int k = m_firstBin[band]; k < m_firstBin[band + 1]; ++k)
            m_bandOfBin[k] = band;
    m_bandOfBin[0] = 0;
}

void CAidStage::SetAnalysisWindow(const float* window, int length)
{
    // A full-scale sine's power summed over the bins (see CAuditoryFilterBank).
    double energy = 0.0;
    for (int i = 0; i < length; ++i)
        energy += static_cast<double>(window[i]) * window[i];
    m_powerScale = 1.0 / (FrameGeometry::kFrameSize / 2.0 * energy * kFullScale * kFullScale);
}

void CAidStage::Fit(const CAidFitting* fitting)
{
    m_bActive = fitting != nullptr && fitting->Rule() != AidRule::Off;
    if (!m_bActive)
        return;
    m_bLinear = fitting->Rule() == AidRule::NalR;
    for (int k = 0; k < kBins; ++k) {
        const double hz = k * FrameGeometry::kBinHz;
        for (int level = 0; level < CAidFitting::kLevels; ++level)
            m_gainDb[level][k] = static_cast<float>(fitting->Gain(hz, CAidFitting::kInputSpl[level]));
        for (int level = 0; level + 1 < CAidFitting::kLevels; ++level)
            m_gainStepDb[level][k] = m_gainDb[level + 1][k] - m_gainDb[level][k];
        m_linearGain[k] = static_cast<float>(std::pow(10.0, m_gainDb[0][k] / 20.0));
    }
}

void CAidStage::TakeFitting(const CAidStage& from)
{
    m_bActive = from.m_bActive;
    m_bLinear = from.m_bLinear;
    m_fullScaleSpl = from.m_fullScaleSpl;
    m_powerScale = from.m_powerScale;
    std::copy(&from.m_gainDb[0][0], &from.m_gainDb[0][0] + CAidFitting::kLevels * kBins, &m_gainDb[0][0]);
    std::copy(&from.m_gainStepDb[0][0], &from.m_gainStepDb[0][0] + (CAidFitting::kLevels - 1) * kBins,
              &m_gainStepDb[0][0]);
    std::copy(from.m_linearGain, from.m_linearGain + kBins, m_linearGain);
}

void CAidStage::Follow(const float* spectrum)
{
    if (m_bLinear)
        return;  // one gain at every level
    for (int band = 0; band < kBands; ++band) {
        float power = 0.0f;
        for (int k = m_firstBin[band]; k < m_firstBin[band + 1]; ++k)
            power += spectrum[2 * k] * spectrum[2 * k] + spectrum[2 * k + 1] * spectrum[2 * k + 1];
        const float relative = std::max(static_cast<float>(power * m_powerScale), kSilenceRelativePower);
        // Below the fitting's lowest input level the gain is held, so the
        // level is followed from there: after silence an onset's level is
        // reached a few frames sooner than from no sound at all.
        const double level = m_fullScaleSpl + kLog2ToDb * FastLog2(relative);
        m_smoother[band].Next(std::max(level, CAidFitting::kInputSpl[0]));
    }
}

void CAidStage::Apply(float* spectrum, float* gains, float share)
{
    if (m_bLinear && share == 1.0f) {
        for (int k = 0; k < kBins; ++k)
            gains[2 * k] = gains[2 * k + 1] = m_linearGain[k];
    } else if (m_bLinear) {
        for (int k = 0; k < kBins; ++k)
            gains[2 * k] = gains[2 * k + 1] = FastExp2(share * m_gainDb[0][k] * kDbToLog2);
    } else {
        Follow(spectrum);
        // Each band's level as a place between two of the fitting's input
        // levels (linear in dB between them, held outside).
        int from[kBands];
        float place[kBands];
        for (int band = 0; band < kBands; ++band) {
            const double level = std::clamp(m_smoother[band].Level(), CAidFitting::kInputSpl[0],
                                            CAidFitting::kInputSpl[CAidFitting::kLevels - 1]);
            from[band] = level < CAidFitting::kInputSpl[1] ? 0 : 1;
            place[band] =
                static_cast<float>((level - CAidFitting::kInputSpl[from[band]]) /
                                   (CAidFitting::kInputSpl[from[band] + 1] - CAidFitting::kInputSpl[from[band]]));
        }
        float db[kBins];
        for (int k = 0; k < kBins; ++k) {
            const int band = m_bandOfBin[k];
            db[k] = m_gainDb[from[band]][k] + place[band] * m_gainStepDb[from[band]][k];
        }
        for (int k = 0; k < kBins; ++k) {
            const float smoothed = 0.25f * (db[std::max(k - 1, 0)] + 2.0f * db[k] + db[std::min(k + 1, kBins - 1)]);
            gains[2 * k] = gains[2 * k + 1] = FastExp2(share * smoothed * kDbToLog2);
        }
    }
    gains[1] = gains[2 * kBins - 2];  // half the sampling rate, as the top bin
    for (int i = 0; i < kFloats; ++i)
        spectrum[i] *= gains[i];
}

double CAidStage::GainDbAt(double hz) const
{
    const int k = std::clamp(static_cast<int>(std::lround(hz / FrameGeometry::kBinHz)), 0, kBins - 1);
    if (m_bLinear)
        return m_gainDb[0][k];
    const double level = std::clamp(m_smoother[m_bandOfBin[k]].Level(), CAidFitting::kInputSpl[0],
                                    CAidFitting::kInputSpl[CAidFitting::kLevels - 1]);
    const int from = level < CAidFitting::kInputSpl[1] ? 0 : 1;
    const double place =
        (level - CAidFitting::kInputSpl[from]) / (CAidFitting::kInputSpl[from + 1] - CAidFitting::kInputSpl[from]);
    return m_gainDb[from][k] + place * m_gainStepDb[from][k];
}
