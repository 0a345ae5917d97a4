#include "fourier_transform.h"

#include "simd.h"
#include "vector_path.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kMaxComplex = kMaxFourierComplex;

// Stops the program on a size the tables do not hold: writing past them would
// corrupt memory silently.
void RequirePreparedSize(int n, int smallest)
{
    if (n < smallest || n > kMaxComplex || (n & (n - 1)) != 0) {
        std::fprintf(stderr, "Fourier transform of %d complex values: the tables hold powers of two from %d to %d\n",
                     n, smallest, kMaxComplex);
        std::abort();
    }
}

// A twiddle factor wr + i wi, laid out for vector arithmetic: {wr, wr} and
// {-wi, wi}.
struct alignas(16) Twiddle {
    double wr[2];
    double wi[2];

    Twiddle() = default;
    Twiddle(double real, double imaginary) : wr{real, real}, wi{-imaginary, imaginary} {}
    double Real() const { return wr[0]; }
    double Imaginary() const { return wi[1]; }
};

// The twiddle factors come from a trigonometric recurrence, two sine
// evaluations per stage; its values depend only on the stage length and the
// sign, so they are worked out once, exactly as the recurrence gives them.
class TwiddleTables {
public:
    TwiddleTables()
    {
        int swaps = 0;
        int quarters = 0;
        for (int order = 0, n = 1; n <= kMaxComplex; ++order, n *= 2) {
            m_swapStart[order] = swaps;
            int j = 0;
            for (int i = 0; i < 2 * n; i += 2) {
                if (j > i)
                    m_swaps[swaps++] = {static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(j)};
                int m = n;
                while (m >= 2 && j >= m) {
                    j -= m;
                    m /= 2;
                }
                j += m;
            }
            m_swapStart[order + 1] = swaps;
            if (n >= 4) {
                m_quarterStart[order] = quarters;
                for (int g = 0; g < n / 4; ++g) {
                    int reversed = 0;
                    for (int bit = 1; bit < n / 4; bit *= 2)
                        reversed = 2 * reversed + ((g & bit) ? 1 : 0);
                    m_quarterReversed[quarters++] = static_cast<std::uint16_t>(reversed);
                }
            }
        }
        for (int s = 0; s < 2; ++s) {
            const int sign = s == 0 ? 1 : -1;
            for (int len = 2; len <= kMaxComplex; len *= 2) {
                Recurrence w(6.28318530717959 / (len * sign), 1.0, 0.0);
                for (int m = 0; m < len / 2; ++m) {
                    const int k = 2 * (len / 2 - 1 + m);
                    m_stageWr[s][k] = m_stageWr[s][k + 1] = w.wr;
                    m_stageWi[s][k] = -w.wi;
                    m_stageWi[s][k + 1] = w.wi;
                    w.Advance();
                }
            }
            for (int n = 4; n <= kMaxComplex; n *= 2) {
                const double theta = sign * (3.141592653589793 / n);
                Recurrence w(theta, 0.0, 0.0);
                w.wr = 1.0 + w.cr;
                w.wi = w.ci;
                for (int i = 2; i <= n / 2; ++i) {
                    m_real[s][n / 2 - 1 + i - 2] = Twiddle(w.wr, w.wi);
                    w.Advance();
                }
            }
        }
    }

    // The swaps of the bit-reversal permutation of n complex values, as float
    // indices i < j, in order; returns their number.
    int Swaps(int n, const std::pair<std::uint16_t, std::uint16_t>** swaps) const
    {
        const int order = Log2(n);
        *swaps = &m_swaps[m_swapStart[order]];
        return m_swapStart[order + 1] - m_swapStart[order];
    }

    // For n >= 4: entry g is the complex value that the bit-reversal
    // permutation puts at 4g; those at 4g + 1, 2, 3 lie n/2, n/4 and 3n/4
    // further on.
    const std::uint16_t* QuarterReversed(int n) const { return &m_quarterReversed[m_quarterStart[Log2(n)]]; }

