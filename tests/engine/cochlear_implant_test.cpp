// A cochlear implant as the listener meets it, on the chain's output: its
// channels where the place map puts them (centres worked by hand from
// Greenwood's map), each channel's level kept, the envelope's modulation
// passed or smoothed away, and the other ear untouched.

#include "audiogram_presets.h"
#include "loss_processor.h"
#include "cochlear_place.h"
#include "played_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

namespace {

// The average power spectrum (4096 points, Hann) of `signal` from `from` on.
std::vector<double> PowerSpectrum(const std::vector<float>& signal, std::size_t from)
{
    constexpr int n = 4096;
    std::vector<double> power(n / 2, 0.0);
    std::vector<float> frame(n);
    for (std::size_t start = from; start + n <= signal.size(); start += n / 2) {
        for (int i = 0; i < n; ++i)
            frame[i] = static_cast<float>(signal[start + i] * (0.5 - 0.5 * std::cos(2 * M_PI * i / n)));
        RealFourierTransform(frame.data(), n / 2, 1);
        for (int k = 1; k < n / 2; ++k)
            power[k] += static_cast<double>(frame[2 * k]) * frame[2 * k] +
                        static_cast<double>(frame[2 * k + 1]) * frame[2 * k + 1];
    }
    return power;
}

// The strongest peak within 6 % of `hz`, between bins by a parabola through
// the log powers of its bin and the two beside it.
double PeakNear(const std::vector<double>& power, double hz)
{
    const double binHz = 44100.0 / 4096;
    int best = static_cast<int>(hz * 0.94 / binHz);
    for (int k = best; k <= static_cast<int>(hz * 1.06 / binHz) && k + 1 < static_cast<int>(power.size()); ++k)
        if (power[k] > power[best])
            best = k;
    const double a = std::log(power[best - 1]);
    const double b = std::log(power[best]);
    const double c = std::log(power[best + 1]);
    return (best + 0.5 * (a - c) / (a - 2 * b + c)) * binHz;
}

LossSettings Implanted(ImplantSettings implant)
{
    LossSettings settings;
    settings.implant[0] = settings.implant[1] = implant;
    settings.ears = EarsHeard::Left;
    return settings;
}

// How deeply `signal` is modulated around `hz`: the spread of its envelope
// over its mean, the envelope taken by shifting `hz` to 0 and averaging over
// 2 ms (which passes 200 Hz at 0.76 and keeps other channels' carriers out).
double ModulationDepth(const std::vector<float>& signal, std::size_t from, double hz)
{
    constexpr int kAverage = 88;
    std::vector<double> envelope;
    std::complex<double> sum = 0.0;
    std::vector<std::complex<double>> shifted;
    for (std::size_t i = from; i < signal.size(); ++i)
        shifted.push_back(static_cast<double>(signal[i]) *
                          std::polar(1.0, -2 * M_PI * hz * static_cast<double>(i) / 44100));
    for (std::size_t i = 0; i < shifted.size(); ++i) {
        sum += shifted[i] - (i >= kAverage ? shifted[i - kAverage] : 0.0);
        if (i >= kAverage)
            envelope.push_back(std::abs(sum));
    }
    double mean = 0.0, square = 0.0;
    for (const double e : envelope) {
        mean += e;
        square += e * e;
    }
    mean /= static_cast<double>(envelope.size());
    return std::sqrt(square / static_cast<double>(envelope.size()) - mean * mean) / mean;
}

std::vector<short> ModulatedTone(double hz, double modulationHz, double seconds)
{
    std::vector<short> tone(static_cast<std::size_t>(seconds * 44100));
    for (std::size_t i = 0; i < tone.size(); ++i) {
        const double t = static_cast<double>(i) / 44100;
        tone[i] = static_cast<short>(
            std::lround(5000 * (1 + 0.8 * std::sin(2 * M_PI * modulationHz * t)) * std::sin(2 * M_PI * hz * t)));
    }
    return tone;
}

}  // namespace

TEST(CochlearImplant, SineCarriersSitAtTheChannelsPlacesShiftedTowardsTheBase)
{
    // Eight bands from 200 to 8000 Hz equally spaced in place: their centres,
    // and 4 mm towards the base (Greenwood, worked by hand).
    const double kCentres[2][8] = {{275.5, 479.4, 782.1, 1231.5, 1898.5, 2888.6, 4358.4, 6540.1},
                                   {586.1, 940.5, 1466.5, 2247.4, 3406.6, 5127.3, 7681.4, 11472.8}};
    for (int shifted = 0; shifted < 2; ++shifted) {
        ImplantSettings implant;
        implant.channels = 8;
        implant.carrier = ImplantCarrier::Sine;
        implant.shiftMm = shifted ? 4.0 : 0.0;
        const Heard heard = Play(Implanted(implant), PinkNoise(-20), 5 * 44100);
        const std::vector<double> spectrum = PowerSpectrum(heard.left, 44100);
        for (const double hz : kCentres[shifted])
            EXPECT_NEAR(PeakNear(spectrum, hz), hz, 0.02 * hz) << (shifted ? "4 mm: " : "") << hz << " Hz";
    }
}

