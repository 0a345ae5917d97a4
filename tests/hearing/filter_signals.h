#pragma once

#include "auditory_filter_bank.h"
#include "erb_scale.h"

#include <cmath>
#include <vector>

// A sine of `samples` samples at `hz`, RMS `rmsDbFs` below full scale.
inline std::vector<short> Tone(double hz, double rmsDbFs, int samples)
{
    const double amplitude = 32768.0 * std::sqrt(2.0) * std::pow(10.0, rmsDbFs / 20.0);
    std::vector<short> tone(samples);
    for (int i = 0; i < samples; ++i)
        tone[i] = static_cast<short>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / 44100)));
    return tone;
}

// The auditory filter whose centre lies nearest `hz`.
inline int NearestChannel(double hz)
{
    return static_cast<int>(std::lround((ErbNumber(hz) - CAuditoryFilterBank::kLowestErbNumber) /
                                        CAuditoryFilterBank::kSpacingErbs));
}
