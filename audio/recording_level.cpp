#include "recording_level.h"

#include <cmath>

double ActiveSpeechLevelDbFs(const short* samples, int count)
{
    constexpr int kPiece = 882;  // 20 ms
    constexpr double kFullScalePower = 32768.0 * 32768.0;
    const double quietest = kFullScalePower * std::pow(10.0, -50.0 / 10.0);
    double sum = 0.0;
    long long counted = 0;
    for (int start = 0; start + kPiece <= count; start += kPiece) {
        double piece = 0.0;
        for (int i = start; i < start + kPiece; ++i)
            piece += static_cast<double>(samples[i]) * samples[i];
        if (piece / kPiece > quietest) {
            sum += piece;
            counted += kPiece;
        }
    }
    return counted ? 10.0 * std::log10(sum / static_cast<double>(counted) / kFullScalePower) : -100.0;
}
