#pragma once

#include "audiogram.h"

// How much wider than normal the auditory filters of a loss are, by its
// degree (the mean hearing level at 2, 3, 4, 6 and 8 kHz): above 15 dB HL
// mild, above 35 moderate, above 56 severe, each with its widening factors
// on the lower and the upper side. Smearing adds (factor - 1) Bark on each
// side to what the frequency-resolution slider sets; the recruitment reads
// its levels through filters `filterBroadening` times an ERB wide, split
// between the sides as the factors are.
struct SmearingWidening {
    const char* degree;  // "", "leicht", "mittel" or "stark"
    double lowerFactor;
    double upperFactor;
    double filterBroadening;

    double BarkBelow() const { return lowerFactor - 1.0; }
    double BarkAbove() const { return upperFactor - 1.0; }
    // The filter's reach below and above its centre, in ERBs.
    double ErbsBelow() const { return filterBroadening * lowerFactor / (lowerFactor + upperFactor); }
    double ErbsAbove() const { return filterBroadening * upperFactor / (lowerFactor + upperFactor); }
};

// The degrees from none (0) to severe.
constexpr int kDegreesOfLoss = 4;
constexpr SmearingWidening kWidenings[kDegreesOfLoss] = {
    {"", 1.0, 1.0, 1.0}, {"leicht", 1.6, 1.1, 1.5}, {"mittel", 2.4, 1.6, 2.0}, {"stark", 4.0, 2.0, 3.0}};

double HighFrequencyMean(const CAudiogram& audiogram);
int DegreeOfLoss(const CAudiogram& audiogram);
inline SmearingWidening WideningFor(const CAudiogram& audiogram)
{
    return kWidenings[DegreeOfLoss(audiogram)];
}
