#pragma once

#include "audiogram.h"
#include "frame_geometry.h"

// The audiogram in the frame loop: one attenuation per float of the packed
// frame spectrum, 10^(-HL/20) at the bin's frequency (none where HL <= 0).
// Built when the audiogram changes; processing only multiplies.
class CAudiogramStage {
public:
    static constexpr int kFloats = 512;  // packed spectrum of a 512-point frame
    static constexpr double kBinHz = FrameGeometry::kBinHz;

    // Builds the gains of `audiogram`, or makes the stage do nothing when null.
    void Build(const CAudiogram* audiogram);
    bool Active() const { return m_active; }

    // Multiplies a packed spectrum (float 0 DC, float 1 half the sampling
    // rate, then bin k in floats 2k and 2k+1) by the gains.
    void Apply(float* spectrum) const;

    // The gain of each float, as Apply uses it.
    const float* Gains() const { return m_gain; }

private:
    bool m_active = false;
    float m_gain[kFloats] = {};
};
