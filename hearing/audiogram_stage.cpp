#include "audiogram_stage.h"

#include <cmath>

namespace {

float Attenuation(double hearingLevel)
{
    return hearingLevel > 0.0 ? static_cast<float>(std::pow(10.0, -hearingLevel / 20.0)) : 1.0f;
}

}  // namespace

void CAudiogramStage::Build(const CAudiogram* audiogram)
{
    m_active = audiogram != nullptr;
    if (!audiogram)
        return;
    constexpr int kBins = kFloats / 2;
    m_gain[0] = Attenuation(audiogram->LevelAt(0.0));
    m_gain[1] = Attenuation(audiogram->LevelAt(kBins * kBinHz));
    for (int k = 1; k < kBins; ++k)
        m_gain[2 * k] = m_gain[2 * k + 1] = Attenuation(audiogram->LevelAt(k * kBinHz));
}

void CAudiogramStage::Apply(float* spectrum) const
{
    for (int i = 0; i < kFloats; ++i)
        spectrum[i] *= m_gain[i];
}
