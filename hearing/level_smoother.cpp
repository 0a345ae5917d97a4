#include "level_smoother.h"

#include <cmath>

void CLevelSmoother::SetTimes(double framesPerSecond, double attackSeconds, double releaseSeconds)
{
    m_attack = std::exp(-1.0 / (framesPerSecond * attackSeconds));
    m_release = std::exp(-1.0 / (framesPerSecond * releaseSeconds));
}

double CLevelSmoother::Next(double measured)
{
    const double keep = measured > m_level ? m_attack : m_release;
    m_level = measured + keep * (m_level - measured);
    return m_level;
}
