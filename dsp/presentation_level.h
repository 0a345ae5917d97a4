#pragma once

// Presenting the recordings at a chosen sound pressure level.

// The level of speech while it is spoken, in dB relative to full scale (RMS
// 32768): the RMS of the 20 ms pieces louder than 50 dB below full scale,
// which leaves the pauses' room tone out. -100 when nothing is that loud.
double ActiveSpeechLevelDbFs(const short* samples, int count);

// Keeps every sample within a ceiling: a gain that falls within 1.5 ms at the
// start of a block that would exceed it, and rises back by 1 dB per block at
// most, smoothly over the block; what still lies beyond the ceiling during
// the fall is cut at it.
class CLimiter {
public:
    // The highest sample magnitude let through; 32767 and above: the limiter
    // does nothing.
    void SetCeiling(double peak) { m_ceiling = peak; }
    bool Active() const { return m_ceiling < 32767.0; }
    void Process(short* samples, int count);
    double Gain() const { return m_gain; }

private:
    double m_ceiling = 32767.0;
    double m_gain = 1.0;
};
