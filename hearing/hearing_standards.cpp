#include "hearing_standards.h"

#include <cmath>
#include <iterator>

namespace {

struct AgeCoefficients {
    int hz;
    double menA, menB, womenA, womenB;
};

// ISO 7029:2017, median: a·(Y - 18)^b.
constexpr AgeCoefficients kAge[] = {
    {125, 2.50e-6, 3.841, 6.16e-4, 2.451},  {250, 1.39e-4, 2.832, 3.98e-4, 2.568},
    {500, 4.59e-4, 2.537, 2.61e-4, 2.708},  {750, 5.70e-4, 2.512, 2.25e-4, 2.775},
    {1000, 7.02e-4, 2.494, 2.21e-4, 2.805}, {1500, 1.09e-3, 2.446, 2.53e-4, 2.813},
    {2000, 1.56e-3, 2.404, 3.12e-4, 2.792}, {3000, 2.54e-3, 2.350, 4.88e-4, 2.728},
    {4000, 3.40e-3, 2.325, 7.37e-4, 2.660}, {6000, 4.53e-3, 2.315, 1.47e-3, 2.539},
    {8000, 5.06e-3, 2.328, 2.53e-3, 2.439},
};

struct NoiseCoefficients {
    int hz;
    double u, v, thresholdExposure;
};

// ISO 1999:2013, median: (u + v·log10 t)·(L - L0)².
constexpr NoiseCoefficients kNoise[] = {
    {500, -0.033, 0.110, 93}, {1000, -0.020, 0.070, 89}, {2000, -0.045, 0.066, 80},
    {3000, 0.012, 0.037, 77}, {4000, 0.025, 0.025, 75},  {6000, 0.019, 0.024, 77},
};

template <typename Row, std::size_t N>
const Row* Find(const Row (&rows)[N], int hz)
{
    for (const Row& row : rows)
        if (row.hz == hz)
            return &row;
    return nullptr;
}

}  // namespace

double AgeShift(Sex sex, int hz, double years)
{
    const AgeCoefficients* row = Find(kAge, hz);
    if (!row || years <= 18.0)
        return 0.0;
    const double a = sex == Sex::Male ? row->menA : row->womenA;
    const double b = sex == Sex::Male ? row->menB : row->womenB;
    return a * std::pow(years - 18.0, b);
}

double NoiseShift(int hz, double years, double exposure)
{
    const NoiseCoefficients* row = Find(kNoise, hz);
    if (!row || exposure < row->thresholdExposure || years <= 0.0)
        return 0.0;
    const double excess = exposure - row->thresholdExposure;
    // Below ten years the ten-year value grows with log10(t + 1).
    const double t = years < 10.0 ? 10.0 : years;
    const double shift = (row->u + row->v * std::log10(t)) * excess * excess;
    return years < 10.0 ? shift * std::log10(years + 1.0) / std::log10(11.0) : shift;
}

double CombinedShift(double age, double noise)
{
    return age + noise - age * noise / 120.0;
}
