#pragma once

// The per-sample loops of the block processor, vectorised where the
// processor allows it, with exactly the results of the plain arithmetic.

// out[i] = window[i] * samples[i], rounded to float.
void WindowSamples(const float* window, const short* samples, float* out, int count);

// magnitudes[k] = sqrt(float(re*re + im*im)) for bins 1..bins-1 of a packed
// spectrum, the sum formed in double.
void BinMagnitudes(const float* spectrum, float* magnitudes, int bins);

// out[i] = data[i] * window[i] * scale in double, truncated toward zero and
// saturated to 16 bits.
void WindowToSamples(const float* data, const float* window, double scale, short* out, int count);
