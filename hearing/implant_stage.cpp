#include "implant_stage.h"

#include "cochlear_place.h"
#include "fourier_transform.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kFramesPerSecond = FrameGeometry::kSampleRate / static_cast<double>(FrameGeometry::kHop);
constexpr int kLead = (FrameGeometry::kFrameSize - FrameGeometry::kFrameInput) / 2;
constexpr double kHighestCarrierHz = FrameGeometry::kSampleRate / 2.0 - FrameGeometry::kBinHz;
// Of the frame rate: cut-offs from here on leave the frames' own envelope.
constexpr double kSmoothingLimit = 0.45;
// A frame's 256-point analysis window resolves little finer than its main
// lobe, ±4 bins; narrower channels take the joined frames, twice as fine.
constexpr double kJoinedBelowBins = 4.0;

// Two uniform values in [-1, 1) from a counter: the same for the same counter.
void TwoUniforms(std::uint64_t counter, double& first, double& second)
{
    std::uint64_t z = counter + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    constexpr double kTwoTo31 = 2147483648.0;
    first = static_cast<double>(static_cast<std::int32_t>(z >> 32)) / kTwoTo31;
    second = static_cast<double>(static_cast<std::int32_t>(z & 0xFFFFFFFFull)) / kTwoTo31;
}

}  // namespace

CImplantStage::CImplantStage(const float* analysisWindow, int analysisLength, const float* synthesisWindow)
{
    for (double* const phasor : m_phasor)
        phasor[0] = 1.0;
    // Overlap-add puts frames back together coherently; random-phase frames
    // add in power. Per frame that takes H Σw_s² Σw_a² / (N (Σ w_s w_a)²) of
    // the input's power, which the noise carriers make up.
    double synthesisEnergy = 0.0;
    double product = 0.0;
    for (int n = 0; n < kFrameSize; ++n)
        synthesisEnergy += static_cast<double>(synthesisWindow[n]) * synthesisWindow[n];
    for (int n = 0; n < analysisLength; ++n) {
        m_analysisWindow[n] = analysisWindow[n];
        m_analysisEnergy += static_cast<double>(analysisWindow[n]) * analysisWindow[n];
        product += static_cast<double>(analysisWindow[n]) * synthesisWindow[kLead + n];
    }
    m_noiseGain = FrameGeometry::kHop * synthesisEnergy * m_analysisEnergy / (kFrameSize * product * product);
    double joined[kFrameSize] = {};
    for (int f = 0; f < 3; ++f)
        for (int n = 0; n < analysisLength; ++n)
            joined[f * FrameGeometry::kHop + n] += analysisWindow[n];
    double joinedEnergy = 0.0;
    for (const double w : joined)
        joinedEnergy += w * w;
    m_joinedScale = m_analysisEnergy / joinedEnergy;

    // A bin's noise, synthesised, is the window's transform around the bin:
    // |W(δ)|² integrated outwards, of N Σw_s² over all δ.
    double inside = 0.0;
    double densityBefore = 0.0;
    for (int i = 0; i <= kSpillReach * kSpillSteps; ++i) {
        const double turn = 2.0 * kPi * i / (kSpillSteps * static_cast<double>(kFrameSize));
        double re = 0.0;
        double im = 0.0;
        for (int n = 0; n < kFrameSize; ++n) {
            re += synthesisWindow[n] * std::cos(turn * n);
            im += synthesisWindow[n] * std::sin(turn * n);
        }
        const double density = re * re + im * im;
        if (i > 0)
            inside += (density + densityBefore) / (2.0 * kSpillSteps);
        densityBefore = density;
        m_spilledBeyond[i] = std::max(0.5 - inside / (kFrameSize * synthesisEnergy), 0.0);
    }
}

double CImplantStage::SpilledBeyond(double binsFromEdge) const
{
    if (binsFromEdge < 0.0)
        return 1.0 - SpilledBeyond(-binsFromEdge);
    const int step = static_cast<int>(std::lround(binsFromEdge * kSpillSteps));
    return step > kSpillReach * kSpillSteps ? 0.0 : m_spilledBeyond[step];
}

