#pragma once

// 16-bit sample arithmetic. Overflow saturates: wrapping would turn a loud peak
// into a full-scale click of the opposite sign.

inline short SaturateToSample(int value)
{
    if (value > 32767)
        return 32767;
    if (value < -32768)
        return -32768;
    return static_cast<short>(value);
}

// Truncates toward zero, then saturates (40000.7 gives 32767).
inline short SaturateToSample(double value)
{
    if (value >= 32767.0)
        return 32767;
    if (value <= -32768.0)
        return -32768;
    if (value != value)  // NaN: converting it to an integer would be undefined
        return 0;
    return static_cast<short>(static_cast<int>(value));
}

inline short AddSamples(short a, short b)
{
    return SaturateToSample(static_cast<int>(a) + static_cast<int>(b));
}

// into[k] = AddSamples(into[k], from[k]) for k < count.
void AddSamples(short* into, const short* from, int count);
