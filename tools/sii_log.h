#pragma once

#include "hearing_intelligibility.h"

#include <string>
#include <vector>

// The index log that sonafel-render writes with --sii-log: after each block
// the index of the mix as the window shows it (the last 4 s, as heard), and
// the index over everything up to that block.
struct SiiLogRow {
    EarsIndex recent;
    EarsIndex whole;
    bool implanted[2] = {false, false};  // by Ear: the index knows acoustic hearing only
};

// A line per block of the first `count` rows, "block N left L right R both B"
// (N from 1, three decimals), then "whole left L right R both B" of the
// last of them; an implanted ear's index is "n/a", and both ears' is then
// the other's. False when the file cannot be written.
bool WriteSiiLog(const std::string& path, const std::vector<SiiLogRow>& rows, std::size_t count);
