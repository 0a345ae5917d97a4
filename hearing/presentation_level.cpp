#include "presentation_level.h"

#include <algorithm>
#include <cmath>

double LimiterCeiling(double fullScaleSpl)
{
    return std::min(kLimiterFullScalePeak,
                    32768.0 * std::sqrt(2.0) * std::pow(10.0, (kHighestPresentedSpl - fullScaleSpl) / 20.0));
}

std::optional<double> HighestUnlimitedLevel(double fullScaleSpl, double activeLevelDbFs, int peakMagnitude)
{
    if (!(activeLevelDbFs > -100.0) || peakMagnitude <= 0)
        return std::nullopt;
    return fullScaleSpl + activeLevelDbFs + 20.0 * std::log10(LimiterCeiling(fullScaleSpl) / peakMagnitude);
}

void CLimiter::Process(float* samples, int count)
{
    if (!Active())
        return;
    for (; count > kMaxSamples; samples += kMaxSamples, count -= kMaxSamples)
        Process(samples, kMaxSamples);
    if (count <= 0)
        return;
    std::fill(m_allowed, m_allowed + count, 1.0f);
    // Each sample beyond the ceiling pulls the gain down to what it needs,
    // linearly over the samples before it.
    for (int j = 0; j < count; ++j) {
        const double magnitude = std::abs(static_cast<double>(samples[j]));
        if (magnitude <= m_ceiling)
            continue;
        const double needed = m_ceiling / magnitude;
        for (int i = std::max(0, j - kLookAhead); i <= j; ++i) {
            const double ramp = needed + (1.0 - needed) * (j - i) / kLookAhead;
            m_allowed[i] = std::min(m_allowed[i], static_cast<float>(ramp));
        }
    }
    // Rising back slowly. The clamp only takes off what float rounding of
    // the gain may leave above the ceiling.
    const double rise = std::pow(10.0, 1.0 / 20.0 / 3968.0);
    double gain = m_gain;
    for (int i = 0; i < count; ++i) {
        gain = std::min(static_cast<double>(m_allowed[i]), std::min(1.0, gain * rise));
        samples[i] = static_cast<float>(std::clamp(samples[i] * gain, -m_ceiling, m_ceiling));
    }
    m_gain = gain;
}