    // The twiddles of one butterfly stage, `len` floats apart, in order: for
    // butterfly m, {wr, wr} at wr[2m] and {-wi, wi} at wi[2m].
    const double* StageWr(int sign, int len) const { return &m_stageWr[sign > 0 ? 0 : 1][len - 2]; }
    const double* StageWi(int sign, int len) const { return &m_stageWi[sign > 0 ? 0 : 1][len - 2]; }
    // The twiddles of the real transform's pairing step for n complex values.
    const Twiddle* Real(int sign, int n) const { return &m_real[sign > 0 ? 0 : 1][n / 2 - 1]; }

private:
    struct Recurrence {
        double wr, wi, cr, ci;
        Recurrence(double theta, double wr0, double wi0) : wr(wr0), wi(wi0)
        {
            const double half = std::sin(0.5 * theta);
            cr = -2.0 * half * half;  // cos(theta) - 1, accurate for small angles
            ci = std::sin(theta);
        }
        void Advance()
        {
            const double w0 = wr;
            wr = wr * cr - wi * ci + wr;
            wi = wi * cr + w0 * ci + wi;
        }
    };

    static int Log2(int n)
    {
        int order = 0;
        while ((1 << order) < n)
            ++order;
        return order;
    }

    static constexpr int kOrders = 12;  // n = 1 .. kMaxComplex
    int m_swapStart[kOrders + 1];
    std::pair<std::uint16_t, std::uint16_t> m_swaps[2 * kMaxComplex];
    int m_quarterStart[kOrders];
    std::uint16_t m_quarterReversed[kMaxComplex / 2];
    alignas(32) double m_stageWr[2][2 * kMaxComplex];
    alignas(32) double m_stageWi[2][2 * kMaxComplex];
    Twiddle m_real[2][kMaxComplex];
};

const TwiddleTables& Tables()
{
    static const TwiddleTables tables;
    return tables;
}

void BitReverse(float* data, int n)
{
    const std::pair<std::uint16_t, std::uint16_t>* swaps = nullptr;
    const int count = Tables().Swaps(n, &swaps);
    // A complex value moves as one 8-byte unit.
    for (int s = 0; s < count; ++s) {
        std::uint64_t first, second;
        std::memcpy(&first, data + swaps[s].first, sizeof first);
        std::memcpy(&second, data + swaps[s].second, sizeof second);
        std::memcpy(data + swaps[s].first, &second, sizeof second);
        std::memcpy(data + swaps[s].second, &first, sizeof first);
    }
}

// One butterfly stage: the rotated value of each butterfly is formed in
// double and rounded to float before it is added and subtracted.
#ifdef SONAFEL_SSE2
void ButterflyStage(float* data, int floats, int len, const double* wr, const double* wi)
{
    for (int group = 0; group < floats; group += 2 * len) {
        float* const a = data + group;
        float* const b = a + len;
        for (int m = 0; m < len; m += 2) {
            const __m128d x = _mm_cvtps_pd(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(b + m)));
            const __m128d swapped = _mm_shuffle_pd(x, x, 1);
            // [wr xr - wi xi, wr xi + wi xr]
            const __m128d rotated = _mm_add_pd(_mm_mul_pd(_mm_load_pd(wr + m), x), _mm_mul_pd(_mm_load_pd(wi + m), swapped));
            const __m128 t = _mm_cvtpd_ps(rotated);
            const __m128 top = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(a + m));
            _mm_storel_pi(reinterpret_cast<__m64*>(b + m), _mm_sub_ps(top, t));
            _mm_storel_pi(reinterpret_cast<__m64*>(a + m), _mm_add_ps(top, t));
        }
    }
}
#else
void ButterflyStage(float* data, int floats, int len, const double* wr, const double* wi)
{
    for (int group = 0; group < floats; group += 2 * len) {
        float* const a = data + group;
        float* const b = a + len;
        for (int m = 0; m < len; m += 2) {
            const double c = wr[m];
            const double s = wi[m + 1];
            const float tr = static_cast<float>(c * b[m] - s * b[m + 1]);
            const float ti = static_cast<float>(c * b[m + 1] + s * b[m]);
            b[m] = a[m] - tr;
            b[m + 1] = a[m + 1] - ti;
            a[m] += tr;
            a[m + 1] += ti;
        }
    }
}
#endif

