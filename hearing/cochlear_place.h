#pragma once

#include <vector>

// Greenwood's place–frequency map of the human cochlea: x is the fraction of
// its length from the apex (0) to the base (1); the cochlea is 35 mm long.
namespace CochlearPlace {

constexpr double kLengthMm = 35.0;

double PlaceOfHz(double hz);     // log10(hz / 165.4 + 0.88) / 2.1
double HzOfPlace(double place);  // 165.4 (10^(2.1 x) - 0.88)
// The frequency whose place lies `mm` towards the base from `hz`'s.
double ShiftedHz(double hz, double mm);
// The edges of `channels` bands from `lowHz` to `highHz` equally spaced in
// place: channels + 1 frequencies, ascending.
std::vector<double> BandEdges(int channels, double lowHz, double highHz);
// The frequency at the middle, in place, of the band from `lowHz` to `highHz`.
double CentreHz(double lowHz, double highHz);

}  // namespace CochlearPlace
