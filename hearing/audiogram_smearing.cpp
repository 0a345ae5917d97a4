#include "audiogram_smearing.h"

double HighFrequencyMean(const CAudiogram& audiogram)
{
    constexpr double kHz[] = {2000, 3000, 4000, 6000, 8000};
    double sum = 0.0;
    for (double hz : kHz)
        sum += audiogram.LevelAt(hz);
    return sum / 5.0;
}

int DegreeOfLoss(const CAudiogram& audiogram)
{
    const double mean = HighFrequencyMean(audiogram);
    return mean > 56.0 ? 3 : mean > 35.0 ? 2 : mean > 15.0 ? 1 : 0;
}
