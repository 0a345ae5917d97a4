#pragma once

#include <cmath>
#include <optional>

// Presenting the recordings at a chosen sound pressure level.

// The highest sample magnitude the limiter lets through at full scale: a
// little below the 16-bit rail, so that no sample the limiter has shaped
// reaches it when converted.
constexpr double kLimiterFullScalePeak = 32000.0;

// Nothing louder than this is presented, in dB SPL.
constexpr double kHighestPresentedSpl = 100.0;

// The limiter's ceiling in sample magnitude when digital RMS 1 plays at
// `fullScaleSpl` dB SPL: a sine's peak at kHighestPresentedSpl, or the
// full-scale peak if that is lower.
double LimiterCeiling(double fullScaleSpl);

// The highest level in dB SPL a recording can be presented at before the
// limiter acts on its loudest sample: its active level (dB FS) raised until
// its peak (sample magnitude) meets the ceiling. Nothing for a recording
// without an active level.
std::optional<double> HighestUnlimitedLevel(double fullScaleSpl, double activeLevelDbFs, int peakMagnitude);

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
