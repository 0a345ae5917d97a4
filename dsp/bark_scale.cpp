#include "bark_scale.h"

#include <cmath>

double HzToBark(double hz)
{
    const double x = hz / 600.0;
    return 6.0 * std::log(x + std::sqrt(x * x + 1.0));
}

double BarkToHz(double bark)
{
    return 300.0 * (std::exp(bark / 6.0) - std::exp(-bark / 6.0));
}
