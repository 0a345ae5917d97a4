#include "source_crossfade.h"

#include <algorithm>
#include <cmath>

void CSourceCrossfade::Start(short* old, int length, int position)
{
    delete[] m_old;
    m_old = old;
    m_length = length;
    m_position = position;
    m_done = 0;
}

void CSourceCrossfade::Stop()
{
    delete[] m_old;
    m_old = nullptr;
}

void CSourceCrossfade::Mix(short* buffer, int count, const short* samples, int length, int& position)
{
    for (int k = 0; k < count; ++k) {
        const double in = std::min(1.0, static_cast<double>(m_done) / kSamples);
        const double value = (1.0 - in) * m_old[m_position] + in * samples[position];
        const int sum = buffer[k] + static_cast<int>(std::lround(value));
        buffer[k] = static_cast<short>(std::clamp(sum, -32768, 32767));
        ++m_done;
        if (++m_position == m_length)
            m_position = 0;
        if (++position == length)
            position = 0;
    }
}

void CSourceCrossfade::Rewind(int back)
{
    m_done = std::max(0, m_done - back);
    m_position = ((m_position - back) % m_length + m_length) % m_length;
}

void CSourceCrossfade::FinishIfDone()
{
    if (m_old && m_done >= kSamples)
        Stop();
}