void CImplantStage::KeepSpillAtTheOuterEdges(const double* shiftedEdges)
{
    // Inside the range a channel's spill is made up by its neighbours'; what
    // the outermost channels spill beyond it is lost, unless made up here (by
    // 3 dB at most: a channel narrower than a bin spills most of itself). At
    // the spectrum's end nothing is lost: it folds back.
    const int last = m_built.channels - 1;
    const double low = shiftedEdges[0];
    const double high = shiftedEdges[m_built.channels];
    double lost[kMaxChannels] = {};
    for (int s = 0; s < m_built.carrierShares; ++s) {
        const BinShare& share = m_built.carrier[s];
        const double binHz = share.bin * FrameGeometry::kBinHz;
        if (share.channel == 0)
            lost[0] += share.weight * SpilledBeyond((binHz - low) / FrameGeometry::kBinHz);
        if (share.channel == last && high < kHighestCarrierHz)
            lost[last] += share.weight * SpilledBeyond((high - binHz) / FrameGeometry::kBinHz);
    }
    for (const int c : {0, last})
        m_built.carrierWidth[c] -= std::min(lost[c], 0.5 * m_built.carrierWidth[c]);
}

int CImplantStage::ShareBins(const double* edges, int channels, BinShare* shares)
{
    int count = 0;
    for (int c = 0; c < channels; ++c)
        for (int k = 1; k < kBins; ++k) {
            const double low = std::max(edges[c], (k - 0.5) * FrameGeometry::kBinHz);
            const double high = std::min(edges[c + 1], (k + 0.5) * FrameGeometry::kBinHz);
            if (high > low) {
                const double weight = (high - low) / FrameGeometry::kBinHz;
                shares[count++] = {c, k, static_cast<float>(weight), static_cast<float>(std::sqrt(weight))};
            }
        }
    return count;
}

void CImplantStage::Build(const ImplantSettings* settings)
{
    m_built.active = settings != nullptr;
    if (!settings) {
        m_built.joinedBins = 0;  // the frames are not kept meanwhile
        return;
    }
    m_built.settings = *settings;
    m_built.channels = settings->channels;
    const std::vector<double> edges = CochlearPlace::BandEdges(m_built.channels, settings->lowHz, settings->highHz);
    double shifted[kMaxChannels + 1];
    for (int c = 0; c <= m_built.channels; ++c)
        shifted[c] = std::min(CochlearPlace::ShiftedHz(edges[c], settings->shiftMm), kHighestCarrierHz);
    m_built.analysisShares = ShareBins(edges.data(), m_built.channels, m_built.analysis);
    m_built.carrierShares = ShareBins(shifted, m_built.channels, m_built.carrier);
    std::fill(m_built.carrierWidth, m_built.carrierWidth + kMaxChannels, 0.0);
    for (int s = 0; s < m_built.carrierShares; ++s)
        m_built.carrierWidth[m_built.carrier[s].channel] += m_built.carrier[s].weight;
    KeepSpillAtTheOuterEdges(shifted);
    for (int c = 0; c < m_built.channels; ++c) {
        m_built.analysisCentreHz[c] = CochlearPlace::CentreHz(edges[c], edges[c + 1]);
        m_built.carrierHz[c] = CochlearPlace::ShiftedHz(m_built.analysisCentreHz[c], settings->shiftMm);
    }
    for (int c = 0; c < m_built.channels; ++c)
        BuildSine(c);
    const int joinedBefore = m_built.joinedBins;
    m_built.joinedBins = 0;
    for (int c = 0; c < m_built.channels; ++c) {
        m_built.joined[c] = edges[c + 1] - edges[c] < kJoinedBelowBins * FrameGeometry::kBinHz;
        if (m_built.joined[c])
            m_built.joinedBins = static_cast<int>(std::floor(edges[c + 1] / FrameGeometry::kBinHz + 0.5)) + 1;
    }
    if (m_built.joinedBins > joinedBefore)
        m_joinedFrames.Clear();
    // Without spread each channel excites its own place only.
    for (int j = 0; j < m_built.channels; ++j)
        for (int c = 0; c < m_built.channels; ++c) {
            const double mm =
                CochlearPlace::kLengthMm * std::abs(CochlearPlace::PlaceOfHz(m_built.analysisCentreHz[j]) -
                                                    CochlearPlace::PlaceOfHz(m_built.analysisCentreHz[c]));
            m_built.spread[j][c] =
                settings->spreadDbPerMm ? std::pow(10.0, -*settings->spreadDbPerMm * mm / 10.0) : (j == c ? 1.0 : 0.0);
        }
    // Bilinear, with the cut-off prewarped.
    m_built.smoothing = settings->envelopeHz < kSmoothingLimit * kFramesPerSecond;
    const double k = std::tan(kPi * settings->envelopeHz / kFramesPerSecond);
    const double norm = 1.0 / (1.0 + std::sqrt(2.0) * k + k * k);
    m_built.b0 = k * k * norm;
    m_built.b1 = 2.0 * m_built.b0;
    m_built.b2 = m_built.b0;
    m_built.a1 = 2.0 * (k * k - 1.0) * norm;
    m_built.a2 = (1.0 - std::sqrt(2.0) * k + k * k) * norm;
}

