// Compares a recording of what the program played with the rendering of the
// same settings: finds where the rendering's steady stretch lies in the
// recording, then prints the level difference in dB and the correlation
// there. Exit status 0 when the levels agree within 0.5 dB and the
// correlation is at least 0.99. With CHANNELS 2 both files are stereo and
// each channel of the recording is compared with the same channel of the
// rendering. With "whole" the rest of the rendering from its second second
// on must be in the recording at that delay too (correlation at least
// 0.99 over its loud stretches): a period lost anywhere puts what follows
// out of step. The worst 10 ms stretch is said as well.
//
//   compare_sound RECORDED.wav RENDERED.wav [CHANNELS [whole]]

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// The samples of a 16-bit WAV file, interleaved, whatever chunks come before "data".
bool ReadWav(const char* path, std::vector<double>& samples)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0)
        return false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        std::uint32_t size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 | static_cast<std::uint32_t>(bytes[at + 7]) << 24;
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const std::size_t end = size == 0xFFFFFFFFu || at + 8 + size > bytes.size() ? bytes.size() : at + 8 + size;
            for (std::size_t i = at + 8; i + 1 < end; i += 2)
                samples.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8));
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

std::size_t Onset(const std::vector<double>& samples)
{
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (std::fabs(samples[i]) > 1000)
            return i;
    return samples.size();
}

// The lag at which `recorded` best matches the stretch of `rendered` from
// `start`, `length` long, among lags from `lowest` to `highest` in steps of
// `step` samples (the sums taken every `step` samples too); -1e9 for none.
long BestLag(const std::vector<double>& recorded, const std::vector<double>& rendered, std::size_t start,
             std::size_t length, long lowest, long highest, long step, double* correlation = nullptr,
             double* recordedEnergy = nullptr)
{
    double renderedEnergy = 0.0;
    for (std::size_t i = 0; i < length; i += static_cast<std::size_t>(step))
        renderedEnergy += rendered[start + i] * rendered[start + i];
    long bestLag = -1000000000L;
    double best = -2.0, bestEnergy = 0.0;
    for (long lag = lowest; lag <= highest; lag += step) {
        const long from = static_cast<long>(start) + lag;
        if (from < 0 || static_cast<std::size_t>(from) + length > recorded.size())
            continue;
        double product = 0.0, energy = 0.0;
        for (std::size_t i = 0; i < length; i += static_cast<std::size_t>(step)) {
            product += recorded[from + i] * rendered[start + i];
            energy += recorded[from + i] * recorded[from + i];
        }
        const double value = energy > 0 ? product / std::sqrt(energy * renderedEnergy) : 0.0;
        if (value > best) {
            best = value;
            bestLag = lag;
            bestEnergy = energy;
        }
    }
    if (correlation)
        *correlation = best;
    if (recordedEnergy)
        *recordedEnergy = bestEnergy;
    return bestLag;
}

// One channel of interleaved samples.
std::vector<double> Channel(const std::vector<double>& samples, int channels, int channel)
{
    std::vector<double> one;
    for (std::size_t i = static_cast<std::size_t>(channel); i < samples.size(); i += static_cast<std::size_t>(channels))
        one.push_back(samples[i]);
    return one;
}

// Prints the delay, level difference and correlation of the rendering's
// steady stretch in the recording; true when they agree. The delay is
// sought over the whole recording, or within 50 samples of `near` (a
// channel's delay found already: the channels play together).
bool Compare(const std::vector<double>& recorded, const std::vector<double>& rendered, const char* label,
             long* delay = nullptr, const long* near = nullptr)
{
    // The steady stretch: two seconds from one second into the rendering.
    const std::size_t start = 44100, length = 2 * 44100;
    if (rendered.size() < start + length) {
        std::fprintf(stderr, "the rendering is too short\n");
        return false;
    }
    // The delay is sought over the whole recording, coarsely first: a start
    // of the sound lost under load moves the onsets apart.
    long bestLag;
    if (near) {
        bestLag = *near;
    } else {
        const long coarse = BestLag(recorded, rendered, start, length, -static_cast<long>(start),
                                    static_cast<long>(recorded.size()), 8);
        const long byOnsets = static_cast<long>(Onset(recorded)) - static_cast<long>(Onset(rendered));
        std::printf("%sonsets at %zu and %zu samples (lag %ld), the best coarse lag %ld\n", label, Onset(recorded),
                    Onset(rendered), byOnsets, coarse);
        bestLag = coarse;
    }
    double best = -2.0, bestRecordedEnergy = 0.0, renderedEnergy = 0.0;
    for (std::size_t i = 0; i < length; ++i)
        renderedEnergy += rendered[start + i] * rendered[start + i];
    const long reach = near ? 50 : 16;
    bestLag = BestLag(recorded, rendered, start, length, bestLag - reach, bestLag + reach, 1, &best, &bestRecordedEnergy);
    if (best < -1.0) {
        std::fprintf(stderr, "%sthe recording (%zu samples) does not hold the stretch\n", label, recorded.size());
        return false;
    }
    if (delay)
        *delay = bestLag;
    const double levelDb = 10.0 * std::log10(bestRecordedEnergy / renderedEnergy);
    std::printf("%sdelay %.1f ms, level difference %.3f dB, correlation %.5f\n", label, 1000.0 * bestLag / 44100,
                levelDb, best);
    return std::fabs(levelDb) <= 0.5 && best >= 0.99;
}

