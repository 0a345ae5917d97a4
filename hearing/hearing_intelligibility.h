#pragma once

#include "aid_fitting.h"
#include "audiogram.h"
#include "ear.h"
#include "speech_intelligibility.h"

// The speech intelligibility index of a listener: each ear's thresholds
// read off its audiogram, each ear's aid, and the two ears together.

// The index for the left ear, the right ear and both.
struct EarsIndex {
    double left = 0.0;
    double right = 0.0;
    double both = 0.0;
};

// T' per band in dB HL, read off the audiogram as everywhere (linear over
// log frequency, held at the ends); 0 without one.
Sii::Bands SiiThresholds(const CAudiogram* audiogram);

// The aid's insertion gain per band, in dB, for speech of spectrum level
// `speech` (dB SPL per Hz) at its input: the gain the fitting gives at the
// band's centre for an input at the band's level.
Sii::Bands AidInsertionGain(const CAidFitting& fitting, const Sii::Bands& speech);

// Each ear alone with its own spectra and threshold (T' as read), and both
// ears: in each band the better of the two ears' audibility, each with its
// threshold lowered by the binaural allowance.
EarsIndex IndexOfEars(const Sii::Bands speech[2], const Sii::Bands noise[2], const Sii::Bands threshold[2]);

// A listener's ears, each with its audiogram (null: normal hearing) and its
// aid (null: none).
struct ListenerEars {
    const CAudiogram* audiogram[2] = {nullptr, nullptr};
    const CAidFitting* aid[2] = {nullptr, nullptr};
};

// The standard speech spectrum of `effort` from a talker `distanceM` metres
// away (6 dB less per doubling beyond 1 m), in quiet.
Sii::Bands StandardSpeechAt(Sii::VocalEffort effort, double distanceM);
EarsIndex StandardSpeechIndex(const ListenerEars& ears, Sii::VocalEffort effort, double distanceM);

// The region of average speech on an audiogram, in dB HL per band: the
// speech's band range (its spectrum level ±15 dB) where a threshold at its
// top hears none of the band and one at its bottom all of it, for normal
// effort at 1 m in quiet.
struct SpeechRegion {
    Sii::Bands softest{};  // dB HL: a threshold here or better hears the whole band
    Sii::Bands loudest{};  // dB HL: a threshold here or worse hears none of it
};
SpeechRegion NormalSpeechRegion();
