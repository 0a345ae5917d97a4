#include "float_output.h"

#include <algorithm>
#include <cmath>

namespace {

short Truncated(float value)
{
    return static_cast<short>(std::clamp(std::trunc(static_cast<double>(value)), -32768.0, 32767.0));
}

}  // namespace

void CFloatOutput::TakeCarry(const short* carry, int count, int at)
{
    std::fill(m_sum, m_sum + kSize, 0.0f);
    std::copy(carry, carry + count, m_sum + at);
}

void CFloatOutput::GiveCarry(short* carry, int count, int at) const
{
    // Truncated, as the plain chain's partial sums are.
    std::transform(m_sum + at, m_sum + at + count, carry, Truncated);
}

void CFloatOutput::CopyCarry(const CFloatOutput& from, int count)
{
    std::fill(m_sum, m_sum + kSize, 0.0f);
    std::copy(from.m_sum, from.m_sum + count, m_sum);
}

void CFloatOutput::SetSynthesisWindow(const float* window, double scale, int count)
{
    m_windowLength = std::min(count, kMaxWindow);
    for (int i = 0; i < m_windowLength; ++i)
        m_window[i] = static_cast<float>(window[i] * scale);
}

void CFloatOutput::AddFrame(int at, const float* data)
{
    float* const sum = m_sum + at;
    for (int i = 0; i < m_windowLength; ++i)
        sum[i] += data[i] * m_window[i];
}

void CFloatOutput::Advance(int count, int carry)
{
    std::copy(m_sum + count, m_sum + count + carry, m_sum);
    std::fill(m_sum + carry, m_sum + kSize, 0.0f);
}

void RoundToSamples(const float* in, short* out, int count)
{
    std::transform(in, in + count, out, RoundedSample);
}
