#include "presentation_level.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

double ActiveSpeechLevelDbFs(const short* samples, int count)
{
    constexpr int kPiece = 882;  // 20 ms
    constexpr double kFullScalePower = 32768.0 * 32768.0;
    const double quietest = kFullScalePower * std::pow(10.0, -50.0 / 10.0);
    double sum = 0.0;
    long long counted = 0;
    for (int start = 0; start + kPiece <= count; start += kPiece) {
        double piece = 0.0;
        for (int i = start; i < start + kPiece; ++i)
            piece += static_cast<double>(samples[i]) * samples[i];
        if (piece / kPiece > quietest) {
            sum += piece;
            counted += kPiece;
        }
    }
    return counted ? 10.0 * std::log10(sum / static_cast<double>(counted) / kFullScalePower) : -100.0;
}

void CLimiter::Process(short* samples, int count)
{
    if (!Active() || count <= 0)
        return;
    int peak = 0;
    for (int i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    const double needed = peak > 0 ? std::min(1.0, m_ceiling / peak) : 1.0;
    const double target = needed < m_gain ? needed : std::min(needed, m_gain * std::pow(10.0, 1.0 / 20.0));
    // Falling within the first 1.5 ms, rising over the whole block.
    const int ramp = target < m_gain ? std::min(64, count) : count;
    for (int i = 0; i < count; ++i) {
        const double gain = i < ramp ? m_gain + (target - m_gain) * (i + 1) / ramp : target;
        const double limited = std::clamp(samples[i] * gain, -m_ceiling, m_ceiling);
        samples[i] = static_cast<short>(limited);
    }
    m_gain = target;
}
