#include "erb_scale.h"

#include <cmath>

double ErbHz(double hz)
{
    return 24.7 * (4.37 * hz / 1000.0 + 1.0);
}

double ErbNumber(double hz)
{
    return 21.4 * std::log10(4.37 * hz / 1000.0 + 1.0);
}

double HzAtErbNumber(double erbs)
{
    return (std::pow(10.0, erbs / 21.4) - 1.0) * 1000.0 / 4.37;
}
