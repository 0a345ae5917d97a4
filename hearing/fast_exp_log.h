#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

// Base-2 logarithm and power in float, within a few parts in a million,
// made of arithmetic and bit moves only, so that a loop over an array of
// them runs in vector registers: for levels and gains, where such errors lie
// far below anything heard (10^-5 dB).

// log2(x) for a normal, positive x: the exponent from the bits and the
// mantissa's logarithm from a polynomial in m - 1, m in [1, 2).
inline float FastLog2(float x)
{
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const auto exponent = static_cast<float>(static_cast<int>(bits >> 23) - 127);
    bits = (bits & 0x007FFFFFu) | 0x3F800000u;
    float mantissa;
    std::memcpy(&mantissa, &bits, sizeof mantissa);
    const float t = mantissa - 1.0f;
    return exponent +
           t * (1.4425348f + t * (-0.71803319f + t * (0.45715612f + t * (-0.27733722f + t * (0.12146853f + t * -0.025790712f)))));
}

// 2^y, y taken within -126 .. 126: the whole part into the exponent bits,
// the fraction f in [0, 1) from a polynomial with 2^0 = 1 exactly.
inline float FastExp2(float y)
{
    y = std::min(std::max(y, -126.0f), 126.0f);
    const int whole = static_cast<int>(y + 127.0f) - 127;  // the floor: truncated while positive
    const float f = y - static_cast<float>(whole);
    const float power =
        1.0f + f * (0.69314700f + f * (0.24022992f + f * (0.055482410f + f * (0.0096812770f + f * (0.0012414238f + f * 0.00021796272f)))));
    const std::uint32_t bits = static_cast<std::uint32_t>(whole + 127) << 23;
    float scale;
    std::memcpy(&scale, &bits, sizeof scale);
    return scale * power;
}
