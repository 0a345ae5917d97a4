#pragma once

#include <cmath>

// Presenting the recordings at a chosen sound pressure level.

// The highest sample magnitude the limiter lets through at full scale: a
// little below the 16-bit rail, so that no sample the limiter has shaped
// reaches it when converted.
constexpr double kLimiterFullScalePeak = 32000.0;

// Keeps every sample of a block, before its conversion to 16 bits, within a
// ceiling. The gain looks ahead within the block: it falls linearly over the
// 64 samples (1.5 ms) before a sample that would exceed the ceiling, so that
// it is down when that sample comes, and rises back by at most 1 dB per
// 3968 samples (a block). A sample within the first 64 of a block falls
// faster, from wherever the gain was.
class CLimiter {
public:
    static constexpr int kLookAhead = 64;
    static constexpr int kMaxSamples = 4096;  // looked ahead over at once

    // The highest sample magnitude let through; infinity (the default): the
    // limiter does nothing.
    void SetCeiling(double peak) { m_ceiling = peak; }
    bool Active() const { return m_ceiling < HUGE_VAL; }
    double Ceiling() const { return m_ceiling; }
    // Limits `count` samples in place.
    void Process(float* samples, int count);
    double Gain() const { return m_gain; }

private:
    double m_ceiling = HUGE_VAL;
    double m_gain = 1.0;
    float m_allowed[kMaxSamples];  // the gain each sample allows, looking ahead
};
