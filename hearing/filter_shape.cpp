#include "filter_shape.h"

#include "erb_scale.h"

#include <algorithm>
#include <cmath>

namespace {

// The upper side's steepness: its equivalent rectangle, 2/p of the centre,
// reaches the widening's ERBs above.
double UpperSteepness(const SmearingWidening& widening, double centreHz)
{
    return 2.0 * centreHz / (widening.ErbsAbove() * ErbHz(centreHz));
}

// The shape's integral over hz from the centre to `hz`, signed; above the
// centre (centre/p)·(2 − (2 + pg)·e^(−pg)).
double AreaTo(const SmearingWidening& widening, double centreHz, double hz)
{
    if (hz < centreHz)
        return -std::min(centreHz - hz, widening.ErbsBelow() * ErbHz(centreHz));
    const double p = UpperSteepness(widening, centreHz);
    const double pg = p * (hz - centreHz) / centreHz;
    return (2.0 - (2.0 + pg) * std::exp(-pg)) * centreHz / p;
}

}  // namespace

double FilterPasses(const SmearingWidening& widening, double centreHz, double hz)
{
    if (hz < centreHz)
        return centreHz - hz <= widening.ErbsBelow() * ErbHz(centreHz) ? 1.0 : 0.0;
    const double pg = UpperSteepness(widening, centreHz) * (hz - centreHz) / centreHz;
    return (1.0 + pg) * std::exp(-pg);
}

double FilterPassesBetween(const SmearingWidening& widening, double centreHz, double lowHz, double highHz)
{
    return (AreaTo(widening, centreHz, highHz) - AreaTo(widening, centreHz, lowHz)) / (highHz - lowHz);
}

FilterSpan SpanOfFilter(const SmearingWidening& widening, double centreHz, double binHz, int lowestBin, int bins,
                        int most)
{
    const int centre = std::clamp(static_cast<int>(std::lround(centreHz / binHz)), lowestBin, bins - 1);
    FilterSpan span{centre, centre};
    while (span.last + 1 < bins && span.last + 1 - centre < most / 2 &&
           FilterPasses(widening, centreHz, (span.last + 1) * binHz) >= kSkirtFloor)
        ++span.last;
    while (span.first - 1 >= lowestBin && span.last - (span.first - 1) < most &&
           FilterPasses(widening, centreHz, (span.first - 1) * binHz) >= kSkirtFloor)
        --span.first;
    return span;
}
