#pragma once

// SSE2 is part of every x86-64 processor; elsewhere the plain loops run.
// Both give the same results to the bit.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(SONAFEL_NO_SIMD)
#include <emmintrin.h>
#define SONAFEL_SSE2 1
#endif

// Where the compiler can build functions for a newer processor than the rest
// of the program, the transforms choose AVX at run time.
#if defined(SONAFEL_SSE2) && defined(__GNUC__) && defined(__x86_64__) && !defined(SONAFEL_NO_AVX)
#include <immintrin.h>
#define SONAFEL_AVX_DISPATCH 1
#endif
