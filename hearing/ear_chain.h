#pragma once

#include "aid_fitting.h"
#include "aid_stage.h"
#include "audiogram.h"
#include "audiogram_stage.h"
#include "ear.h"
#include "float_output.h"
#include "frame_geometry.h"
#include "implant_stage.h"
#include "presentation_level.h"
#include "recruitment_stage.h"
#include "smear_kernel.h"

#include <cmath>
#include <optional>

// What one ear does to the sound: a hearing aid fitted to its audiogram,
// if one is chosen, before everything else; after the sliders' stages the
// loss of its audiogram (with recruitment or as a fixed attenuation), the
// smearing its loss adds, the overlap-add in float and the limiter of the
// listening level. Its settings are built off the processing path; processing reads
// the tables built there and never allocates. One chain per ear heard.
class CEarChain {
public:
    static constexpr int kFrameSize = FrameGeometry::kFrameSize;
    static constexpr int kBins = FrameGeometry::kBins;

    // The frame's analysis window (`analysisLength` samples in the middle of
    // the frame) and its synthesis window with the transforms' scale; the
    // chain keeps only what it needs of them.
    CEarChain(const float* analysisWindow, int analysisLength, const float* synthesisWindow, double synthesisScale);
    CEarChain(const CEarChain&) = delete;
    CEarChain& operator=(const CEarChain&) = delete;

    // The ear's audiogram, null for none.
    void SetAudiogram(const CAudiogram* audiogram);
    const std::optional<CAudiogram>& ActiveAudiogram() const { return m_activeAudiogram; }
    const CAudiogramStage& Stage() const { return m_stage; }
    bool HasLoss() const { return m_stage.Active(); }
    // With recruitment (the default) soft sounds fall below the audiogram's
    // thresholds and loud ones stay loud; without, the thresholds are a
    // fixed attenuation.
    void SetRecruitment(bool on) { m_bRecruitment = on; }
    bool Recruitment() const { return m_bRecruitment; }
    const CRecruitmentStage& RecruitmentStage() const { return m_recruitment; }
    // Keeps the filters' levels (the sound at this ear, in dB SPL) up to date
    // also while no loss acts on it, for a display of them.
    void SetLevelMeasurement(bool on) { m_bMeasureLevels = on; }
    bool LevelMeasurement() const { return m_bMeasureLevels; }
    // The calibration: digital RMS 1 (0 dB FS) plays at `dbSpl` dB SPL.
    void SetFullScaleLevel(double dbSpl);
    // The highest sample magnitude the limiter lets through for the
    // listening level; infinity for none. While an aid is fitted it is at
    // most the ceiling of 100 dB SPL (or full scale) in any case.
    void SetLimiterCeiling(double peak);

    // The hearing aid, fitted by `rule` from the ear's audiogram (none
    // without one, or for AidRule::Off), and refitted when the audiogram
    // changes.
    void SetAidRule(AidRule rule);
    AidRule AidRuleChosen() const { return m_aidRule; }
    // The fitting in effect; nothing without an aid.
    const std::optional<CAidFitting>& AidFitting() const { return m_aidFitting; }
    // Whether the aid is heard (the comparison without it switches it off).
    void SetAided(bool on) { m_bAided = on; }
    bool Aided() const { return m_bAided; }
    // Whether the ear's own loss acts; off, the ear hears normally (with an
    // aid: what the aid puts out). The audiogram still fits the aid.
    void SetEarLoss(bool on);
    bool EarLoss() const { return m_bEarLoss; }
    // A cochlear implant: the ear hears through it instead of its audiogram
    // and aid (the sliders still act before it); nothing for none.
    void SetImplant(const std::optional<ImplantSettings>& settings);
    std::optional<ImplantSettings> Implant() const;
    const CImplantStage& ImplantStage() const { return m_implant; }
    // Whether the chain changes the sound at all: a loss, an aid or an implant.
    bool Acts() const { return HasLoss() || m_aidStage.Active() || m_implant.Active(); }
    const CAidStage& AidStage() const { return m_aidStage; }
    const CLimiter& Limiter() const { return m_limiter; }

    // Smearing from the audiogram: its degree of loss widens this ear's
    // smearing beyond the slider's, more below than above each frequency.
    void SetSmearingFromAudiogram(bool on);
    bool SmearingFromAudiogram() const { return m_bSmearingFromAudiogram; }
    // The slider's smearing, in Bark on each side, that the audiogram's adds to.
    void BuildSmearing(double sliderHalfBark);
    // This ear's smearing ranges while its audiogram widens them; the
    // slider's (the block processor's table) otherwise.
    bool OwnSmearing() const { return m_bOwnSmearing; }
    int SmearLow(int bin) const { return m_nSmearLow[bin]; }
    int SmearHigh(int bin) const { return m_nSmearHigh[bin]; }

