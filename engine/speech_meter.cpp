#include "speech_meter.h"

#include "fourier_transform.h"
#include "loss_processor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFullScale = 32768.0;
constexpr int kBlock = FrameGeometry::kBlockOutput;
constexpr double kBinHz = FrameGeometry::kSampleRate / static_cast<double>(CSpeechMeter::kFftPoints);
constexpr double kPi = 3.14159265358979323846;
// Below this a spectrum level is no sound at all, dB SPL per Hz: the
// standard's level of quiet for the noise, far below any threshold for the
// speech.
constexpr double kNoSpeech = -100.0;

double Level(double power)
{
    return power > 0.0 ? 10.0 * std::log10(power) : -HUGE_VAL;
}

// The gain a sliders' curve (packed, bin k at 2k) gives at `hz`, between its bins.
double CurveGainAt(const float* curve, double hz)
{
    const double place = hz / FrameGeometry::kBinHz;
    const int k = std::min(static_cast<int>(place), FrameGeometry::kBins - 2);
    const double t = place - k;
    return (1.0 - t) * curve[2 * k] + t * curve[2 * k + 2];
}

}  // namespace

CSpeechMeter::CSpeechMeter(const CSourceBank& sources) : m_sources(sources)
{
    for (int i = 0; i < kBlock; ++i) {
        m_window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * kPi * (i + 0.5) / kBlock));
        m_windowPower += static_cast<double>(m_window[i]) * m_window[i];
    }
    // A bin belongs to the band its frequency lies in (edges a sixth of an octave from the centres).
    for (int i = 0; i <= Sii::kBands; ++i) {
        const double edge = i < Sii::kBands ? Sii::kCentreHz[i] * std::pow(2.0, -1.0 / 6.0)
                                            : Sii::kCentreHz[Sii::kBands - 1] * std::pow(2.0, 1.0 / 6.0);
        m_firstBin[i] = static_cast<int>(std::ceil(edge / kBinHz));
    }
}

void CSpeechMeter::Clear()
{
    m_recent = {};
    m_whole = {};
    m_next = 0;
}

void CSpeechMeter::PlayedBefore(const int* on, short* mix) const
{
    std::fill(mix, mix + kBlock, short{0});
    for (int source = 0; source < kSourceCount; ++source) {
        const int length = m_sources.m_nSourceLen[source];
        if (!on[source] || length == 0)
            continue;
        int position = ((m_sources.m_nSourcePos[source] - kBlock) % length + length) % length;
        for (int i = 0; i < kBlock; ++i) {
            const int sum = mix[i] + m_sources.m_pSourceData[source][position];
            mix[i] = static_cast<short>(std::clamp(sum, -32768, 32767));
            if (++position == length)
                position = 0;
        }
    }
}

void CSpeechMeter::BandPowers(const short* samples, double* powers) const
{
    float buffer[kFftPoints] = {};
    for (int i = 0; i < kBlock; ++i)
        buffer[i] = m_window[i] * samples[i];
    RealFourierTransform(buffer, kFftPoints / 2, 1);
    // One side of the spectrum holds half a sound's power: P = 2 Σ|X|² / (N Σw²).
    const double scale = 2.0 / (kFftPoints * m_windowPower * kFullScale * kFullScale);
    for (int band = 0; band < Sii::kBands; ++band) {
        double sum = 0.0;
        for (int k = m_firstBin[band]; k < m_firstBin[band + 1]; ++k)
            sum += static_cast<double>(buffer[2 * k]) * buffer[2 * k] +
                   static_cast<double>(buffer[2 * k + 1]) * buffer[2 * k + 1];
        powers[band] = sum * scale;
    }
}

