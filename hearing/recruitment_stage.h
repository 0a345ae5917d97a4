#pragma once

#include "audiogram.h"
#include "auditory_filter_bank.h"
#include "envelope_low_pass.h"
#include "frame_geometry.h"

// Loudness recruitment of a cochlear loss in the frame loop: in every
// auditory filter the level of its envelope in dB SPL (the amplitude
// low-passed at 0.75 · min(100 Hz, ERB), as it fluctuates) is expanded
// toward the catch-up level C = 105 dB SPL, so that
// a sound at the impaired threshold (T0 + HL dB SPL, T0 normal hearing's
// threshold) comes out at T0, just audible to a normal ear, and sounds at C
// and above are unchanged. Soft sounds fall below the threshold, loud ones
// stay nearly as loud.
//
// The filters are an impaired ear's, broader by the degree of loss (see
// CAuditoryFilterBank). What is heard is each filter's output after its own
// gain: each bin takes the gains of the filters that pass it (their skirts
// included), weighted by the fourth power of each filter's output power, and the frame
// spreads a pure tone over ±4 bins (±344 Hz), wider than the filters below a
// few kHz, so each bin also takes its lobe's neighbours'. A tone's lobe thus
// takes the gain of the filter it comes out of loudest: its own on a flat
// loss, one centred below it on a steep slope, where the loss is less
// (off-frequency listening); a broadband sound takes its neighbourhood's.
class CRecruitmentStage {
public:
    static constexpr double kCatchUpLevel = 105.0;       // dB SPL
    static constexpr double kEnvelopeShare = 0.75;       // of the ERB, for the envelope's cut-off
    static constexpr double kFastestEnvelopeHz = 100.0;  // times the share
    static constexpr int kChannels = CAuditoryFilterBank::kChannels;
    static constexpr int kBarkBands = 26;  // 1 Bark wide, for the display
    static constexpr int kBins = FrameGeometry::kBins;
    static constexpr double kBinHz = FrameGeometry::kBinHz;
    static constexpr double kFramesPerSecond = 44100.0 / 128.0;

    // The input-output law, levels in dB SPL, hearing level in dB HL, at a
    // frequency whose normal threshold is `normalThreshold` dB SPL:
    // c = C - T0, ER = c / (c - HL), out = C + ER·(in - C) below C.
    // Hearing levels at or below 0 change nothing; at or above c nothing
    // below C is heard: the law's limit as the expansion grows without bound.
    static double OutputLevel(double inputLevel, double hearingLevel, double normalThreshold);

    CRecruitmentStage();
    // `window` is the frame's analysis window (`windowLength` samples, placed
    // in a 512-point transform).
    void SetAnalysisWindow(const float* window, int windowLength);
    // The calibration: digital RMS 1 (0 dB FS) plays at `fullScaleSpl` dB SPL.
    void SetFullScaleLevel(double fullScaleSpl);
    // The hearing level of every filter. The envelopes carry over.
    void Build(const CAudiogram& audiogram);

    // Starts a block: its input, whether it follows the last block begun,
    // and the gains the chain applies before the frames reach the stage (see
    // CAuditoryFilterBank). The highest level of each Bark band from here on
    // is what the block brought to the ear.
    void BeginBlock(const short* input, bool continues, float inputGain, const float* binGain);
    // The same with the input handed in as it arrives (see CAuditoryFilterBank).
    void BeginBlock(bool continues, float inputGain, const float* binGain);
    void AddInput(const short* input, int position, int count) { m_filters.AddInput(input, position, count); }
    void SetGains(float inputGain, const float* binGain) { m_filters.SetGains(inputGain, binGain); }
    // Takes the law (the hearing levels and the calibration) of another
    // stage; this one's measured levels carry on. Never allocates.
    void TakeLaw(const CRecruitmentStage& from);
    // One frame of a packed spectrum (float 0 DC, float 1 half the sampling
    // rate, bin k in 2k, 2k+1): measures and smooths the filters' levels.
    void Measure(const float* spectrum);
    // Measures, then applies the gains of the law.
    void Apply(float* spectrum);

    // The level of a filter's envelope after the last frame, in dB SPL.
    double ChannelLevel(int channel) const { return m_level[channel]; }
    // The highest envelope level of any filter within Bark band b (b to
    // b + 1 Bark) since the block began, in dB SPL.
    double BlockPeakLevel(int band) const { return m_blockPeak[band]; }

private:
    CAuditoryFilterBank m_filters;
    double m_fullScaleSpl = 100.0;
    double m_powerToSpl = 1e10;     // from power re full scale to power re 0 dB SPL
    float m_slope[kChannels] = {};  // of the law's gain, in octaves per dB below C
    double m_normalThreshold[kChannels];
    int m_barkBand[kChannels];
    CEnvelopeLowPass m_envelope[kChannels];  // amplitude re 0 dB SPL
    double m_level[kChannels];               // the envelope's, dB SPL
    double m_power[kChannels] = {};          // the last frame's, re full scale
    double m_blockPeak[kBarkBands];
    // Bin k's gain where no filter lies within its lobe (at the highest
    // frequencies): channel m_binChannel[k]'s times (1 - t) and the next
    // one's times t, interpolated over the ERB scale.
    int m_binChannel[kBins];
    float m_binShare[kBins];
    // Each filter's shape in frame bins: the first bin it reaches into, and
    // the share of the filter's weight each bin takes, as the shape passes
    // the bin (its skirt included), scaled to sum to 1. Laid out for the
    // degree of loss.
    static constexpr int kMostPassBins = 48;
    struct PassBand {
        int first;
        int count;
        float share[kMostPassBins];
    };
    void LayPassBands(int degreeOfLoss);
    PassBand m_passBand[kChannels];
    // The frame's lobe: the power a tone puts j bins from its own, re its
    // own, for j from -kLobeReach to kLobeReach.
    static constexpr int kLobeReach = 3;
    float m_lobe[2 * kLobeReach + 1] = {};
};
