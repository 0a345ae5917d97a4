#pragma once

#include <optional>

// The listening level as its dialog sets it: the calibration (dB SPL of
// digital RMS 1, 0 dB FS) and the level the speech is presented at. Without
// a calibration the nominal 100 dB SPL holds.
struct ListeningLevel {
    static constexpr double kNominalFullScale = 100.0;

    std::optional<double> fullScale;    // set: calibrated
    std::optional<double> speechLevel;  // set: presented at this dB SPL

    double FullScaleOrNominal() const { return fullScale.value_or(kNominalFullScale); }
};
