#pragma once

#include "audiogram.h"

// How much wider than normal the auditory filters of a loss are, by its
// degree (the mean hearing level at 2, 3, 4, 6 and 8 kHz): above 15 dB HL
// mild, above 35 moderate, above 56 severe, each with its widening factors
// on the lower and the upper side. Smearing adds (factor - 1) Bark on each
// side to what the frequency-resolution slider sets.
struct SmearingWidening {
    const char* degree;  // "", "leicht", "mittel" or "stark"
    double lowerFactor;
    double upperFactor;

    double BarkBelow() const { return lowerFactor - 1.0; }
    double BarkAbove() const { return upperFactor - 1.0; }
};

double HighFrequencyMean(const CAudiogram& audiogram);
SmearingWidening WideningFor(const CAudiogram& audiogram);
