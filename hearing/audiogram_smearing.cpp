#include "audiogram_smearing.h"

double HighFrequencyMean(const CAudiogram& audiogram)
{
    constexpr double kHz[] = {2000, 3000, 4000, 6000, 8000};
    double sum = 0.0;
    for (double hz : kHz)
        sum += audiogram.LevelAt(hz);
    return sum / 5.0;
}

SmearingWidening WideningFor(const CAudiogram& audiogram)
{
    const double mean = HighFrequencyMean(audiogram);
    if (mean > 56.0)
        return {"stark", 4.0, 2.0};
    if (mean > 35.0)
        return {"mittel", 2.4, 1.6};
    if (mean > 15.0)
        return {"leicht", 1.6, 1.1};
    return {"", 1.0, 1.0};
}
