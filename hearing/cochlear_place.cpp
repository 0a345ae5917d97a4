#include "cochlear_place.h"

#include <cmath>

namespace CochlearPlace {

double PlaceOfHz(double hz)
{
    return std::log10(hz / 165.4 + 0.88) / 2.1;
}

double HzOfPlace(double place)
{
    return 165.4 * (std::pow(10.0, 2.1 * place) - 0.88);
}

double ShiftedHz(double hz, double mm)
{
    return HzOfPlace(PlaceOfHz(hz) + mm / kLengthMm);
}

std::vector<double> BandEdges(int channels, double lowHz, double highHz)
{
    const double low = PlaceOfHz(lowHz);
    const double high = PlaceOfHz(highHz);
    std::vector<double> edges;
    for (int c = 0; c <= channels; ++c)
        edges.push_back(HzOfPlace(low + (high - low) * c / channels));
    return edges;
}

double CentreHz(double lowHz, double highHz)
{
    return HzOfPlace((PlaceOfHz(lowHz) + PlaceOfHz(highHz)) / 2.0);
}

}  // namespace CochlearPlace
