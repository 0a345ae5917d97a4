#include "presented_output.h"

#include <algorithm>
#include <cmath>

namespace {

short ToSample(float value)
{
    return static_cast<short>(std::clamp(std::trunc(static_cast<double>(value)), -32768.0, 32767.0));
}

}  // namespace

void CPresentedOutput::TakeCarry(const short* carry, int count)
{
    std::fill(m_sum, m_sum + kSize, 0.0f);
    std::copy(carry, carry + count, m_sum);
}

void CPresentedOutput::GiveCarry(short* carry, int count) const
{
    std::transform(m_sum, m_sum + count, carry, ToSample);
}

void CPresentedOutput::AddFrame(int at, const float* data, const float* window, double scale, int count)
{
    for (int i = 0; i < count; ++i)
        m_sum[at + i] = static_cast<float>(m_sum[at + i] + static_cast<double>(data[i]) * window[i] * scale);
}

void CPresentedOutput::Finish(CLimiter& limiter, short* out, int count, int carry)
{
    limiter.Process(m_sum, count);
    std::transform(m_sum, m_sum + count, out, ToSample);
    std::copy(m_sum + count, m_sum + count + carry, m_sum);
    std::fill(m_sum + carry, m_sum + kSize, 0.0f);
}
