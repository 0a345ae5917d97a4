#include "live_guard.h"

#include "float_output.h"

#include <cmath>
#include <cstring>

void CLiveGuard::SetFullScaleLevel(double fullScaleSpl)
{
    for (CLimiter& limiter : m_limiter)
        limiter.SetCeiling(LimiterCeiling(fullScaleSpl));
}

void CLiveGuard::Process(short* stereo, int frames)
{
    if (Muted()) {
        std::memset(stereo, 0, static_cast<std::size_t>(2 * frames) * sizeof(short));
        return;
    }
    // Pinned: sound reaching beyond the ceiling in every piece, not the
    // limiter's slow recovery after one loud moment.
    bool pinned = false;
    for (int channel = 0; channel < 2; ++channel) {
        float samples[CLimiter::kMaxSamples];
        for (int i = 0; i < frames; ++i) {
            samples[i] = stereo[2 * i + channel];
            pinned = pinned || std::abs(samples[i]) > m_limiter[channel].Ceiling();
        }
        m_limiter[channel].Process(samples, frames);
        for (int i = 0; i < frames; ++i)
            stereo[2 * i + channel] = RoundedSample(samples[i]);
    }
    m_pinnedSamples = pinned ? m_pinnedSamples + frames : 0;
    if (m_pinnedSamples >= kPinnedSamplesToMute)
        m_muted.store(true, std::memory_order_relaxed);
}

void CLiveGuard::Unmute()
{
    m_pinnedSamples = 0;
    m_muted.store(false, std::memory_order_relaxed);
}