#ifdef SONAFEL_AVX_DISPATCH
// The same stage four butterflies at a time, for stages whose groups hold at
// least four (len >= 8).
__attribute__((target("avx"))) void ButterflyStageAvx(float* data, int floats, int len, const double* wr, const double* wi)
{
    const auto rotate = [](const float* b, const double* c, const double* s) __attribute__((target("avx"))) {
        const __m256d x = _mm256_cvtps_pd(_mm_loadu_ps(b));
        return _mm256_cvtpd_ps(
            _mm256_add_pd(_mm256_mul_pd(_mm256_loadu_pd(c), x), _mm256_mul_pd(_mm256_loadu_pd(s), _mm256_permute_pd(x, 0x5))));
    };
    for (int group = 0; group < floats; group += 2 * len) {
        float* const a = data + group;
        float* const b = a + len;
        for (int m = 0; m < len; m += 8) {
            const __m256 t = _mm256_set_m128(rotate(b + m + 4, wr + m + 4, wi + m + 4), rotate(b + m, wr + m, wi + m));
            const __m256 top = _mm256_loadu_ps(a + m);
            _mm256_storeu_ps(b + m, _mm256_sub_ps(top, t));
            _mm256_storeu_ps(a + m, _mm256_add_ps(top, t));
        }
    }
}

// The bit-reversal permutation and the first two stages together: four
// complex values at a time are taken from `source` in their permuted order and
// held in registers through the butterflies of neighbours with the first
// stage's twiddle (wr1, wi1) and of values two apart with the second's (wr2,
// wi2); n >= 4.
__attribute__((target("avx"))) void FirstTwoButterflyStagesAvx(float* data, const float* source, int n,
                                                               const std::uint16_t* quarterReversed, const double* wr1,
                                                               const double* wi1, const double* wr2, const double* wi2)
{
    const __m256d c1 = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(wr1));
    const __m256d s1 = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(wi1));
    const __m256d c2 = _mm256_loadu_pd(wr2);
    const __m256d s2 = _mm256_loadu_pd(wi2);
    const auto twoComplex = [](const float* low, const float* high) __attribute__((target("avx"))) {
        return _mm_loadh_pi(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(low)),
                            reinterpret_cast<const __m64*>(high));
    };
    for (int g = 0; g < n / 4; ++g) {
        // v0 v2 and v1 v3: butterflies (v0, v1) and (v2, v3)
        const float* const v = source + 2 * quarterReversed[g];
        const __m128 a = twoComplex(v, v + n / 2);
        const __m128 b = twoComplex(v + n, v + 3 * n / 2);
        const __m256d x = _mm256_cvtps_pd(b);
        const __m128 t = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(c1, x), _mm256_mul_pd(s1, _mm256_permute_pd(x, 0x5))));
        const __m128 sum = _mm_add_ps(a, t);         // v0' v2'
        const __m128 difference = _mm_sub_ps(a, t);  // v1' v3'
        // butterflies (v0', v2') and (v1', v3')
        const __m128 a2 = _mm_movelh_ps(sum, difference);
        const __m256d x2 = _mm256_cvtps_pd(_mm_movehl_ps(difference, sum));
        const __m128 t2 =
            _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(c2, x2), _mm256_mul_pd(s2, _mm256_permute_pd(x2, 0x5))));
        _mm_storeu_ps(data + 8 * g, _mm_add_ps(a2, t2));
        _mm_storeu_ps(data + 8 * g + 4, _mm_sub_ps(a2, t2));
    }
}

bool UseAvx()
{
    return AudioVectorPath() >= VectorPath::Avx2;
}
#endif

