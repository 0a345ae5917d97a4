#pragma once

#include <cstdint>

// Converts float samples (in 16-bit units) to 16 bits once, rounding after
// adding TPDF dither: the difference of two independent uniform values of
// one step, triangular over ±1 step. The error is then a steady noise of
// half a step RMS whatever the signal, where truncation would lose level on
// quiet sounds and distort them. The dither is a fixed sequence: sample n
// of the stream always draws the same value, so a render repeats bit for bit.
class CTpdfDither {
public:
    void Convert(const float* in, short* out, int count);
    // Converts another channel of the samples just converted, with the same
    // dither: channels that are alike stay alike.
    void ConvertAgain(const float* in, short* out, int count);
    // The dither added to sample `n` of the stream, in steps.
    static float Value(std::uint64_t n);

private:
    std::uint64_t m_next = 0;  // the stream's next sample
    std::uint64_t m_last = 0;  // the first sample of the last conversion
};
