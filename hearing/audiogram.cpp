#include "audiogram.h"

#include <cmath>
#include <sstream>

std::optional<CAudiogram> CAudiogram::Make(std::vector<AudiogramPoint> points, std::string& error)
{
    if (points.empty()) {
        error = "no thresholds";
        return std::nullopt;
    }
    double previousHz = 0.0;
    for (const AudiogramPoint& point : points) {
        std::ostringstream reason;
        if (!(point.hz > previousHz)) {
            reason << point.hz << " Hz is not above " << (previousHz > 0.0 ? "the frequency before it" : "0 Hz");
        } else if (!(point.hearingLevel >= kLowestLevel && point.hearingLevel <= kHighestLevel)) {
            reason << point.hearingLevel << " dB HL at " << point.hz << " Hz lies outside " << kLowestLevel << " to "
                   << kHighestLevel << " dB HL";
        } else {
            previousHz = point.hz;
            continue;
        }
        error = reason.str();
        return std::nullopt;
    }
    return CAudiogram(std::move(points));
}

double CAudiogram::LevelAt(double hz) const
{
    if (hz <= m_points.front().hz)
        return m_points.front().hearingLevel;
    if (hz >= m_points.back().hz)
        return m_points.back().hearingLevel;
    std::size_t upper = 1;
    while (m_points[upper].hz < hz)
        ++upper;
    const AudiogramPoint& a = m_points[upper - 1];
    const AudiogramPoint& b = m_points[upper];
    const double t = std::log(hz / a.hz) / std::log(b.hz / a.hz);
    return a.hearingLevel + t * (b.hearingLevel - a.hearingLevel);
}