// The rendering from one second on against the recording at `delay`, over
// the 10 ms stretches whose level is above -45 dB FS (the sound, not its
// pauses, where the dither's noise is all that differs); true when they
// correlate by 0.99 or more together and their levels agree within 0.5 dB.
// `renderings` are the same sound run with its frames falling elsewhere;
// each second is taken from the one that matches it best, so that a
// recorder that loses a period of its own only moves which one that is.
bool CompareWhole(const std::vector<double>& recorded, const std::vector<std::vector<double>>& renderings, long delay,
                  const char* label)
{
    const std::size_t window = 441, second = 44100;
    const double loud = 32768.0 * 32768.0 * std::pow(10.0, -45.0 / 10.0) * window;
    struct Sums {
        double product = 0.0, recorded = 0.0, rendered = 0.0;
        std::size_t windows = 0, below = 0, worstAt = 0;
        double worst = 1.0;
        double Correlation() const { return product / std::sqrt(recorded * rendered + 1e-30); }
    };
    Sums total;
    const std::size_t length = renderings.front().size();
    for (std::size_t begin = second; begin + window <= length; begin += second) {
        Sums best;
        best.product = -1e300;
        for (const std::vector<double>& rendered : renderings) {
            Sums part;
            for (std::size_t start = begin; start < begin + second && start + window <= rendered.size();
                 start += window) {
                const long from = static_cast<long>(start) + delay;
                if (from < 0 || static_cast<std::size_t>(from) + window > recorded.size())
                    break;
                double product = 0.0, recordedEnergy = 0.0, renderedEnergy = 0.0;
                for (std::size_t i = 0; i < window; ++i) {
                    product += recorded[from + i] * rendered[start + i];
                    recordedEnergy += recorded[from + i] * recorded[from + i];
                    renderedEnergy += rendered[start + i] * rendered[start + i];
                }
                if (renderedEnergy < loud)
                    continue;
                part.product += product;
                part.recorded += recordedEnergy;
                part.rendered += renderedEnergy;
                ++part.windows;
                const double value = product / std::sqrt(recordedEnergy * renderedEnergy + 1e-30);
                part.below += value < 0.99;
                if (value < part.worst) {
                    part.worst = value;
                    part.worstAt = start;
                }
            }
            if (part.windows > 0 && (best.windows == 0 || part.Correlation() > best.Correlation()))
                best = part;
        }
        if (best.windows == 0)
            continue;
        total.product += best.product;
        total.recorded += best.recorded;
        total.rendered += best.rendered;
        total.windows += best.windows;
        total.below += best.below;
        if (best.worst < total.worst) {
            total.worst = best.worst;
            total.worstAt = best.worstAt;
        }
    }
    const double levelDb = 10.0 * std::log10((total.recorded + 1e-30) / (total.rendered + 1e-30));
    std::printf(
        "%s%zu loud stretches of 10 ms: correlation %.5f, level difference %.3f dB; %zu below 0.99, the "
        "worst %.5f at %.2f s\n",
        label, total.windows, total.Correlation(), levelDb, total.below, total.worst, total.worstAt / 44100.0);
    return total.windows > 0 && total.Correlation() >= 0.99 && std::fabs(levelDb) <= 0.5;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<double> recorded, rendered;
    const int channels = argc >= 4 ? std::atoi(argv[3]) : 1;
    const bool whole = argc >= 5 && std::strcmp(argv[4], "whole") == 0;
    std::vector<std::vector<double>> others(argc > 5 ? argc - 5 : 0);
    bool read = argc >= 3 && ReadWav(argv[1], recorded) && ReadWav(argv[2], rendered);
    for (std::size_t i = 0; read && i < others.size(); ++i)
        read = ReadWav(argv[5 + i], others[i]);
    if (!read || (argc >= 5 && !whole) || (channels != 1 && channels != 2)) {
        std::fprintf(stderr,
                     "usage: compare_sound RECORDED.wav RENDERED.wav [CHANNELS [whole [RENDERED.wav...]]] (16-bit, 1 "
                     "or 2 channels; the renderings after \"whole\" are the same sound with its frames elsewhere)\n");
        return 2;
    }
    // The left ear's channel is the louder one of the test's listener.
    long delay = 0;
    bool agree = true;
    for (int channel = 0; channel < channels; ++channel) {
        const char* label = channels == 1 ? "" : channel == 0 ? "left: " : "right: ";
        const std::vector<double> recordedChannel = Channel(recorded, channels, channel);
        std::vector<std::vector<double>> renderings{Channel(rendered, channels, channel)};
        const bool found = Compare(recordedChannel, renderings.front(), label, channel == 0 ? &delay : nullptr,
                                   channel == 0 ? nullptr : &delay);
        if (!whole) {
            agree &= found;
            continue;
        }
        // The stretch only finds the delay: a period the recorder lost there
        // must not decide.
        for (const std::vector<double>& other : others)
            renderings.push_back(Channel(other, channels, channel));
        agree &= CompareWhole(recordedChannel, renderings, delay, label);
    }
    return agree ? 0 : 1;
}
