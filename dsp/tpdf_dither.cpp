#include "tpdf_dither.h"

#include "float_output.h"

namespace {

constexpr std::uint64_t kSeed = 0x536F6E6166656C21ULL;
constexpr std::uint64_t kGolden = 0x9E3779B97F4A7C15ULL;
constexpr float kUnit = 1.0f / 256.0f;

// The finaliser of SplitMix64: a well-mixed 64-bit value for each n.
std::uint64_t Mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Four samples draw on one mixed value: 16 bits each, two uniform values
// of 8 bits each, fine enough for a dither of one step.
float QuarterValue(std::uint64_t bits, std::uint64_t lane)
{
    const auto quarter = static_cast<unsigned>(bits >> (16 * lane)) & 0xFFFFu;
    return static_cast<float>(static_cast<int>(quarter >> 8) - static_cast<int>(quarter & 0xFFu)) * kUnit;
}

std::uint64_t QuadBits(std::uint64_t n)
{
    return Mix(kSeed + (n / 4 + 1) * kGolden);
}

}  // namespace

float CTpdfDither::Value(std::uint64_t n)
{
    return QuarterValue(QuadBits(n), n % 4);
}

void CTpdfDither::ConvertAgain(const float* in, short* out, int count)
{
    m_next = m_last;
    Convert(in, out, count);
}

void CTpdfDither::Convert(const float* in, short* out, int count)
{
    m_last = m_next;
    int i = 0;
    for (; i < count && m_next % 4 != 0; ++i)
        out[i] = RoundedSample(in[i] + Value(m_next++));
    for (; i + 3 < count; i += 4, m_next += 4) {
        const std::uint64_t bits = QuadBits(m_next);
        for (int lane = 0; lane < 4; ++lane)
            out[i + lane] = RoundedSample(in[i + lane] + QuarterValue(bits, static_cast<std::uint64_t>(lane)));
    }
    for (; i < count; ++i)
        out[i] = RoundedSample(in[i] + Value(m_next++));
}
