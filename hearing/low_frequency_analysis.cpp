#include "low_frequency_analysis.h"

#include "fourier_transform.h"

#include <algorithm>
#include <cmath>

CLowFrequencyAnalysis::CLowFrequencyAnalysis()
{
    for (int i = 0; i < kWindow; ++i)
        m_window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * 3.141592653589793 * i / kWindow));
}

double CLowFrequencyAnalysis::DecimationResponse(double hz)
{
    // Each stage's amplitude response is cos²(π f / rate).
    const double first = std::cos(3.141592653589793 * hz / 44100.0);
    const double second = std::cos(3.141592653589793 * hz / 22050.0);
    return std::pow(first * second, 8.0);
}

int CLowFrequencyAnalysis::Halve(const float* in, int count, float* history, float* out)
{
    int written = 0;
    for (int i = 1; i < count; i += 2) {
        const float x0 = i >= 4 ? in[i - 4] : history[i];
        const float x1 = i >= 3 ? in[i - 3] : history[i + 1];
        const float x2 = i >= 2 ? in[i - 2] : history[i + 2];
        const float x3 = in[i - 1];
        const float x4 = in[i];
        out[written++] = (x0 + 4.0f * x1 + 6.0f * x2 + 4.0f * x3 + x4) * 0.0625f;
    }
    std::copy(in + count - 4, in + count, history);
    return written;
}

void CLowFrequencyAnalysis::AddBlock(const short* input, bool continues)
{
    BeginBlock(continues);
    const int first = continues ? kFirstNewSample : 0;  // the rest was taken with the previous block
    AddInput(input + first, first, kBlockInput - first);
}

void CLowFrequencyAnalysis::BeginBlock(bool continues)
{
    if (continues) {
        constexpr int kShift = kBlockAdvance / kDecimation;
        std::copy(m_decimated + kShift, m_decimated + kHeld, m_decimated);
        std::fill(m_decimated + kHeld - kShift, m_decimated + kHeld, 0.0f);
    } else {
        std::fill(m_decimated, m_decimated + kHeld, 0.0f);
        std::fill(m_history1, m_history1 + 4, 0.0f);
        std::fill(m_history2, m_history2 + 4, 0.0f);
    }
}

void CLowFrequencyAnalysis::AddInput(const short* input, int position, int count)
{
    // Block-local input sample 4·(q - kWindow) is decimated sample q. Each
    // halving works on pairs with the last four inputs kept, so pieces of
    // whole pairs give the outputs the whole block would.
    std::copy(input, input + count, m_scratch);
    const int halved = Halve(m_scratch, count, m_history1, m_halved);
    Halve(m_halved, halved, m_history2, m_decimated + kWindow + position / kDecimation);
}

void CLowFrequencyAnalysis::Analyse(int frameInBlock)
{
    const int end = kWindow + (frameInBlock * kHop + kFrameInput) / kDecimation;
    float data[kWindow];
    for (int i = 0; i < kWindow; ++i)
        data[i] = m_decimated[end - kWindow + i] * m_window[i];
    RealFourierTransform(data, kWindow / 2, 1);
    m_power[0] = 0.0f;  // as in the frames: DC is no auditory filter's
    for (int k = 1; k < kBins; ++k)
        m_power[k] = data[2 * k] * data[2 * k] + data[2 * k + 1] * data[2 * k + 1];
}
