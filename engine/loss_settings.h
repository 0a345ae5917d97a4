#pragma once

#include "aid_fitting.h"
#include "audiogram.h"
#include "ear.h"
#include "implant_settings.h"

#include <optional>

// Everything the user sets that the processing hears, as one plain value:
// the window edits it, the tools fill it from their options and the live
// path is handed it whole, so a setting added here is heard on every path.
struct LossSettings {
    // The sliders, from 0 (the strongest loss) to 1 (none).
    double loudness = 1.0;
    double highFreq = 1.0;
    double resolution = 1.0;
    // Each ear's audiogram (indexed by Ear); none for normal hearing.
    std::optional<CAudiogram> audiogram[2];
    bool recruitment = true;
    bool smearingFromAudiogram = false;
    // The filters' levels (the sound at each ear, in dB SPL) followed also
    // while no loss acts, for the dB SPL display.
    bool levelMeasurement = false;
    // The calibration: the dB SPL that digital RMS 1 (0 dB FS) plays at.
    double fullScaleSpl = 100.0;
    // The speech's level in dB SPL the recordings are presented at; none:
    // as loaded.
    std::optional<double> listeningSpl;
    EarsHeard ears = EarsHeard::Both;
    // "Normal hören": every loss off while it is on, and every aid.
    bool normalHearing = false;
    // Each ear's hearing aid (indexed by Ear), fitted from its audiogram.
    AidRule aid[2] = {AidRule::Off, AidRule::Off};
    // Whether the aids are heard: off compares with the unaided ears.
    bool aided = true;
    // Whether the ears' own losses act: off, the sound is heard through
    // normal ears (with an aid, what the aid puts out).
    bool earLoss = true;
    // Each ear's cochlear implant (indexed by Ear): the ear hears through it
    // instead of its audiogram and aid; none: no implant.
    std::optional<ImplantSettings> implant[2];

    bool operator==(const LossSettings& other) const;
    bool operator!=(const LossSettings& other) const { return !(*this == other); }
};
