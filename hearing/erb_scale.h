#pragma once

// The normal auditory filter's equivalent rectangular bandwidth in Hz at a
// centre frequency, and the scale that counts such bandwidths from 0 Hz.
double ErbHz(double hz);            // 24.7 (4.37 hz / 1000 + 1)
double ErbNumber(double hz);        // 21.4 log10(4.37 hz / 1000 + 1)
double HzAtErbNumber(double erbs);  // the inverse of ErbNumber
