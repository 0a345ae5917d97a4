#pragma once

#include "audiogram.h"
#include "level_smoother.h"

// Loudness recruitment of a cochlear loss in the frame loop: in every Bark
// band the level in dB SPL (smoothed, a few ms attack, tens of ms release)
// is expanded toward the catch-up level C = 105 dB, L_out = C + ER·(L_in - C)
// below C with ER = C / (C - HL), unchanged at and above C. Soft sounds fall
// below the threshold, loud ones stay nearly as loud. Band gains are
// interpolated over Bark to the bins, so they vary smoothly from band to band.
class CRecruitmentStage {
public:
    static constexpr double kCatchUpLevel = 105.0;
    static constexpr double kAttackSeconds = 0.005;
    static constexpr double kReleaseSeconds = 0.050;
    static constexpr int kBands = 26;  // 1 Bark wide, centres 0.5 .. 25.5 Bark
    static constexpr int kBins = 256;  // of a 512-point frame
    static constexpr double kBinHz = 44100.0 / 512.0;
    static constexpr double kFramesPerSecond = 44100.0 / 128.0;

    // The input-output law. Hearing levels at or below 0 change nothing;
    // at or above C (to the audiogram's 120 dB HL) nothing below C is heard:
    // the law's limit as the expansion ratio grows without bound.
    static double OutputLevel(double inputLevel, double hearingLevel);

    CRecruitmentStage();
    // `window` is the frame's analysis window (`windowLength` samples, placed
    // in a 512-point transform); band powers are referred to a full-scale
    // signal's through it.
    void SetAnalysisWindow(const float* window, int windowLength);
    // The calibration: digital RMS 1 (0 dB FS) plays at `fullScaleSpl` dB SPL.
    void SetFullScaleLevel(double fullScaleSpl);
    // The hearing level of every band. The smoothed levels carry over.
    void Build(const CAudiogram& audiogram);

    // One frame of a packed spectrum (float 0 DC, float 1 half the sampling
    // rate, bin k in 2k, 2k+1): measures and smooths the band levels.
    void Measure(const float* spectrum);
    // Measures, then applies the gains of the law.
    void Apply(float* spectrum);

    // The smoothed level of each band after the last frame, in dB SPL.
    double BandLevel(int band) const { return m_smoother[band].Level(); }
    // Starts a block: the highest smoothed level of each band since then is
    // what the block brought to the ear.
    void BeginBlock();
    double BlockPeakLevel(int band) const { return m_blockPeak[band]; }
    // The lowest bin of a band's level.
    int BandLow(int band) const { return m_low[band]; }

private:
    double m_fullScaleSpl = 100.0;
    double m_fullScalePowerDb = 0.0;  // 10·log10 of a full-scale signal's band power
    double m_powerToDbSpl = 0.0;      // from 10·log10 of a band power to dB SPL
    int m_low[kBands];
    int m_high[kBands];
    double m_hearingLevel[kBands] = {};
    CLevelSmoother m_smoother[kBands];
    double m_blockPeak[kBands];
    // Bin k takes band m_binBand[k]'s gain times (1 - t) and the next one's times t.
    int m_binBand[kBins];
    float m_binShare[kBins];
};
