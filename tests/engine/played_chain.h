#pragma once

// The chain played as the program plays it, and what tests measure on its
// output: pink noise in, power in bands out.

#include "fourier_transform.h"
#include "loss_processor.h"
#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

constexpr int kRate = 44100;

struct Heard {
    std::vector<float> left, right;  // right: only in stereo
};

// The chain's output for `input` as speech; `beforeBlock` may switch
// settings before block n (from 0) while the sound plays.
inline Heard Play(
    const LossSettings& settings, const std::vector<short>& input, std::size_t samples,
    const std::function<void(CLossProcessor&, int)>& beforeBlock = [](CLossProcessor&, int) {})
{
    CSourceBank bank;
    bank.ReplaceSource(0, NewSamples(input), static_cast<int>(input.size()), false);
    CLossProcessor processor(bank);
    processor.Apply(settings);
    processor.BuildHighFreqGain();
    processor.m_bSourceOn[0] = 1;
    Heard heard;
    for (int block = 0; heard.left.size() < samples; ++block) {
        beforeBlock(processor, block);
        processor.ProcessBlock();
        const float* left = processor.FloatBlock();
        if (!left)
            break;
        heard.left.insert(heard.left.end(), left, left + CLossProcessor::kBlockOutput);
        if (const float* right = processor.FloatBlockRight())
            heard.right.insert(heard.right.end(), right, right + CLossProcessor::kBlockOutput);
    }
    return heard;
}

// Pink noise looping every 4096 samples: every bin (10.8 Hz apart) at
// 1/√f, random phases, at `rmsDbFs` dB below a full-scale RMS.
inline std::vector<short> PinkNoise(double rmsDbFs)
{
    constexpr int n = 4096;
    std::vector<float> spectrum(n, 0.0f);
    std::mt19937 random(29);
    std::uniform_real_distribution<double> phase(0.0, 2 * M_PI);
    for (int k = 2; k < n / 2; ++k) {
        const double amplitude = 1.0 / std::sqrt(static_cast<double>(k));
        const double angle = phase(random);
        spectrum[2 * k] = static_cast<float>(amplitude * std::cos(angle));
        spectrum[2 * k + 1] = static_cast<float>(amplitude * std::sin(angle));
    }
    RealFourierTransform(spectrum.data(), n / 2, -1);
    double sum = 0.0;
    for (const float x : spectrum)
        sum += static_cast<double>(x) * x;
    const double scale = 32768.0 * std::pow(10.0, rmsDbFs / 20.0) / std::sqrt(sum / n);
    std::vector<short> noise(n);
    for (int i = 0; i < n; ++i)
        noise[i] = static_cast<short>(std::lround(spectrum[i] * scale));
    return noise;
}

// The power between `lowHz` and `highHz`, summed over Hann-windowed
// stretches of 4096 samples from `from` on.
template <typename Samples>
double PowerBetween(const Samples& signal, std::size_t from, double lowHz, double highHz)
{
    constexpr int n = 4096;
    double power = 0.0;
    std::vector<float> frame(n);
    for (std::size_t start = from; start + n <= signal.size(); start += n / 2) {
        for (int i = 0; i < n; ++i)
            frame[i] = static_cast<float>(signal[start + i] * (0.5 - 0.5 * std::cos(2 * M_PI * i / n)));
        RealFourierTransform(frame.data(), n / 2, 1);
        const int low = static_cast<int>(std::ceil(lowHz * n / kRate));
        // Up to the last complex bin: half the rate is packed in frame[1].
        const int high = std::min(static_cast<int>(std::floor(highHz * n / kRate)), n / 2 - 1);
        for (int k = low; k <= high; ++k)
            power += static_cast<double>(frame[2 * k]) * frame[2 * k] +
                     static_cast<double>(frame[2 * k + 1]) * frame[2 * k + 1];
    }
    return power;
}

// The power in the one-third-octave band around `hz` (see PowerBetween).
inline double BandPower(const std::vector<float>& signal, std::size_t from, double hz)
{
    return PowerBetween(signal, from, hz * std::pow(2.0, -1.0 / 6), hz * std::pow(2.0, 1.0 / 6));
}
