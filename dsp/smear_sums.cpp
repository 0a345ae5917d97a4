#include "smear_sums.h"

#include "simd.h"

// Every lane runs over all of the group's magnitudes, in order, with a weight
// of 0 outside its own range: adding such a product (+0, or -0 from a
// negative DC term) leaves a sum of non-negative products unchanged, so each
// lane's sum equals the sum over its own range alone. All lanes read the same
// magnitude at each step, so it is loaded once for all of them.

namespace {

void SmearSumsPlain(const float* weights, const float* magnitudes, int span, float* totals)
{
    for (int lane = 0; lane < kSmearLanes; ++lane)
        totals[lane] = 0.0f;
    for (int t = 0; t < span; ++t, weights += kSmearLanes)
        for (int lane = 0; lane < kSmearLanes; ++lane)
            totals[lane] += weights[lane] * magnitudes[t];
}

#ifdef SONAFEL_SSE2
void SmearSumsSse2(const float* weights, const float* magnitudes, int span, float* totals)
{
    constexpr int kVectors = kSmearLanes / 4;
    __m128 total[kVectors];
    for (__m128& vector : total)
        vector = _mm_setzero_ps();
    for (int t = 0; t < span; ++t, weights += kSmearLanes) {
        const __m128 m = _mm_set1_ps(magnitudes[t]);
        for (int v = 0; v < kVectors; ++v)
            total[v] = _mm_add_ps(total[v], _mm_mul_ps(_mm_loadu_ps(weights + 4 * v), m));
    }
    for (int v = 0; v < kVectors; ++v)
        _mm_storeu_ps(totals + 4 * v, total[v]);
}
#endif

#ifdef SONAFEL_AVX_DISPATCH
__attribute__((target("avx2"))) void SmearSumsAvx2(const float* weights, const float* magnitudes, int span,
                                                   float* totals)
{
    constexpr int kVectors = kSmearLanes / 8;
    __m256 total[kVectors];
    for (__m256& vector : total)
        vector = _mm256_setzero_ps();
    for (int t = 0; t < span; ++t, weights += kSmearLanes) {
        const __m256 m = _mm256_broadcast_ss(magnitudes + t);
        for (int v = 0; v < kVectors; ++v)
            total[v] = _mm256_add_ps(total[v], _mm256_mul_ps(_mm256_loadu_ps(weights + 8 * v), m));
    }
    for (int v = 0; v < kVectors; ++v)
        _mm256_storeu_ps(totals + 8 * v, total[v]);
}

__attribute__((target("avx512f"))) void SmearSumsAvx512(const float* weights, const float* magnitudes, int span,
                                                        float* totals)
{
    constexpr int kVectors = kSmearLanes / 16;
    __m512 total[kVectors];
    for (__m512& vector : total)
        vector = _mm512_setzero_ps();
    for (int t = 0; t < span; ++t, weights += kSmearLanes) {
        const __m512 m = _mm512_set1_ps(magnitudes[t]);
        for (int v = 0; v < kVectors; ++v)
            total[v] = _mm512_add_ps(total[v], _mm512_mul_ps(_mm512_loadu_ps(weights + 16 * v), m));
    }
    for (int v = 0; v < kVectors; ++v)
        _mm512_storeu_ps(totals + 16 * v, total[v]);
}
#endif

}  // namespace

SmearSumsFunction SmearSumsFor(VectorPath path)
{
    switch (path) {
#ifdef SONAFEL_SSE2
    case VectorPath::Sse2:
        return SmearSumsSse2;
#endif
#ifdef SONAFEL_AVX_DISPATCH
    case VectorPath::Avx2:
        return SmearSumsAvx2;
    case VectorPath::Avx512:
        return SmearSumsAvx512;
#endif
    default:
        return SmearSumsPlain;
    }
}
