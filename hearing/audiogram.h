#pragma once

#include "refusal_reason.h"

#include <optional>
#include <string>
#include <vector>

// One threshold of an audiogram: dB HL at a frequency in Hz.
struct AudiogramPoint {
    double hz;
    double hearingLevel;
};

// Hearing thresholds at an ascending set of frequencies, in dB HL (0 is the
// normal threshold). Between the given frequencies the level runs linearly
// over log frequency; beyond the lowest and the highest it is held.
class CAudiogram {
public:
    static constexpr double kLowestLevel = -10.0;
    static constexpr double kHighestLevel = 120.0;

    // The audiogram of `points`, or nothing when they are not one: none given,
    // a frequency not above the one before (or not above 0 Hz), a level
    // outside -10..120 dB HL or not a number. `error` then says which.
    static std::optional<CAudiogram> Make(std::vector<AudiogramPoint> points, std::string& error);
    // The same with the reason in both languages.
    static std::optional<CAudiogram> Make(std::vector<AudiogramPoint> points, RefusalReason& why);

    double LevelAt(double hz) const;
    const std::vector<AudiogramPoint>& Points() const { return m_points; }
    // The same thresholds at the same frequencies.
    bool operator==(const CAudiogram& other) const;

private:
    explicit CAudiogram(std::vector<AudiogramPoint> points) : m_points(std::move(points)) {}

    std::vector<AudiogramPoint> m_points;
};