TEST(CochlearImplant, NoiseCarriersKeepEachChannelsLevel)
{
    // Against the same sound through a normal ear: the level the implant takes in.
    LossSettings normalEar;
    std::string error;
    normalEar.audiogram[static_cast<int>(Ear::Left)] = *CAudiogram::Make({{250, 0}, {8000, 0}}, error);
    normalEar.ears = EarsHeard::Left;
    normalEar.earLoss = false;
    ImplantSettings implant;  // 12 channels, noise, 200 to 8000 Hz, no shift, no spread
    const std::vector<double> edges = CochlearPlace::BandEdges(12, 200, 8000);
    std::vector<short> speech = ReadMonoWav(std::string(SONAFEL_RECORDINGS_DIR) + "/sprache.wav");
    speech.resize(8 * 44100);
    // Pink noise is steady and smooth within each channel, speech is neither.
    const struct {
        const char* name;
        std::vector<short> input;
        double toleranceDb;
    } cases[] = {{"pink noise", PinkNoise(-20), 0.5}, {"speech", speech, 1.5}};
    for (const auto& sound : cases) {
        const Heard heard = Play(Implanted(implant), sound.input, 8 * 44100);
        const Heard normal = Play(normalEar, sound.input, 8 * 44100);
        for (int c = 0; c < 12; ++c) {
            const double difference = 10 * std::log10(PowerBetween(heard.left, 4096, edges[c], edges[c + 1]) /
                                                      PowerBetween(normal.left, 4096, edges[c], edges[c + 1]));
            EXPECT_NEAR(difference, 0.0, sound.toleranceDb)
                << sound.name << ", channel " << c << " (" << edges[c] << " to " << edges[c + 1] << " Hz)";
        }
    }
}

TEST(CochlearImplant, TheEnvelopeCarriesSlowModulationAndSmoothsFastModulationAway)
{
    // Four channels with sine carriers: 2 kHz lies in the third (1532 to
    // 3551 Hz), whose carrier is at 2345 Hz.
    ImplantSettings implant;
    implant.channels = 4;
    implant.carrier = ImplantCarrier::Sine;
    const auto depth = [&](double modulationHz, double cutOffHz) {
        implant.envelopeHz = cutOffHz;
        const std::vector<short> tone = ModulatedTone(2000, modulationHz, 3);
        const Heard heard = Play(Implanted(implant), tone, tone.size());
        const std::vector<float> input(tone.begin(), tone.end());
        return ModulationDepth(heard.left, 22050, 2345.4) / ModulationDepth(input, 22050, 2000);
    };
    EXPECT_GE(depth(8, 160), 0.8);
    EXPECT_LE(20 * std::log10(depth(200, 50)), -15.0);
}

TEST(CochlearImplant, TheOtherEarIsHeardAsWithoutTheImplant)
{
    LossSettings settings;
    settings.audiogram[static_cast<int>(Ear::Right)] = FindAudiogramPreset("S2")->audiogram;
    const Heard without = Play(settings, PinkNoise(-20), 3 * 44100);
    settings.implant[static_cast<int>(Ear::Left)] = ImplantSettings();
    const Heard with = Play(settings, PinkNoise(-20), 3 * 44100);
    ASSERT_FALSE(with.right.empty());
    EXPECT_EQ(with.right, without.right);
    EXPECT_NE(with.left, without.left);
}

TEST(CochlearImplant, OneOfMChannelsAndTheCurrentsSpreadToItsNeighbours)
{
    // A 1231.5 Hz tone, the centre of the fourth of eight channels: with one
    // of eight only that channel's sine sounds; with a spread of 2.8 dB per
    // mm its neighbours, 35 (0.8059 - 0.1524) / 8 = 2.859 mm away on either
    // side, sound 8.0 dB below it, the next ones 16.0 dB.
    const double kCarriers[5] = {479.4, 782.1, 1231.5, 1898.5, 2888.6};
    const double kBelow[2][5] = {{-1, -1, 0, -1, -1}, {16.0, 8.0, 0, 8.0, 16.0}};  // -1: silent
    for (int spread = 0; spread < 2; ++spread) {
        ImplantSettings implant;
        implant.channels = 8;
        implant.carrier = ImplantCarrier::Sine;
        implant.nOfM = 1;
        if (spread)
            implant.spreadDbPerMm = 2.8;
        const std::vector<short> tone = ModulatedTone(1231.5, 0, 2);
        const Heard heard = Play(Implanted(implant), tone, tone.size());
        const auto level = [&](double hz) {
            return 10 * std::log10(PowerBetween(heard.left, 4096, 0.98 * hz, 1.02 * hz));
        };
        const double main = level(kCarriers[2]);
        for (int c = 0; c < 5; ++c) {
            if (kBelow[spread][c] < 0)
                EXPECT_LT(level(kCarriers[c]), main - 30) << kCarriers[c] << " Hz";
            else
                EXPECT_NEAR(main - level(kCarriers[c]), kBelow[spread][c], 1.0) << kCarriers[c] << " Hz, spread";
        }
    }
}
