#pragma once

#include <string>
#include <vector>

// The band log that sonafel-render and sonafel-live write with --bands: a
// line per block, its 23 band levels, the highest level so far and, in
// stereo, the right ear's 23 band levels; every number exact.
using BandRow = std::vector<double>;

BandRow MakeBandRow(const double* left, double maxLevel, const double* rightOrNull);
// The first `count` rows; false when the file cannot be written.
bool WriteBandLog(const std::string& path, const std::vector<BandRow>& rows, std::size_t count);