// Pairs bin k (at p) with bin n - k (at q) in the real transform's middle step.
#ifdef SONAFEL_SSE2
inline void PairBins(float* p, float* q, const Twiddle& w, double c1, double c2)
{
    const __m128d a = _mm_cvtps_pd(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p)));
    const __m128d b = _mm_cvtps_pd(_mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(q)));
    const __m128d negateHigh = _mm_set_pd(-0.0, 0.0);
    const __m128d negateLow = _mm_set_pd(0.0, -0.0);
    // [ar, ai] = c1 [p0 + q0, p1 - q1]
    const __m128d arai = _mm_mul_pd(_mm_set1_pd(c1), _mm_add_pd(a, _mm_xor_pd(b, negateHigh)));
    // [bi, br] = [c2 (p0 - q0), -c2 (p1 + q1)]
    const __m128d bibr = _mm_mul_pd(_mm_set_pd(-c2, c2), _mm_add_pd(a, _mm_xor_pd(b, negateLow)));
    const __m128d brbi = _mm_shuffle_pd(bibr, bibr, 1);
    const __m128d wrb = _mm_mul_pd(_mm_load_pd(w.wr), brbi);  // [wr br, wr bi]
    const __m128d wib = _mm_mul_pd(_mm_load_pd(w.wi), bibr);  // [-wi bi, wi br]
    // p: [(ar + wr br) - wi bi, (ai + wr bi) + wi br]
    const __m128d low = _mm_add_pd(_mm_add_pd(arai, wrb), wib);
    // q: [(ar - wr br) + wi bi, (-ai + wr bi) + wi br]
    const __m128d high = _mm_add_pd(_mm_add_pd(_mm_xor_pd(arai, negateHigh), _mm_xor_pd(wrb, negateLow)),
                                    _mm_xor_pd(wib, negateLow));
    _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm_cvtpd_ps(low));
    _mm_storel_pi(reinterpret_cast<__m64*>(q), _mm_cvtpd_ps(high));
}
#else
inline void PairBins(float* p, float* q, const Twiddle& w, double c1, double c2)
{
    const double ar = c1 * (static_cast<double>(p[0]) + q[0]);
    const double ai = c1 * (static_cast<double>(p[1]) - q[1]);
    const double br = -c2 * (static_cast<double>(p[1]) + q[1]);
    const double bi = c2 * (static_cast<double>(p[0]) - q[0]);
    const double wr = w.Real();
    const double wi = w.Imaginary();
    p[0] = static_cast<float>(ar + wr * br - wi * bi);
    p[1] = static_cast<float>(ai + wr * bi + wi * br);
    q[0] = static_cast<float>(ar - wr * br + wi * bi);
    q[1] = static_cast<float>(-ai + wr * bi + wi * br);
}
#endif

