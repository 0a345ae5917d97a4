#pragma once

#include "aid_fitting.h"
#include "frame_geometry.h"
#include "level_smoother.h"

// A hearing aid in the frame loop, before the ear. It follows the input
// level in each of 12 half-octave bands (centres 177 Hz to 8 kHz, a
// √2 apart; the lowest takes everything below 210 Hz, the highest
// everything above 6.7 kHz) in dB SPL under the calibration, with an attack
// of 5 ms and a release of 50 ms. Each bin takes the fitting's gain at its
// frequency for its band's level, and the gains in dB are smoothed over
// neighbouring bins (1-2-1) so that no band edge steps or rings. A linear
// fitting (NAL-R) has one gain per bin, worked out once. Built off the sound
// thread; processing never allocates.
class CAidStage {
public:
    static constexpr int kBands = 12;
    static constexpr int kFloats = FrameGeometry::kFrameSize;  // of a packed spectrum
    static constexpr int kBins = FrameGeometry::kBins;
    static constexpr double kAttackSeconds = 0.005;
    static constexpr double kReleaseSeconds = 0.050;

    CAidStage();
    // The frame's analysis window (`length` samples in a 512-point transform).
    void SetAnalysisWindow(const float* window, int length);
    // The calibration: digital RMS 1 (0 dB FS) plays at `fullScaleSpl` dB SPL.
    void SetFullScaleLevel(double fullScaleSpl) { m_fullScaleSpl = fullScaleSpl; }
    // Fits the stage (null: no aid). The followed levels carry on.
    void Fit(const CAidFitting* fitting);
    bool Active() const { return m_bActive; }
    // Takes another stage's fitting and calibration; the followed levels
    // carry on. Never allocates.
    void TakeFitting(const CAidStage& from);

    // Multiplies a packed spectrum (float 0 DC, float 1 half the sampling
    // rate, bin k in 2k, 2k+1) by the aid's gains, which it writes to `gains`
    // float by float; `share` (0 to 1) of each gain in dB, while the aid
    // fades in or out.
    void Apply(float* spectrum, float* gains, float share);
    // The levels followed while the aid is not heard, so that it comes back
    // with the gains for what plays now.
    void Follow(const float* spectrum);
    // A band's followed input level in dB SPL.
    double BandLevel(int band) const { return m_smoother[band].Level(); }
    // The gain in dB the bin nearest `hz` takes for the levels followed now
    // (before its neighbours smooth it), for measures of the sound at the ear.
    double GainDbAt(double hz) const;
    static double BandCentreHz(int band);

private:

    bool m_bActive = false;
    bool m_bLinear = true;
    double m_fullScaleSpl = 100.0;
    double m_powerScale = 0.0;  // from a band's summed bin power to power re a full-scale RMS
    int m_firstBin[kBands + 1] = {};
    int m_bandOfBin[kBins] = {};
    // Each bin's gain in dB at the fitting's three input levels, and its
    // change from each level to the next.
    float m_gainDb[CAidFitting::kLevels][kBins] = {};
    float m_gainStepDb[CAidFitting::kLevels - 1][kBins] = {};
    float m_linearGain[kBins] = {};
    CLevelSmoother m_smoother[kBands];
};
