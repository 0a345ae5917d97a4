#include "stream_latency.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRate = 44100.0;
constexpr double kMostPlausible = 0.5;  // seconds each way; any more is a figure gone wrong

bool Plausible(double seconds)
{
    return std::isfinite(seconds) && seconds >= 0.0 && seconds <= kMostPlausible;
}

}  // namespace

StreamLatency LatencyOfStream(double reportedInput, double reportedOutput, int hop, int period, double askedInput,
                              double askedOutput)
{
    // On JACK a sample waits for a whole hop to gather (at least one cycle),
    // and then for the cycle that plays it.
    const double fromPeriods = period > 0 ? (std::max(hop, period) + period) / kRate : hop / kRate;
    if (Plausible(reportedInput) && Plausible(reportedOutput) && reportedInput + reportedOutput >= fromPeriods)
        return {reportedInput, reportedOutput, StreamLatency::Origin::Reported};
    if (period > 0)
        return {std::max(hop, period) / kRate, period / kRate, StreamLatency::Origin::FromPeriods};
    return {askedInput, askedOutput, StreamLatency::Origin::AsAsked};
}