void CImplantStage::BuildSine(int channel)
{
    const double step = 2.0 * kPi * m_built.carrierHz[channel] / FrameGeometry::kSampleRate;
    float cosine[kFrameSize] = {};
    float sine[kFrameSize] = {};
    for (int n = 0; n < FrameGeometry::kFrameInput; ++n) {
        cosine[kLead + n] = static_cast<float>(m_analysisWindow[n] * std::cos(step * n));
        sine[kLead + n] = static_cast<float>(m_analysisWindow[n] * std::sin(step * n));
    }
    RealFourierTransform(cosine, kFrameSize / 2, 1);
    RealFourierTransform(sine, kFrameSize / 2, 1);
    m_built.hopTurn[channel][0] = std::cos(step * FrameGeometry::kHop);
    m_built.hopTurn[channel][1] = std::sin(step * FrameGeometry::kHop);
    const int centre = static_cast<int>(std::lround(m_built.carrierHz[channel] / FrameGeometry::kBinHz));
    m_built.sineFirstBin[channel] = std::clamp(centre - kSineReach, 1, kBins - kSineBins);
    for (int i = 0; i < kSineBins; ++i)
        for (int part = 0; part < 2; ++part) {
            m_built.sineCos[channel][i][part] = cosine[2 * (m_built.sineFirstBin[channel] + i) + part];
            m_built.sineSin[channel][i][part] = sine[2 * (m_built.sineFirstBin[channel] + i) + part];
        }
}

void CImplantStage::TakeSettings(const CImplantStage& from)
{
    if (from.m_built.joinedBins > m_built.joinedBins)
        m_joinedFrames.Clear();
    m_built = from.m_built;
}

