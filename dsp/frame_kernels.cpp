#include "frame_kernels.h"

#include "sample_arithmetic.h"
#include "simd.h"
#include "vector_path.h"

#include <cmath>

void WindowSamples(const float* window, const short* samples, float* out, int count)
{
    int i = 0;
#ifdef SONAFEL_SSE2
    for (; i + 4 <= count; i += 4) {
        const __m128i packed = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples + i));
        const __m128i widened = _mm_srai_epi32(_mm_unpacklo_epi16(packed, packed), 16);
        _mm_storeu_ps(out + i, _mm_mul_ps(_mm_loadu_ps(window + i), _mm_cvtepi32_ps(widened)));
    }
#endif
    for (; i < count; ++i)
        out[i] = window[i] * samples[i];
}

void BinMagnitudes(const float* spectrum, float* magnitudes, int bins)
{
    int k = 1;
#ifdef SONAFEL_SSE2
    for (; k + 4 <= bins; k += 4) {
        // Four bins: re, im pairs widened to double, squared and summed.
        const __m128 first = _mm_loadu_ps(spectrum + 2 * k);
        const __m128 second = _mm_loadu_ps(spectrum + 2 * k + 4);
        const __m128d a = _mm_cvtps_pd(first);
        const __m128d b = _mm_cvtps_pd(_mm_movehl_ps(first, first));
        const __m128d c = _mm_cvtps_pd(second);
        const __m128d d = _mm_cvtps_pd(_mm_movehl_ps(second, second));
        const __m128d a2 = _mm_mul_pd(a, a), b2 = _mm_mul_pd(b, b);
        const __m128d c2 = _mm_mul_pd(c, c), d2 = _mm_mul_pd(d, d);
        const __m128d sum01 = _mm_add_pd(_mm_unpacklo_pd(a2, b2), _mm_unpackhi_pd(a2, b2));
        const __m128d sum23 = _mm_add_pd(_mm_unpacklo_pd(c2, d2), _mm_unpackhi_pd(c2, d2));
        const __m128 sums = _mm_movelh_ps(_mm_cvtpd_ps(sum01), _mm_cvtpd_ps(sum23));
        _mm_storeu_ps(magnitudes + k, _mm_sqrt_ps(sums));
    }
#endif
    for (; k < bins; ++k) {
        const double re = spectrum[2 * k];
        const double im = spectrum[2 * k + 1];
        magnitudes[k] = std::sqrt(static_cast<float>(re * re + im * im));
    }
}

#ifdef SONAFEL_AVX_DISPATCH
namespace {

__attribute__((target("avx"))) __m128i WindowToIntegersAvx(__m128 values, __m128 weights, __m256d factor)
{
    __m256d x = _mm256_mul_pd(_mm256_mul_pd(_mm256_cvtps_pd(values), _mm256_cvtps_pd(weights)), factor);
    x = _mm256_and_pd(x, _mm256_cmp_pd(x, x, _CMP_ORD_Q));  // NaN becomes 0
    x = _mm256_min_pd(_mm256_max_pd(x, _mm256_set1_pd(-32768.0)), _mm256_set1_pd(32767.0));
    return _mm256_cvttpd_epi32(x);
}

// WindowToSamples eight at a time; returns how many it did.
__attribute__((target("avx"))) int WindowToSamplesAvx(const float* data, const float* window, double scale, short* out,
                                                      int count)
{
    const __m256d factor = _mm256_set1_pd(scale);
    int n = 0;
    for (; n + 8 <= count; n += 8) {
        const __m256 values = _mm256_loadu_ps(data + n);
        const __m256 weights = _mm256_loadu_ps(window + n);
        const __m128i low = WindowToIntegersAvx(_mm256_castps256_ps128(values), _mm256_castps256_ps128(weights), factor);
        const __m128i high = WindowToIntegersAvx(_mm256_extractf128_ps(values, 1), _mm256_extractf128_ps(weights, 1), factor);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n), _mm_packs_epi32(low, high));
    }
    return n;
}

}  // namespace
#endif

void WindowToSamples(const float* data, const float* window, double scale, short* out, int count)
{
    int n = 0;
#ifdef SONAFEL_AVX_DISPATCH
    if (AudioVectorPath() >= VectorPath::Avx2)
        n = WindowToSamplesAvx(data, window, scale, out, count);
#endif
#ifdef SONAFEL_SSE2
    const __m128d factor = _mm_set1_pd(scale);
    const __m128d lowest = _mm_set1_pd(-32768.0);
    const __m128d highest = _mm_set1_pd(32767.0);
    const auto convert = [&](__m128 values, __m128 weights) {
        __m128d x = _mm_mul_pd(_mm_mul_pd(_mm_cvtps_pd(values), _mm_cvtps_pd(weights)), factor);
        x = _mm_and_pd(x, _mm_cmpord_pd(x, x));  // NaN becomes 0
        x = _mm_min_pd(_mm_max_pd(x, lowest), highest);
        return _mm_cvttpd_epi32(x);
    };
    for (; n + 4 <= count; n += 4) {
        const __m128 values = _mm_loadu_ps(data + n);
        const __m128 weights = _mm_loadu_ps(window + n);
        const __m128i low = convert(values, weights);
        const __m128i high = convert(_mm_movehl_ps(values, values), _mm_movehl_ps(weights, weights));
        const __m128i samples = _mm_packs_epi32(_mm_unpacklo_epi64(low, high), _mm_setzero_si128());
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + n), samples);
    }
#endif
    for (; n < count; ++n)
        out[n] = SaturateToSample(static_cast<double>(data[n]) * window[n] * scale);
}