void CSpeechMeter::Measure(const CLossProcessor& processor)
{
    const int speechOn[kSourceCount] = {processor.m_bSourceOn[0], 0, 0};
    const int noiseOn[kSourceCount] = {0, processor.m_bSourceOn[1], processor.m_bSourceOn[2]};
    double raw[kParts][Sii::kBands];
    short mix[kBlock];
    PlayedBefore(speechOn, mix);
    BandPowers(mix, raw[kSpeech]);
    PlayedBefore(noiseOn, mix);
    BandPowers(mix, raw[kNoise]);

    const bool lossy = !processor.NormalHearing();
    const float* const curve = lossy ? processor.m_fHighFreqGain : processor.NormalHighFreqGain();
    const double fullScale = std::pow(10.0, processor.FullScaleLevel() / 10.0);
    Powers block;
    for (int e = 0; e < 2; ++e) {
        const CEarChain& chain = processor.EarChain(static_cast<Ear>(e));
        const std::optional<CAudiogram>& audiogram = chain.ActiveAudiogram();
        m_threshold[e] = SiiThresholds(lossy && chain.EarLoss() && audiogram ? &*audiogram : nullptr);
        m_aidFitted[e] = chain.AidStage().Active();
        m_aidHeard[e] = m_aidFitted[e] && lossy && chain.Aided();
        for (int i = 0; i < Sii::kBands; ++i) {
            const double gain = processor.InputGain() * CurveGainAt(curve, Sii::kCentreHz[i]);
            const double unaided = gain * gain * fullScale;
            const double aided = m_aidFitted[e]
                                     ? unaided * std::pow(10.0, chain.AidStage().GainDbAt(Sii::kCentreHz[i]) / 10.0)
                                     : unaided;
            for (int part = 0; part < kParts; ++part) {
                block.band[part][e][kUnaided][i] = raw[part][i] * unaided;
                block.band[part][e][kAided][i] = raw[part][i] * aided;
            }
        }
    }

    // The recent sums are added up afresh from the ring, so that no rounding
    // accumulates over a long session.
    m_ring[m_next] = block;
    m_next = (m_next + 1) % kRecentBlocks;
    m_recent.blocks = std::min(m_recent.blocks + 1, kRecentBlocks);
    constexpr int kValues = sizeof(Powers) / sizeof(double);
    double* const recent = &m_recent.total.band[0][0][0][0];
    double* const whole = &m_whole.total.band[0][0][0][0];
    const double* const newest = &block.band[0][0][0][0];
    std::fill(recent, recent + kValues, 0.0);
    for (int b = 0; b < m_recent.blocks; ++b) {
        const double* const values = &m_ring[b].band[0][0][0][0];
        for (int v = 0; v < kValues; ++v)
            recent[v] += values[v];
    }
    for (int v = 0; v < kValues; ++v)
        whole[v] += newest[v];
    ++m_whole.blocks;
}

CSpeechMeter::Reading CSpeechMeter::Read(const Sums& sums) const
{
    Reading reading;
    if (sums.blocks == 0)
        return reading;
    Sii::Bands speech[kAidStates][2];
    Sii::Bands noise[kAidStates][2];
    for (int aid = 0; aid < kAidStates; ++aid)
        for (int e = 0; e < 2; ++e)
            for (int i = 0; i < Sii::kBands; ++i) {
                const double speechPower = sums.total.band[kSpeech][e][aid][i] / sums.blocks;
                const double noisePower = sums.total.band[kNoise][e][aid][i] / sums.blocks;
                reading.speech = reading.speech || speechPower > 0.0;
                speech[aid][e][i] = std::max(Level(speechPower) - Sii::BandwidthDb(i), kNoSpeech);
                noise[aid][e][i] = std::max(Level(noisePower) - Sii::BandwidthDb(i), Sii::kQuietNoise);
            }
    reading.unaided = IndexOfEars(speech[kUnaided], noise[kUnaided], m_threshold);
    if (m_aidFitted[0] || m_aidFitted[1])
        reading.aided = IndexOfEars(speech[kAided], noise[kAided], m_threshold);
    Sii::Bands heardSpeech[2];
    Sii::Bands heardNoise[2];
    for (int e = 0; e < 2; ++e) {
        const int aid = m_aidHeard[e] ? kAided : kUnaided;
        heardSpeech[e] = speech[aid][e];
        heardNoise[e] = noise[aid][e];
    }
    reading.heard = IndexOfEars(heardSpeech, heardNoise, m_threshold);
    return reading;
}
