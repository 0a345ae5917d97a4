#pragma once

#include "calibration_settings.h"
#include "loss_settings.h"

// The loss settings kept between runs, read and written as one value, each
// field under the key it has always had, so that earlier runs' choices
// load: the ears heard, recruitment, smearing from the audiograms, the
// calibration, the listening level and each ear's hearing aid. The sliders,
// the comparisons (with normal hearing, without the aid) and the dB SPL
// display start afresh each run; the audiograms come with the active
// loss (LoadActiveLoss), which keeps their name and where they came from.
struct StoredLossSettings {
    LossSettings settings;
    bool calibrated = false;  // the full-scale level was measured, not the nominal 100 dB SPL

    // As the listening level's dialog shows it.
    ListeningLevel Level() const;
};

// A field stored out of its range, or not as it is written, is as none: the
// default holds.
StoredLossSettings LoadLossSettings();
void SaveLossSettings(const StoredLossSettings& stored);
