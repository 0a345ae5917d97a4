#include "audiogram.h"

#include <algorithm>
#include <cmath>
#include <sstream>

std::optional<CAudiogram> CAudiogram::Make(std::vector<AudiogramPoint> points, std::string& error)
{
    RefusalReason reason;
    auto made = Make(std::move(points), reason);
    if (!made)
        error = reason.english;
    return made;
}

namespace {

// A number as German typesetting writes it: a decimal comma, a true minus.
std::string German(double value)
{
    std::ostringstream text;
    text << std::abs(value);
    std::string written = text.str();
    for (char& c : written)
        if (c == '.')
            c = ',';
    return value < 0 ? "\u2212" + written : written;
}

}  // namespace

std::optional<CAudiogram> CAudiogram::Make(std::vector<AudiogramPoint> points, RefusalReason& why)
{
    if (points.empty()) {
        why = {"no thresholds", "keine Hörschwellen"};
        return std::nullopt;
    }
    double previousHz = 0.0;
    for (const AudiogramPoint& point : points) {
        std::ostringstream english;
        if (!(point.hz > previousHz)) {
            english << point.hz << " Hz is not above " << (previousHz > 0.0 ? "the frequency before it" : "0 Hz");
            why = {english.str(), German(point.hz) + " Hz liegt nicht über " +
                                      (previousHz > 0.0 ? std::string("der Frequenz davor") : std::string("0 Hz"))};
        } else if (!(point.hearingLevel >= kLowestLevel && point.hearingLevel <= kHighestLevel)) {
            english << point.hearingLevel << " dB HL at " << point.hz << " Hz lies outside " << kLowestLevel << " to "
                    << kHighestLevel << " dB HL";
            why = {english.str(), German(point.hearingLevel) + " dB HL bei " + German(point.hz) +
                                      " Hz liegt außerhalb von " + German(kLowestLevel) + " bis " +
                                      German(kHighestLevel) + " dB HL"};
        } else {
            previousHz = point.hz;
            continue;
        }
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

bool CAudiogram::operator==(const CAudiogram& other) const
{
    return std::equal(m_points.begin(), m_points.end(), other.m_points.begin(), other.m_points.end(),
                      [](const AudiogramPoint& a, const AudiogramPoint& b) {
                          return a.hz == b.hz && a.hearingLevel == b.hearingLevel;
                      });
}