void CImplantStage::Process(float* spectrum)
{
    // Each channel's power in the frame, smoothed to the envelope.
    m_joinedFrames.Add(spectrum, m_built.joinedBins);
    double power[kMaxChannels] = {};
    for (int s = 0; s < m_built.analysisShares; ++s) {
        const BinShare& share = m_built.analysis[s];
        const double re = spectrum[2 * share.bin];
        const double im = spectrum[2 * share.bin + 1];
        const double binPower =
            m_built.joined[share.channel] ? m_joinedScale * m_joinedFrames.Power()[share.bin] : re * re + im * im;
        power[share.channel] += share.weight * binPower;
    }
    for (int c = 0; c < m_built.channels; ++c) {
        double* const x = m_powerBefore[c];
        double* const y = m_envelopeBefore[c];
        const double smoothed =
            m_built.b0 * power[c] + m_built.b1 * x[0] + m_built.b2 * x[1] - m_built.a1 * y[0] - m_built.a2 * y[1];
        x[1] = x[0];
        x[0] = power[c];
        y[1] = y[0];
        y[0] = smoothed;
        // The low-pass rings a little below zero after a step down; a power does not.
        m_envelope[c] = m_built.smoothing ? std::max(smoothed, 0.0) : power[c];
    }

    // The strongest n channels alone, when chosen; then the current's spread.
    bool chosen[kMaxChannels];
    std::fill(chosen, chosen + kMaxChannels, true);
    if (m_built.settings.nOfM > 0) {
        for (int c = 0; c < m_built.channels; ++c) {
            int stronger = 0;
            for (int other = 0; other < m_built.channels; ++other)
                stronger += m_envelope[other] > m_envelope[c] || (m_envelope[other] == m_envelope[c] && other < c);
            chosen[c] = stronger < m_built.settings.nOfM;
        }
    }
    double excitation[kMaxChannels] = {};
    for (int j = 0; j < m_built.channels; ++j)
        for (int c = 0; c < m_built.channels; ++c)
            if (chosen[c])
                excitation[j] += m_built.spread[j][c] * m_envelope[c];

    std::fill(spectrum, spectrum + kFrameSize, 0.0f);
    if (m_built.settings.carrier == ImplantCarrier::Sine)
        AddSineCarriers(excitation, spectrum);
    else
        AddNoiseCarriers(excitation, spectrum);
    ++m_frame;
}

void CImplantStage::AddNoiseCarriers(const double* power, float* spectrum)
{
    // Random real and imaginary parts, uniform: a power of 2/3 per bin on average.
    double perShare[kMaxChannels];
    for (int c = 0; c < m_built.channels; ++c)
        perShare[c] =
            m_built.carrierWidth[c] > 0.0 ? std::sqrt(1.5 * power[c] / (m_built.carrierWidth[c] * m_noiseGain)) : 0.0;
    for (int s = 0; s < m_built.carrierShares; ++s) {
        const BinShare& share = m_built.carrier[s];
        const double scale = perShare[share.channel] * share.root;
        // Two channels sharing a bin carry independent noise there, adding in power.
        const std::uint64_t counter =
            (m_frame * kBins + static_cast<std::uint64_t>(share.bin)) * kMaxChannels + share.channel;
        double re;
        double im;
        TwoUniforms(counter, re, im);
        spectrum[2 * share.bin] += static_cast<float>(scale * re);
        spectrum[2 * share.bin + 1] += static_cast<float>(scale * im);
    }
}

void CImplantStage::AddSineCarriers(const double* power, float* spectrum)
{
    // sin(φ + ωn) = sin φ cos ωn + cos φ sin ωn: each sine from the frame's
    // phase, as the frame's input would be windowed and transformed, so that
    // overlap-add joins the frames without a seam. A sine of amplitude A puts
    // N Σw_a² A² / 4 into one side of the spectrum.
    for (int c = 0; c < m_built.channels; ++c) {
        double* const phasor = m_phasor[c];
        if (m_built.carrierHz[c] < kHighestCarrierHz && power[c] > 0.0) {
            const double amplitude = 2.0 * std::sqrt(power[c] / (kFrameSize * m_analysisEnergy));
            const float ofCos = static_cast<float>(amplitude * phasor[1]);
            const float ofSin = static_cast<float>(amplitude * phasor[0]);
            float* const bins = spectrum + 2 * m_built.sineFirstBin[c];
            for (int i = 0; i < kSineBins; ++i)
                for (int part = 0; part < 2; ++part)
                    bins[2 * i + part] += ofCos * m_built.sineCos[c][i][part] + ofSin * m_built.sineSin[c][i][part];
        }
        // On by a hop, held on the unit circle.
        const double re = phasor[0] * m_built.hopTurn[c][0] - phasor[1] * m_built.hopTurn[c][1];
        const double im = phasor[0] * m_built.hopTurn[c][1] + phasor[1] * m_built.hopTurn[c][0];
        const double keep = 1.5 - 0.5 * (re * re + im * im);
        phasor[0] = re * keep;
        phasor[1] = im * keep;
    }
}