#ifdef SONAFEL_AVX_DISPATCH
// The pairing loop of RealFourierTransform from i = 2, two pairs at a time,
// with PairBins' arithmetic: bins k and k + 1 with bins n - k and n - k - 1.
// Returns the i it stopped at.
__attribute__((target("avx"))) int PairBinsAvx(float* data, int n, const Twiddle* twiddles, double c1, double c2)
{
    const __m256d negateHigh = _mm256_set_pd(-0.0, 0.0, -0.0, 0.0);
    const __m256d negateLow = _mm256_set_pd(0.0, -0.0, 0.0, -0.0);
    const __m256d factor1 = _mm256_set1_pd(c1);
    const __m256d factor2 = _mm256_set_pd(-c2, c2, -c2, c2);
    int i = 2;
    for (; i + 1 <= n / 2; i += 2) {
        float* const p = data + 2 * i - 2;
        float* const q = data + 2 * n - 2 * i;  // the lower of the two
        const Twiddle* const w = twiddles + i - 2;
        const __m256d a = _mm256_cvtps_pd(_mm_loadu_ps(p));
        const __m256d reversed = _mm256_cvtps_pd(_mm_loadu_ps(q));
        const __m256d b = _mm256_permute2f128_pd(reversed, reversed, 1);
        const __m256d arai = _mm256_mul_pd(factor1, _mm256_add_pd(a, _mm256_xor_pd(b, negateHigh)));
        const __m256d bibr = _mm256_mul_pd(factor2, _mm256_add_pd(a, _mm256_xor_pd(b, negateLow)));
        const __m256d brbi = _mm256_permute_pd(bibr, 0x5);
        const __m256d wr = _mm256_set_m128d(_mm_load_pd(w[1].wr), _mm_load_pd(w[0].wr));
        const __m256d wi = _mm256_set_m128d(_mm_load_pd(w[1].wi), _mm_load_pd(w[0].wi));
        const __m256d wrb = _mm256_mul_pd(wr, brbi);
        const __m256d wib = _mm256_mul_pd(wi, bibr);
        const __m256d low = _mm256_add_pd(_mm256_add_pd(arai, wrb), wib);
        const __m256d high = _mm256_add_pd(_mm256_add_pd(_mm256_xor_pd(arai, negateHigh), _mm256_xor_pd(wrb, negateLow)),
                                           _mm256_xor_pd(wib, negateLow));
        _mm_storeu_ps(p, _mm256_cvtpd_ps(low));
        const __m128 pairedHigh = _mm256_cvtpd_ps(high);
        _mm_storeu_ps(q, _mm_shuffle_ps(pairedHigh, pairedHigh, _MM_SHUFFLE(1, 0, 3, 2)));
    }
    return i;
}
#endif

// The bit-reversal permutation and the stages done with it; returns the
// length of the next stage.
int PermuteAndBegin(float* data, int n, [[maybe_unused]] int sign)
{
#ifdef SONAFEL_AVX_DISPATCH
    if (UseAvx() && n >= 4) {
        float source[2 * kMaxComplex];
        std::memcpy(source, data, 2 * n * sizeof(float));
        FirstTwoButterflyStagesAvx(data, source, n, Tables().QuarterReversed(n), Tables().StageWr(sign, 2),
                                   Tables().StageWi(sign, 2), Tables().StageWr(sign, 4), Tables().StageWi(sign, 4));
        return 8;
    }
#endif
    BitReverse(data, n);
    return 2;
}

}  // namespace

void FourierTransform(float* data, int n, int sign)
{
    RequirePreparedSize(n, 1);
    const int floats = 2 * n;
    for (int len = PermuteAndBegin(data, n, sign); floats > len; len *= 2) {
        const double* const wr = Tables().StageWr(sign, len);
        const double* const wi = Tables().StageWi(sign, len);
#ifdef SONAFEL_AVX_DISPATCH
        if (UseAvx() && len >= 8) {
            ButterflyStageAvx(data, floats, len, wr, wi);
            continue;
        }
#endif
        ButterflyStage(data, floats, len, wr, wi);
    }
}

void RealFourierTransform(float* data, int n, int direction)
{
    RequirePreparedSize(n, 2);
    const bool forward = direction == 1;
    const double c1 = 0.5;
    const double c2 = forward ? -0.5 : 0.5;
    if (forward)
        FourierTransform(data, n, 1);

    // Bin k = i - 1 is paired with bin n - k.
    const Twiddle* const twiddles = Tables().Real(forward ? 1 : -1, n);
    int i = 2;
#ifdef SONAFEL_AVX_DISPATCH
    if (UseAvx())
        i = PairBinsAvx(data, n, twiddles, c1, c2);
#endif
    for (; i <= n / 2; ++i) {
        const int p1 = 2 * i - 2;
        PairBins(data + p1, data + 2 * n + 2 - 2 * i, twiddles[i - 2], c1, c2);
    }

    // DC and half the sampling rate share the first complex value.
    const double ar = data[0];
    if (forward) {
        data[0] = static_cast<float>(ar + data[1]);
        data[1] = static_cast<float>(ar - data[1]);
    } else {
        data[0] = static_cast<float>(c1 * (ar + data[1]));
        data[1] = static_cast<float>(c1 * (ar - data[1]));
        FourierTransform(data, n, -1);
    }
}
