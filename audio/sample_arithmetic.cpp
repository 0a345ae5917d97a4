#include "sample_arithmetic.h"

#include <algorithm>

// Written so that the compiler can form the saturating sums side by side;
// integer sums are exact, so any order gives the same samples.
void AddSamples(short* into, const short* from, int count)
{
    for (int k = 0; k < count; ++k)
        into[k] = static_cast<short>(std::clamp(into[k] + from[k], -32768, 32767));
}
