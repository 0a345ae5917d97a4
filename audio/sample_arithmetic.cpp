#include "sample_arithmetic.h"

#include "simd.h"

void AddSamples(short* into, const short* from, int count)
{
    int k = 0;
#ifdef SONAFEL_SSE2
    for (; k + 8 <= count; k += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(into + k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(into + k), _mm_adds_epi16(a, b));
    }
#endif
    for (; k < count; ++k)
        into[k] = AddSamples(into[k], from[k]);
}
