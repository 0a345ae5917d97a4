#pragma once

#include "audiogram_smearing.h"

// The share of a tone's power that an auditory filter centred at
// `centreHz` passes at `hz`. Below the centre all of it, as far as the
// widening's ERBs below reach. Above it a rounded exponential,
// (1 + p·g)·e^(−p·g) with g the distance from the centre over the centre,
// as steep as makes its equivalent rectangle the ERBs above (2/p of the
// centre): a broadband sound reads the same power through it as through
// that rectangle, and a tone beyond the rectangle still comes through its
// skirt, as a tone on a steep slope is heard through the better filters
// below it.
double FilterPasses(const SmearingWidening& widening, double centreHz, double hz);

// The same, averaged from `lowHz` to `highHz` (a bin's power spread evenly
// over its width): summed over bins, a broadband sound reads exactly the
// equivalent rectangle however coarse the bins.
double FilterPassesBetween(const SmearingWidening& widening, double centreHz, double lowHz, double highHz);

// Below this share a filter's skirt is not followed further (−15 dB).
constexpr double kSkirtFloor = 0.03;

// The bins (`binHz` wide, bin k centred on k·binHz) a filter reaches into:
// from the centre's out, as long as the shape passes at least kSkirtFloor
// at a bin's centre, within `lowestBin` to `bins` − 1, at most `most`
// bins; the upper side takes at most half of them, then the lower side
// gives way.
struct FilterSpan {
    int first;
    int last;
};
FilterSpan SpanOfFilter(const SmearingWidening& widening, double centreHz, double binHz, int lowestBin, int bins,
                        int most);
