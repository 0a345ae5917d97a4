#pragma once

#include "vector_path.h"

// Smeared bins are summed in groups of this many, side by side.
constexpr int kSmearLanes = 32;

// The weighted sums of one group: for every lane,
//   totals[lane] = sum over t = 0 .. span-1 of weights[t * kSmearLanes + lane] * magnitudes[t],
// taken in that order, every product and every partial sum rounded to float.
using SmearSumsFunction = void (*)(const float* weights, const float* magnitudes, int span, float* totals);

// The sums on the given path, which must be supported; all paths give the
// same results to the bit.
SmearSumsFunction SmearSumsFor(VectorPath path);
