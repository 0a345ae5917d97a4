#include "loss_processor.h"

#include "output_volume.h"

#include <cmath>
#include <cstdint>

void CLossProcessor::ApplyLoudness(short* samples, int count) const
{
    ScaleSamples(SetVolumeForLoudness(m_dLoudness), samples, count);
}

void CLossProcessor::ScaleSamples(double gain, short* samples, int count)
{
    if (gain != 1.0)
        for (int i = 0; i < count; ++i)
            samples[i] = static_cast<short>(samples[i] * gain);
}

CLossProcessor::LoudnessShares CLossProcessor::SplitLoudness(double loudness)
{
    // The device volume carries the first 20 dB; below its floor the samples
    // carry the rest.
    constexpr std::uint32_t kVolumeFloor = 6553;
    const double attenuationDb = (1.0 - loudness) * -75.0;
    auto volume = static_cast<std::uint32_t>(65535.0 * std::pow(10.0, attenuationDb / 20.0));
    double remainderDb = 0.0;
    if (volume <= kVolumeFloor) {
        volume = kVolumeFloor;
        remainderDb = attenuationDb + 20.0;
    }
    return {volume * 65536u + volume, remainderDb < 0.0 ? std::pow(10.0, remainderDb / 20.0) : 1.0};
}

double CLossProcessor::SetVolumeForLoudness(double loudness)
{
    const LoudnessShares shares = SplitLoudness(loudness);
    SetOutputVolume(shares.volume);
    return shares.sampleGain;
}

double CLossProcessor::LiveLoudnessGain(double loudness)
{
    const LoudnessShares shares = SplitLoudness(loudness);
    m_liveVolume = shares.volume;
    return shares.sampleGain;
}
