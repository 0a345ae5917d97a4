#include "envelope_low_pass.h"

#include <cmath>

void CEnvelopeLowPass::SetCutOff(double cutOffHz, double framesPerSecond)
{
    constexpr double kPi = 3.14159265358979323846;
    m_keep = std::exp(-2.0 * kPi * cutOffHz / framesPerSecond);
}
