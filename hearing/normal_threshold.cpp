#include "normal_threshold.h"

#include <cmath>
#include <iterator>

namespace {

struct ThresholdPoint {
    double hz;
    double dbSpl;
};

constexpr ThresholdPoint kThreshold[] = {
    {20, 78.5},  {25, 68.7},   {31.5, 59.5}, {40, 51.1},   {50, 44.0},   {63, 37.5},    {80, 31.5},
    {100, 26.5}, {125, 22.1},  {160, 17.9},  {200, 14.4},  {250, 11.4},  {315, 8.6},    {400, 6.2},
    {500, 4.4},  {630, 3.0},   {800, 2.2},   {1000, 2.4},  {1250, 3.5},  {1600, 1.7},   {2000, -1.3},
    {2500, -4.2}, {3150, -6.0}, {4000, -5.4}, {5000, -1.5}, {6300, 6.0}, {8000, 12.6}, {10000, 13.9},
    {12500, 12.3},
};

}  // namespace

double NormalThresholdSpl(double hz)
{
    if (!(hz > kThreshold[0].hz))
        return kThreshold[0].dbSpl;
    for (std::size_t i = 1; i < std::size(kThreshold); ++i) {
        const ThresholdPoint& upper = kThreshold[i];
        if (hz <= upper.hz) {
            const ThresholdPoint& lower = kThreshold[i - 1];
            const double t = std::log(hz / lower.hz) / std::log(upper.hz / lower.hz);
            return lower.dbSpl + t * (upper.dbSpl - lower.dbSpl);
        }
    }
    return std::end(kThreshold)[-1].dbSpl;
}
