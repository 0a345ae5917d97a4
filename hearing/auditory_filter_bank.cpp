#include "auditory_filter_bank.h"

#include "erb_scale.h"
#include "filter_shape.h"
#include "per_window_tables.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kFrameBinHz = FrameGeometry::kBinHz;
constexpr int kHop = FrameGeometry::kHop;
constexpr double kFullScale = 32768.0;

struct AnalysisWindow {
    std::vector<float> window;  // placed at the start of the transform
    int transform;
    double binHz;
};

}  // namespace

double LobePower(const float* window, int length, int transform, double offset)
{
    std::complex<double> sum = 0.0;
    for (int n = 0; n < length; ++n)
        sum += static_cast<double>(window[n]) * std::polar(1.0, -2.0 * kPi * n * offset / transform);
    return std::norm(sum);
}

double CAuditoryFilterBank::CentreHz(int channel)
{
    return HzAtErbNumber(kLowestErbNumber + kSpacingErbs * channel);
}

void CAuditoryFilterBank::SetFrameWindow(const float* frameWindow, int length)
{
    std::copy(frameWindow, frameWindow + length, m_frameWindow);
    m_frameWindowLength = length;
    SetBroadening(m_degree);
}

void CAuditoryFilterBank::SetBroadening(int degreeOfLoss)
{
    static CPerWindowTables<Layout> layouts[kDegreesOfLoss];
    m_degree = degreeOfLoss;
    m_layout = layouts[degreeOfLoss].For(m_frameWindow, m_frameWindowLength, [&](Layout& layout) {
        LayOut(m_frameWindow, m_frameWindowLength, degreeOfLoss, layout);
    });
}

void CAuditoryFilterBank::LayOut(const float* frameWindow, int length, int degreeOfLoss, Layout& layout) const
{
    const SmearingWidening& widening = kWidenings[degreeOfLoss];
    layout.firstFrameCell = kFrameBins;
    AnalysisWindow frame{std::vector<float>(frameWindow, frameWindow + length), kFrameSize, kFrameBinHz};
    // Three frames a hop apart, joined: one window over 256 + 2·128 samples.
    AnalysisWindow joined{std::vector<float>(length + 2 * kHop, 0.0f), kFrameSize, kFrameBinHz};
    for (int f = 0; f < 3; ++f)
        for (int i = 0; i < length; ++i)
            joined.window[f * kHop + i] += frameWindow[i];
    AnalysisWindow decimated{std::vector<float>(m_long.Window(), m_long.Window() + CLowFrequencyAnalysis::kWindow),
                             CLowFrequencyAnalysis::kWindow, CLowFrequencyAnalysis::kBinHz};

    for (int c = 0; c < kChannels; ++c) {
        const double hz = CentreHz(c);
        const Analysis kind = hz < kLongAnalysisBelowHz ? kLong : hz < kFrameAnalysisFromHz ? kJoined : kFrame;
        const AnalysisWindow& analysis = kind == kLong ? decimated : kind == kJoined ? joined : frame;
        const int bins = kind == kLong ? CLowFrequencyAnalysis::kBins : kind == kJoined ? kJoinedBins : kFrameBins;
        const double centre = hz / analysis.binHz;
        Channel& channel = layout.channel[c];
        channel.analysis = kind;
        channel.frameBin = std::min(static_cast<int>(std::lround(hz / kFrameBinHz)), kFrameBins - 1);
        // From cell 1 up: the analysis's DC cell holds no filter's sound.
        const auto [first, last] = SpanOfFilter(widening, hz, analysis.binHz, 1, bins, kMostCells);
        channel.firstCell = first;
        channel.cellCount = last - first + 1;
        for (int k = first; k <= last; ++k)
            channel.passes[k - first] = static_cast<float>(
                FilterPassesBetween(widening, hz, (k - 0.5) * analysis.binHz, (k + 0.5) * analysis.binHz));
        if (kind == kFrame)
            layout.firstFrameCell = std::min(layout.firstFrameCell, first);
        // What a centred full-scale tone would read: its lobe's power as the
        // filter passes it, as a share of all of it (N·Σw² over the whole
        // transform).
        double windowEnergy = 0.0;
        for (const float w : analysis.window)
            windowEnergy += static_cast<double>(w) * w;
        double inside = 0.0;
        for (int k = first; k <= last; ++k)
            inside +=
                channel.passes[k - first] * LobePower(analysis.window.data(), static_cast<int>(analysis.window.size()),
                                                      analysis.transform, k - centre);
        double share = inside / (analysis.transform * windowEnergy);
        if (kind == kLong)
            share *= CLowFrequencyAnalysis::DecimationResponse(hz);
        const double fullScalePower = analysis.transform / 2.0 * windowEnergy * kFullScale * kFullScale;
        channel.scale = 1.0 / (share * fullScalePower);
    }
}

void CAuditoryFilterBank::BeginBlock(const short* input, bool continues, float inputGain, const float* binGain)
{
    BeginBlock(continues, inputGain, binGain);
    const int first = continues ? CLowFrequencyAnalysis::kFirstNewSample : 0;
    AddInput(input + first, first, CLowFrequencyAnalysis::kBlockInput - first);
}

void CAuditoryFilterBank::BeginBlock(bool continues, float inputGain, const float* binGain)
{
    m_long.BeginBlock(continues);
    if (!continues) {
        m_frameCount = 0;
        m_joined.Clear();
    }
    m_frameInBlock = 0;
    m_inputGain = inputGain;
    m_binGain = binGain;
}

double CAuditoryFilterBank::PowerPassed(const float* power, const Channel& channel)
{
    // Four running sums, so that the additions need not wait on each other.
    float sums[4] = {};
    const float* const cells = power + channel.firstCell;
    int k = 0;
    for (; k + 3 < channel.cellCount; k += 4)
        for (int lane = 0; lane < 4; ++lane)
            sums[lane] += channel.passes[k + lane] * cells[k + lane];
    for (; k < channel.cellCount; ++k)
        sums[0] += channel.passes[k] * cells[k];
    return (sums[0] + sums[1]) + (sums[2] + sums[3]);
}

void CAuditoryFilterBank::Measure(const float* spectrum, double* relativePower)
{
    for (int k = m_layout.firstFrameCell; k < kFrameBins; ++k)
        m_framePower[k] = spectrum[2 * k] * spectrum[2 * k] + spectrum[2 * k + 1] * spectrum[2 * k + 1];
    m_joined.Add(spectrum);
    if (m_frameCount % kFramesPerLongAnalysis == 0) {
        m_long.Analyse(std::min(m_frameInBlock, (CLowFrequencyAnalysis::kBlockInput - CLowFrequencyAnalysis::kFrameInput) /
                                                    CLowFrequencyAnalysis::kHop));
    }
    ++m_frameInBlock;
    ++m_frameCount;

    for (int c = 0; c < kChannels; ++c) {
        const Channel& channel = m_layout.channel[c];
        double power = 0.0;
        if (channel.analysis == kLong) {
            const double gain = m_inputGain * (m_binGain ? m_binGain[2 * channel.frameBin] : 1.0f);
            power = PowerPassed(m_long.Power(), channel) * gain * gain;
        } else if (channel.analysis == kJoined) {
            power = PowerPassed(m_joined.Power(), channel);
        } else {
            power = PowerPassed(m_framePower, channel);
        }
        relativePower[c] = power * channel.scale;
    }
}
