#pragma once

#include "frame_geometry.h"
#include "smear_sums.h"

#include <vector>

// The smearing of a frame's spectrum: bin i takes the triangle-weighted mean
// of the magnitudes from bin low[i] to bin high[i] and keeps its phase. The
// ranges come from widths in Bark below and above each bin; the weights are
// worked out once per table, so that a frame only sums.
class CSmearKernel {
public:
    static constexpr int kBins = FrameGeometry::kBins;

    CSmearKernel();

    // The ranges of bins 1 .. kBins-1 for smearing `belowBark` and
    // `aboveBark` wide (bin 0 is never smeared).
    static void FillRanges(double belowBark, double aboveBark, int* low, int* high);

    // Takes a table of ranges; a bin whose range does not reach past it on
    // both sides is left as it is.
    void Prepare(const int* low, const int* high);
    // Whether any bin is smeared.
    bool Active() const { return m_nGroups > 0; }

    // Smears a packed spectrum (bin k in floats 2k, 2k+1) whose magnitudes
    // (entry k for bin k) are given.
    void Apply(float* spectrum, const float* magnitudes) const;

private:
    // Smeared bins go in groups of kSmearLanes whose weighted sums are formed
    // side by side over the magnitudes the group spans; each bin's own sum
    // still runs from its lowest bin upward.
    struct Group {
        int lanes;        // bins in the group
        int first;        // the lowest bin any of them takes in
        int span;         // bins from `first` to the highest any takes in
        int weightStart;  // into m_weight: span rows of kSmearLanes
        int bin[kSmearLanes];
        float weightSum[kSmearLanes];
    };
    Group m_groups[(kBins + kSmearLanes - 1) / kSmearLanes];
    int m_nGroups = 0;
    SmearSumsFunction m_sums;
    std::vector<float> m_weight;  // grown by Prepare to what its table needs
};
