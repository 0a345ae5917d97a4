// The ear against the field's reference model of a cochlear loss, on the
// stimulus whose output the reference publishes: pink noise at 65 dB SPL
// through flat 50 dB HL, one-third-octave band levels in dB SPL.

#include "loss_processor.h"
#include "played_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr double kBandHz[] = {250, 315, 400, 500, 630, 800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000};
// The reference model's output, dB SPL per band.
constexpr double kReferenceDbSpl[] = {-5.37, -4.19, -2.40, -1.21, -0.46, 0.14, 0.60, 0.12,
                                      1.25,  3.10,  4.99,  5.48,  5.54,  4.14, 1.35, -3.29};
constexpr int kBands = 16;

}  // namespace

TEST(ReferenceEar, PinkNoiseThroughFlat50DbHlComesOutAtTheReferencesBandLevels)
{
    // 65 dB SPL at the default calibration (0 dB FS = 100 dB SPL).
    const std::vector<short> pink = PinkNoise(-35.0);
    LossSettings settings;
    std::string error;
    settings.audiogram[static_cast<int>(Ear::Left)] = *CAudiogram::Make({{250, 50}, {8000, 50}}, error);
    settings.ears = EarsHeard::Left;
    const Heard heard = Play(settings, pink, 8 * kRate);
    std::vector<float> played(heard.left.size());  // the input, looping as the source does
    for (std::size_t i = 0; i < played.size(); ++i)
        played[i] = pink[i % pink.size()];
    const double whole = PowerBetween(played, 4096, 0.0, kRate / 2.0);

    double absoluteSum = 0.0;
    for (int b = 0; b < kBands; ++b) {
        const double edge = std::pow(2.0, 1.0 / 6.0);
        const double level =
            65.0 + 10 * std::log10(PowerBetween(heard.left, 4096, kBandHz[b] / edge, kBandHz[b] * edge) / whole);
        absoluteSum += std::abs(level - kReferenceDbSpl[b]);
    }
    EXPECT_LE(absoluteSum / kBands, 3.5) << "mean absolute difference";
}
