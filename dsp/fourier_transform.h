#pragma once

// In-place discrete Fourier transforms on single-precision data. Twiddle
// factors and intermediate values are carried in double precision; results are
// rounded to float when stored.

// The transforms run from tables prepared for at most this many complex
// values. A size they do not hold (above it, or not a power of two) stops the
// program rather than let a transform write past its tables.
constexpr int kMaxFourierComplex = 2048;

// Radix-2 transform of n complex values (2n floats, real part first), n a
// power of two from 1 to kMaxFourierComplex, with exponent sign `sign` (+1 or
// -1), unscaled.
void FourierTransform(float* data, int n, int sign);

// Real transform of 2n samples, n a power of two from 2 to kMaxFourierComplex.
// direction 1: the samples become their packed spectrum (float 0 the DC term,
// float 1 the term at half the sampling rate, then real and imaginary parts
// of bins 1..n-1), with exponent sign +1. Any other direction: a packed
// spectrum becomes samples, scaled so that forward then inverse multiplies
// by n.
void RealFourierTransform(float* data, int n, int direction);
