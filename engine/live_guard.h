#pragma once

#include "presentation_level.h"

#include <atomic>

// What keeps live sound safe at the ear: a limiter on each channel that lets
// nothing above 100 dB SPL (or full scale) through, always, and a mute when
// the sound reaches beyond the ceiling in every hop for a second, which is
// what feedback from the loudspeaker or the headphones into the microphone
// does. Sound below the ceiling passes unchanged, to the bit.
class CLiveGuard {
public:
    static constexpr int kPinnedSamplesToMute = 44100;  // one second

    // The calibration: digital RMS 1 (0 dB FS) plays at `fullScaleSpl` dB SPL.
    void SetFullScaleLevel(double fullScaleSpl);
    // Limits `frames` stereo frames (left, right) in place; silence once muted.
    void Process(short* stereo, int frames);
    // Whether feedback muted the output; from any thread.
    bool Muted() const { return m_muted.load(std::memory_order_relaxed); }
    // Sound again, after the cause has been dealt with.
    void Unmute();

private:
    CLimiter m_limiter[2];
    int m_pinnedSamples = 0;
    std::atomic<bool> m_muted{false};
};
