#include "sample_arithmetic.h"

// The mixer's and the overlap-add's saturating sums, eight at a time where
// the processor has SSE2 (every x86-64 one): the one vector loop of this
// layer, so it needs nothing of the transforms' dispatch. Integer sums are
// exact, so both loops give the same samples.
#if (defined(__SSE2__) || defined(_M_X64)) && !defined(SONAFEL_NO_SIMD)
#include <emmintrin.h>
#define SONAFEL_SAMPLE_SSE2 1
#endif

void AddSamples(short* into, const short* from, int count)
{
    int k = 0;
#ifdef SONAFEL_SAMPLE_SSE2
    for (; k + 8 <= count; k += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(into + k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(into + k), _mm_adds_epi16(a, b));
    }
#endif
    for (; k < count; ++k)
        into[k] = AddSamples(into[k], from[k]);
}
