#pragma once

#include <array>

// The Speech Intelligibility Index by the one-third-octave band procedure of
// the American standard for it (18 bands, 160 Hz to 8 kHz), with the band
// importance of average speech. Levels are spectrum levels (dB per Hz) in
// the standard's terms: E' the equivalent speech spectrum level, N' the
// equivalent noise spectrum level (dB SPL), T' the equivalent hearing
// threshold (dB HL).
namespace Sii {

constexpr int kBands = 18;
using Bands = std::array<double, kBands>;

// The bands' centre frequencies in Hz.
extern const Bands kCentreHz;
// Band importance of average speech (sums to 1).
extern const Bands kImportance;
// The reference internal noise spectrum level X, dB.
extern const Bands kInternalNoise;
// What is added to a spectrum level to give the band's level: 10·log10 of
// the band's width in Hz (15.65 dB at 160 Hz, 1 dB more per band).
double BandwidthDb(int band);
// The noise spectrum level of quiet, dB SPL: far below every threshold.
constexpr double kQuietNoise = -50.0;
// The binaural allowance: listening with both ears lowers T' by this, dB.
constexpr double kBinauralAllowance = 1.7;
// The SII's dynamic range in each band is 30 dB, centred 15 dB above the
// disturbance (audibility 0 at E' = D - 15, 1 at D + 15).
constexpr double kHalfRange = 15.0;

enum class VocalEffort { Normal, Raised, Loud, Shout };
// The standard speech spectrum level U of an effort, dB SPL per Hz, for a
// talker 1 m in front of the listener.
const Bands& StandardSpeech(VocalEffort effort);

// Each band's audibility A = L·K (0 to 1).
Bands BandAudibility(const Bands& speech, const Bands& noise, const Bands& threshold);
// Σ I·A over the bands.
double Index(const Bands& audibility);
double Index(const Bands& speech, const Bands& noise, const Bands& threshold);

}  // namespace Sii