    // A block begins. `input` is what the sliders' stages get, `inputGain`
    // and `highFreqGain` what they apply before the frames reach the ear;
    // `lossy` is false while normal hearing is compared, which switches the
    // ear's loss and smearing off.
    void BeginBlock(float inputGain, const float* highFreqGain, bool lossy);
    // The block's input from block position `position` on, at once or as it
    // arrives, hop by hop: every sample up to a frame's end before the frame
    // (see CLowFrequencyAnalysis). Samples a continuing block shares with
    // the one before are taken from it only once.
    void AddInput(const short* input, int position, int count);
    // The sound thread's side of a settings change while sound plays: takes
    // `from`'s settings (built off the sound thread) and leaves it with this
    // chain's old audiogram and smearing table, to be freed there; the
    // measured levels and the overlap-add carry on. Within a block the
    // audiogram's recruitment waits for the next block if the filters were
    // not following the sound; until then the loss acts as a fixed
    // attenuation. Never allocates.
    void TakeSettings(CEarChain& from);
    // Within a block: what the sliders' stages apply before the frames reach
    // the ear, and whether the loss acts, changed from the next frame on.
    void ContinueBlock(float inputGain, const float* highFreqGain, bool lossy);
    // The block is not heard by this ear: its levels start afresh next time.
    void SkipBlock() { m_bMeasuredBefore = false; }
    // Whether the frames need their magnitudes for this ear's smearing.
    bool Smears(const CSmearKernel& sliderSmear) const;
    // A frame on the chain without a float path: measures the filters'
    // levels if they are followed.
    void Measure(const float* spectrum);
    // A frame on the float path: `spectrum` (packed: float 0 DC, float 1
    // half the sampling rate, bin k in 2k, 2k+1) before the sliders'
    // smearing, with its magnitudes when Smears() says so; the result is
    // added to the block at sample `at`.
    void ProcessFrame(float* spectrum, const float* magnitudes, const CSmearKernel& sliderSmear,
                      const float* highFreqGain, int at);
    // `count` samples of the block from `at` (16-bit units) after the
    // limiter: the whole block, or a hop at a time.
    float* FinishSamples(int at, int count);
    CFloatOutput& Output() { return m_output; }

private:
    void UpdateSmearing();
    void UpdateCeiling();
    void FitAid();
    bool AidHeard() const { return m_bLossy && m_bAided && m_aidStage.Active() && !m_implant.Active(); }
    // The implanted ear's frame: the sliders' stages, then the implant.
    void ProcessImplantFrame(float* spectrum, const float* magnitudes, const CSmearKernel& sliderSmear,
                             const float* highFreqGain);
    // The gains the filters' levels apply themselves: with the aid's while
    // one is fitted.
    const float* MeasuredGain(const float* highFreqGain) const
    {
        return m_aidStage.Active() ? m_fMeasuredGain : highFreqGain;
    }

    CAudiogramStage m_stage;
    std::optional<CAudiogram> m_activeAudiogram;
    CRecruitmentStage m_recruitment;
    bool m_bRecruitment = true;
    bool m_bMeasureLevels = false;
    bool m_bLossy = true;          // in the block now running
    bool m_bMeasuring = false;     // in the block now running
    bool m_bMeasuredBefore = false;
    bool m_bContinuing = false;    // the block running follows a measured one
    bool m_bSmearingFromAudiogram = false;
    bool m_bOwnSmearing = false;
    double m_dSliderHalfBark = 0.0;
    int m_nSmearLow[kBins] = {};
    int m_nSmearHigh[kBins] = {};
    CSmearKernel m_smear;
    CLimiter m_limiter;
    CFloatOutput m_output;
    double m_dFullScaleSpl = 100.0;
    double m_dPresentationCeiling = HUGE_VAL;
    AidRule m_aidRule = AidRule::Off;
    std::optional<CAidFitting> m_aidFitting;
    CAidStage m_aidStage;
    bool m_bAided = true;
    bool m_bEarLoss = true;
    // How much of the aid's gain (in dB) is heard: it fades in and out over
    // a few frames when it is switched, so that the switch does not click.
    static constexpr int kAidFadeFrames = 3;  // 8.7 ms
    int m_nAidFrames = 0;
    // While the aid is heard: its gain per float of the frame, that gain
    // with the sliders' (which the filters' levels apply themselves), and
    // the magnitudes the smearing takes, aided.
    float m_fAidGain[kFrameSize] = {};
    float m_fMeasuredGain[kFrameSize] = {};
    float m_fAidedMagnitudes[kBins] = {};
    CImplantStage m_implant;
};
