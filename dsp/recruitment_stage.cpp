#include "recruitment_stage.h"

#include "bark_scale.h"

#include <algorithm>
#include <cmath>

namespace {

// A pure tone's power spreads over the Hann window's main lobe: four bins
// either side in a 512-point transform of 256 windowed samples. A band's
// level takes in at least that much around its centre.
constexpr int kLobeBins = 4;
// Where the smoothed levels start, and the lowest level measured: digital
// silence reads as this, so that an onset after it rises from here as from a
// quiet room, not from hundreds of dB below.
constexpr double kSilenceDb = 0.0;

}  // namespace

double CRecruitmentStage::OutputLevel(double inputLevel, double hearingLevel)
{
    if (hearingLevel <= 0.0 || inputLevel >= kCatchUpLevel)
        return inputLevel;
    if (hearingLevel >= kCatchUpLevel)
        return -HUGE_VAL;  // the law's limit: nothing below C is heard
    const double expansion = kCatchUpLevel / (kCatchUpLevel - hearingLevel);
    return kCatchUpLevel + expansion * (inputLevel - kCatchUpLevel);
}

void CRecruitmentStage::SetAnalysisWindow(const float* window, int windowLength)
{
    // One-sided power of a full-scale (RMS 32768) signal: half the 512-point
    // Parseval sum, 256·Σw²·32768².
    double windowPower = 0.0;
    for (int i = 0; i < windowLength; ++i)
        windowPower += static_cast<double>(window[i]) * window[i];
    m_fullScalePowerDb = 10.0 * std::log10(256.0 * windowPower * 32768.0 * 32768.0);
    m_powerToDbSpl = m_fullScaleSpl - m_fullScalePowerDb;
}

CRecruitmentStage::CRecruitmentStage()
{
    for (int b = 0; b < kBands; ++b) {
        const int centre = static_cast<int>(std::lround(BarkToHz(b + 0.5) / kBinHz));
        const int low = static_cast<int>(std::ceil(BarkToHz(b) / kBinHz));
        const int high = static_cast<int>(std::ceil(BarkToHz(b + 1.0) / kBinHz)) - 1;
        m_low[b] = std::clamp(std::min(low, centre - kLobeBins), 1, kBins - 1);
        m_high[b] = std::clamp(std::max(high, centre + kLobeBins), 1, kBins - 1);
        m_smoother[b].SetTimes(kFramesPerSecond, kAttackSeconds, kReleaseSeconds);
        m_smoother[b].Reset(kSilenceDb);
        m_blockPeak[b] = kSilenceDb;
    }
    for (int k = 0; k < kBins; ++k) {
        const double position = std::clamp(HzToBark(k * kBinHz) - 0.5, 0.0, kBands - 1.0);
        const int band = std::min(static_cast<int>(position), kBands - 2);
        m_binBand[k] = band;
        m_binShare[k] = static_cast<float>(position - band);
    }
}

void CRecruitmentStage::SetFullScaleLevel(double fullScaleSpl)
{
    m_fullScaleSpl = fullScaleSpl;
    m_powerToDbSpl = m_fullScaleSpl - m_fullScalePowerDb;
}

void CRecruitmentStage::Build(const CAudiogram& audiogram)
{
    for (int b = 0; b < kBands; ++b)
        m_hearingLevel[b] = audiogram.LevelAt(BarkToHz(b + 0.5));
}

void CRecruitmentStage::Measure(const float* spectrum)
{
    float power[kBins];
    power[0] = 0.0f;
    for (int k = 1; k < kBins; ++k)
        power[k] = spectrum[2 * k] * spectrum[2 * k] + spectrum[2 * k + 1] * spectrum[2 * k + 1];
    for (int b = 0; b < kBands; ++b) {
        double sum = 1e-20;  // keeps the logarithm finite; floored below
        for (int k = m_low[b]; k <= m_high[b]; ++k)
            sum += power[k];
        const double level = std::max(kSilenceDb, 10.0 * std::log10(sum) + m_powerToDbSpl);
        m_blockPeak[b] = std::max(m_blockPeak[b], m_smoother[b].Next(level));
    }
}

void CRecruitmentStage::BeginBlock()
{
    for (double& peak : m_blockPeak)
        peak = kSilenceDb;
}

void CRecruitmentStage::Apply(float* spectrum)
{
    Measure(spectrum);
    float gain[kBands];
    for (int b = 0; b < kBands; ++b) {
        const double level = m_smoother[b].Level();
        const double change = OutputLevel(level, m_hearingLevel[b]) - level;
        gain[b] = change == 0.0 ? 1.0f : static_cast<float>(std::pow(10.0, change / 20.0));
    }

    // Between band centres the gain runs linearly over Bark; equal gains are
    // taken as they are, so that no change stays exactly no change.
    const auto binGain = [&](int k) {
        const float g0 = gain[m_binBand[k]];
        const float g1 = gain[m_binBand[k] + 1];
        return g0 == g1 ? g0 : g0 + m_binShare[k] * (g1 - g0);
    };
    spectrum[0] *= binGain(0);
    spectrum[1] *= gain[kBands - 1];
    for (int k = 1; k < kBins; ++k) {
        const float g = binGain(k);
        spectrum[2 * k] *= g;
        spectrum[2 * k + 1] *= g;
    }
}
