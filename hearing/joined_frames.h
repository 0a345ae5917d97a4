#pragma once

#include "frame_geometry.h"

#include <algorithm>

// Three frames a hop apart joined into one window over 256 + 2·128 samples:
// twice a frame's resolution, from the frames' spectra alone, never looking
// ahead of the newest. Kept for the lowest `kJoinedBins` bins.
template <int kJoinedBins>
class CJoinedFrames {
    static_assert(kJoinedBins <= FrameGeometry::kBins, "a frame has no more bins");

public:
    void Clear()
    {
        for (auto& frame : m_previous)
            std::fill(frame, frame + 2 * kJoinedBins, 0.0f);
    }

    // Joins a packed frame spectrum to the two before it; the joined power
    // of bins 0 .. `bins` - 1 (at most kJoinedBins; bin 0 reads none) is then
    // Power(). Only those bins are kept: clear before asking for more.
    void Add(const float* spectrum, int bins = kJoinedBins)
    {
        // The forward transform's exponent is positive: a frame one hop later
        // is turned by i^k in bin k to sit a hop further into the joined
        // window, one a hop earlier by (-i)^k.
        const float* const older = m_previous[0];
        const float* const old = m_previous[1];
        for (int k = 0; k < bins; ++k) {
            const float re = spectrum[2 * k];
            const float im = spectrum[2 * k + 1];
            float sumRe = old[2 * k];
            float sumIm = old[2 * k + 1];
            switch (k % 4) {
            case 0: sumRe += re + older[2 * k]; sumIm += im + older[2 * k + 1]; break;
            case 1: sumRe += -im + older[2 * k + 1]; sumIm += re - older[2 * k]; break;
            case 2: sumRe += -re - older[2 * k]; sumIm += -im - older[2 * k + 1]; break;
            default: sumRe += im - older[2 * k + 1]; sumIm += -re + older[2 * k]; break;
            }
            m_power[k] = sumRe * sumRe + sumIm * sumIm;
        }
        m_power[0] = 0.0f;
        std::copy(m_previous[1], m_previous[1] + 2 * bins, m_previous[0]);
        std::copy(spectrum, spectrum + 2 * bins, m_previous[1]);
        m_previous[1][1] = 0.0f;  // float 1 is half the rate, not bin 0's imaginary part
    }

    const float* Power() const { return m_power; }

private:
    float m_previous[2][2 * kJoinedBins] = {};  // the last two frames' bins, older first
    float m_power[kJoinedBins] = {};
};
