#include "speech_intelligibility.h"

#include <algorithm>
#include <cmath>

namespace Sii {

// The standard's Table 3 (one-third-octave band procedure).
const Bands kCentreHz = {160,  200,  250,  315,  400,  500,  630,  800,  1000,
                         1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000};
const Bands kImportance = {.0083, .0095, .0150, .0289, .0440, .0578, .0653, .0711, .0818,
                           .0844, .0882, .0898, .0868, .0844, .0771, .0527, .0364, .0185};
const Bands kInternalNoise = {0.6,   -1.7,  -3.9,  -6.1,  -8.2,  -9.7,  -10.8, -11.9, -12.5,
                              -13.5, -15.4, -17.7, -21.2, -24.2, -25.9, -23.6, -15.8, -7.1};

namespace {

const Bands kNormalSpeech = {32.41, 34.48, 34.75, 33.98, 34.59, 34.27, 32.06, 28.30, 25.01,
                             23.00, 20.15, 17.32, 13.18, 11.55, 9.33,  5.31,  2.59,  1.13};
const Bands kRaisedSpeech = {33.81, 33.92, 38.98, 38.57, 39.11, 40.15, 38.78, 36.37, 33.86,
                             31.89, 28.58, 25.32, 22.35, 20.15, 16.78, 11.47, 7.67,  5.07};
const Bands kLoudSpeech = {35.29, 37.76, 41.55, 43.78, 43.30, 44.85, 45.55, 44.05, 42.16,
                           40.53, 37.70, 34.39, 30.98, 28.21, 25.41, 18.35, 13.87, 11.39};
const Bands kShoutedSpeech = {30.77, 36.65, 42.50, 46.51, 47.40, 49.24, 51.21, 51.44, 51.31,
                              49.63, 47.65, 44.32, 40.80, 38.13, 34.41, 28.24, 23.45, 20.72};

constexpr double kSelfMaskingDb = 24.0;  // speech masks itself from this far below its level

double Power(double db)
{
    return std::pow(10.0, db / 10.0);
}

}  // namespace

double BandwidthDb(int band)
{
    return 15.65 + band;
}

const Bands& StandardSpeech(VocalEffort effort)
{
    switch (effort) {
    case VocalEffort::Raised:
        return kRaisedSpeech;
    case VocalEffort::Loud:
        return kLoudSpeech;
    case VocalEffort::Shout:
        return kShoutedSpeech;
    case VocalEffort::Normal:
        break;
    }
    return kNormalSpeech;
}

Bands BandAudibility(const Bands& speech, const Bands& noise, const Bands& threshold)
{
    // Masking: the larger of the speech's own and the noise, spreading
    // upwards in frequency with a slope that flattens as the level rises.
    Bands masker{};
    Bands slope{};
    for (int i = 0; i < kBands; ++i) {
        masker[i] = std::max(speech[i] - kSelfMaskingDb, noise[i]);
        slope[i] = -80.0 + 0.6 * (masker[i] + 10.0 * std::log10(kCentreHz[i]) - 6.353);
    }
    Bands audibility{};
    for (int i = 0; i < kBands; ++i) {
        double masking = masker[0];
        if (i > 0) {
            double sum = Power(noise[i]);
            for (int k = 0; k < i; ++k)
                sum += Power(masker[k] + 3.32 * slope[k] * std::log10(0.89 * kCentreHz[i] / kCentreHz[k]));
            masking = 10.0 * std::log10(sum);
        }
        const double disturbance = std::max(masking, kInternalNoise[i] + threshold[i]);
        const double distortion = std::min(1.0, 1.0 - (speech[i] - kNormalSpeech[i] - 10.0) / 160.0);
        const double audible = std::clamp((speech[i] - disturbance + kHalfRange) / (2 * kHalfRange), 0.0, 1.0);
        audibility[i] = distortion * audible;
    }
    return audibility;
}

double Index(const Bands& audibility)
{
    double index = 0.0;
    for (int i = 0; i < kBands; ++i)
        index += kImportance[i] * audibility[i];
    return index;
}

double Index(const Bands& speech, const Bands& noise, const Bands& threshold)
{
    return Index(BandAudibility(speech, noise, threshold));
}

}  // namespace Sii
