#pragma once

#include "ear_chain.h"
#include "frame_geometry.h"
#include "live_guard.h"
#include "live_settings.h"
#include "loss_settings.h"
#include "smear_kernel.h"
#include "source_bank.h"
#include "tpdf_dither.h"
#include "wave_out_device.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The high-frequency setting for which the program's view last built its
// gain curve.
extern double g_dGainCurveSetting;

// The whole processing state of the demonstrator and the operations on it:
// the block processor, the sliders' losses and the display analysis, with a
// chain for each ear that carries its audiogram. The main view holds one;
// tools use it directly.
class CLossProcessor {
public:
    static constexpr int kBlockInput = FrameGeometry::kBlockInput;
    static constexpr int kBlockOutput = FrameGeometry::kBlockOutput;
    static constexpr int kFrames = FrameGeometry::kFrames;
    static constexpr int kHop = FrameGeometry::kHop;
    static constexpr int kFrameInput = FrameGeometry::kFrameInput;
    static constexpr int kFrameSize = FrameGeometry::kFrameSize;
    static constexpr int kBins = FrameGeometry::kBins;
    static constexpr int kOutputSize = FrameGeometry::kOutputSize;
    static constexpr int kCarryOver = 384;      // accumulator samples kept between blocks
    static constexpr int kDisplaySize = 4096;   // display analysis points
    static constexpr int kBands = 23;           // display bands, one Bark each
    static constexpr int kSampleRate = FrameGeometry::kSampleRate;
    static constexpr double kSynthesisScale = 0.00390625;  // 1/256 undoes the two transforms' gain

    explicit CLossProcessor(CSourceBank& sources);
    virtual ~CLossProcessor() = default;
    CLossProcessor(const CLossProcessor&) = delete;
    CLossProcessor& operator=(const CLossProcessor&) = delete;

    // What the user has set, as one value; Apply sets all of it at once
    // (the gain curve is built when the view paints, or by BuildHighFreqGain).
    LossSettings Settings() const;
    void Apply(const LossSettings& settings);

    // The program's view keeps the setting its gain curve was last built for
    // in g_dGainCurveSetting; every other processor keeps its own, from
    // none: a second processor, or one asked for 0.0 first, builds its curve.
    void KeepGainCurveSettingInGlobal() { m_pGainCurveSetting = &g_dGainCurveSetting; }

    // Block processor.
    void ProcessBlock();
    void AnalyseFrame(const short* input, float* spectrum) const;
    // Entry 0 is the signed DC term; entry k the magnitude of bin k.
    static void ComputeMagnitudes(const float* spectrum, float* magnitudes, int bins = kBins);
    void SynthesiseFrame(short* output, float* spectrum) const;

    // Loss model.
    void BuildSmearTable();
    void SmearSpectrum(float* spectrum, const float* magnitudes) const;
    void BuildHighFreqGain();
    void ApplyLoudness(short* samples, int count) const;

    // A measured loss for each ear on top of the sliders, from the next
    // block on; null for none. SetAudiogram gives both ears the same.
    void SetEarAudiogram(Ear ear, const CAudiogram* audiogram);
    void SetAudiogram(const CAudiogram* audiogram);
    const CEarChain& EarChain(Ear ear) const { return *m_ears[static_cast<int>(ear)]; }
    // Whether either ear has an audiogram.
    bool AnyAudiogram() const;
    // "Beide Ohren" (the default) plays each ear on its own channel while an
    // audiogram is chosen; one ear alone plays on both, as a mono chain.
    void SetEarsHeard(EarsHeard ears);
    EarsHeard Heard() const { return m_earsHeard; }
    // Whether the blocks are stereo, the left ear's sound then the right's:
    // both ears heard and an audiogram chosen. Otherwise they are mono.
    bool Stereo() const { return m_earsHeard == EarsHeard::Both && (AnyAudiogram() || AnyImplant()); }
    // The ear whose sound a mono block carries, and the left one of a stereo block.
    Ear FirstEar() const { return m_earsHeard == EarsHeard::Right ? Ear::Right : Ear::Left; }
    // With recruitment (the default) soft sounds fall below the audiograms'
    // thresholds and loud ones stay loud; without it the thresholds are a
    // fixed attenuation.
    void SetRecruitment(bool on);
    bool Recruitment() const { return m_ears[0]->Recruitment(); }
    // Keeps the ears' filter levels (the sound at each ear, in dB SPL) up to
    // date also while no loss acts, for a display of them.
    void SetLevelMeasurement(bool on);
    // The calibration: the sound pressure level in dB SPL that digital RMS 1
    // (0 dB FS) plays at. 100 until set.
    void SetFullScaleLevel(double dbSpl);
    double FullScaleLevel() const { return m_dFullScaleLevel; }
    // Smearing from the audiograms: each ear's degree of loss widens its
    // smearing beyond the slider's, more below than above each frequency.
    // Off by default; the tables are rebuilt at once.
    void SetAudiogramSmearing(bool on);
    bool AudiogramSmearing() const { return m_ears[0]->SmearingFromAudiogram(); }

    // Scales every recording so that the speech plays at `dbSpl` dB SPL
    // (under the calibration), with a limiter that lets nothing above
    // 100 dB SPL or full scale through, whichever is lower; nothing (the
    // default) plays them as loaded. The speech's level is the one measured
    // when it was loaded.
    // The highest level the speech recording can be presented at under a
    // calibration before the limiter acts on its loudest sample; nothing
    // without speech.
    std::optional<double> HighestUnlimitedSpeechLevel(double fullScaleSpl) const;
    void SetPresentationLevel(std::optional<double> dbSpl);
    std::optional<double> PresentationLevel() const { return m_presentationLevel; }
    // The level the speech recording plays at, in dB SPL under the
    // calibration: the presentation level, or else its own active level;
    // nothing without a speech recording.
    std::optional<double> SpeechLevel() const;
    // The gain the recordings take for the presentation level (1 without one).
    float InputGain() const { return m_presentationLevel ? m_fPresentationGain : 1.0f; }
    // The last block's samples before their conversion to 16 bits (16-bit
    // units, the device volume not applied) when it took the float path (a
    // presentation level or an audiogram in effect); null after a plain
    // block. The right ear's only in a stereo block.
    const float* FloatBlock() const { return m_bFloatBlock ? m_fFloatBlock : nullptr; }
    const float* FloatBlockRight() const { return m_bFloatBlock && m_bStereoBlock ? m_fFloatBlockRight : nullptr; }

    // Each ear's hearing aid, fitted by `rule` from its audiogram (see
    // CEarChain); whether the aids are heard (off compares without them);
    // whether the ears' own losses act.
    void SetEarAid(Ear ear, AidRule rule) { Chain(ear).SetAidRule(rule); }
    void SetAided(bool on);
    bool Aided() const { return m_ears[0]->Aided(); }
    void SetEarLoss(bool on);
    // Whether either ear has an aid fitted.
    bool AnyAid() const { return m_ears[0]->AidFitting() || m_ears[1]->AidFitting(); }
    // Each ear's cochlear implant (see CEarChain); whether either ear has one.
    void SetEarImplant(Ear ear, const std::optional<ImplantSettings>& settings) { Chain(ear).SetImplant(settings); }
    bool AnyImplant() const { return m_ears[0]->ImplantStage().Active() || m_ears[1]->ImplantStage().Active(); }

    // Normal hearing for comparison: while on, every block is processed as
    // with all three sliders at 1.0 (no loss) and no audiogram in either
    // ear, whatever they are set to.
    void SetNormalHearing(bool on) { m_bNormalHearing = on; }
    bool NormalHearing() const { return m_bNormalHearing; }
    // The gain curve the comparison plays: the one of setting 1.0.
    const float* NormalHighFreqGain() const { return m_fNormalHighFreqGain; }

    // The live path, for sound as it arrives: takes kHop input samples and
    // gives kHop stereo frames (left, right; a mono block on both). They are
    // the block path's output for the same input, kLiveDelay samples after
    // the input and kHop after the block path's, to the bit where the
    // limiter does not act; the limiter acts on each hop by itself. The
    // first hop gives silence. Never allocates. A processor runs one path or
    // the other: they share the accumulators and the ears' chains.
    static constexpr int kLiveDelay = 2 * kHop;
    void ProcessHop(const short* input, short* output);
    // The live path's own limiter at 100 dB SPL, always, and its mute on
    // feedback (CLiveGuard).
    bool LiveMuted() const { return m_liveGuard.Muted(); }
    // The output volume the live path's loudness setting asks for (as the
    // process's volume word: left in the low 16 bits), for its driver to
    // apply: the process's own volume belongs to the player.
    std::uint32_t LiveVolume() const { return m_liveVolume; }
    void UnmuteLive() { m_liveGuard.Unmute(); }
    // The live path's settings change between two hops, on the sound thread:
    // takes those of `from` and leaves it with the tables they replaced, to
    // be freed off the sound thread. Heard from the next hop:
    // the sliders, the audiograms' levels, the aids (fading in or out over
    // three frames), the comparison and the listening level at once; a change of the ears heard, or of whether a listening
    // level is set, from the next block on (within 31 hops), as the block
    // they change is planned for the ears it began with. The listening
    // level keeps the gain `from` worked out for its speech recording.
    // Never allocates.
    void TakeSettings(CLiveSettings& from);

    // Called at the end of every block, when its band levels are in place,
    // on the thread that processes it: for measures of what the block played.
    void SetBlockListener(std::function<void()> listener) { m_blockListener = std::move(listener); }

    // Display analysis. In a stereo block m_dBandLevel is the left ear's,
    // RightBandLevel() the right ear's.
    void AnalyseDisplaySpectrum(const short* samples);
    const double* RightBandLevel() const { return m_dBandLevelRight; }
    // Whether the last block was stereo, its band levels those of both ears.
    bool StereoBlock() const { return m_bStereoBlock; }
    // Shows band levels made elsewhere (by the live path): the right ear's
    // only when `stereo`.
    void ShowBands(const double* left, const double* right, bool stereo);
    double BandLevel(const float* magnitudes, int lo, int hi);
    static double SafeLog10(double x);

    // Playback cycle. After any change of the source switches: opens the
    // player and queues four blocks when a source is on and the player is
    // closed; stops it when none is on. Opens it in stereo for stereo blocks,
    // and opens it again when that changes. `window` receives the device reports.
    void ControlPlayback(IWaveOutPoster& window);
    // A buffer has finished: counts it and processes the next block. False,
    // doing nothing, for a report of an opening that has since been replaced.
    bool HandleBlockFinished(int opening);
    void HandleDeviceClosed(int opening);

    int m_bSourceOn[kSourceCount] = {0, 0, 0};
    float m_fDisplayWindow[kDisplaySize];
    int m_nBandEdgeHz[kBands + 1];
    double m_dBandLevel[kBands];
    double m_dMaxLevel = 80.0;
    short m_sOutput[kOutputSize];
    float m_fAnalysisWindow[kFrameInput];
    float m_fSynthesisWindow[kFrameSize];
    float m_fHighFreqGain[kFrameSize];
    float m_fBinBark[kBins];
    int m_nSmearLow[kBins];
    int m_nSmearHigh[kBins];
    double m_dLoudness = 1.0;
    double m_dHighFreq = 1.0;
    double m_dResolution = 1.0;

protected:
    // A processor that leaves the process's output volume alone, for the
    // live path.
    struct SettingsOnly {};
    CLossProcessor(CSourceBank& sources, SettingsOnly);
    // Called at the end of every block, of either path, when the block's
    // band levels are in place, for observers of every block.
    virtual void BlockProcessed() {}

private:
    // The hand-over builds its tables as Apply builds the processor's.
    friend class CLiveSettings;
    // The values of a settings value the processor keeps itself, on either
    // path; the ears' chains take the rest (SetUpEar).
    void ApplyValues(const LossSettings& settings);
    // An ear's chain as a settings value sets it up.
    static void SetUpEar(CEarChain& chain, Ear ear, const LossSettings& settings);
    // The slider's smearing on each side of a bin, in Bark.
    static double SliderHalfBark(double resolution) { return (1.0 - resolution) * 6.0 * 0.5; }
    // The gain that presents the speech of `sources` at `level` dB SPL under
    // the calibration; 1 without a level, or without speech to measure.
    static float PresentationGain(std::optional<double> level, double fullScaleSpl, const CSourceBank& sources);
    static void FillHighFreqGain(double setting, float* gain);
    static void ScaleSamples(double gain, short* samples, int count);
    // A loudness setting as the device volume (the first 20 dB) and the gain
    // the samples carry beyond it.
    struct LoudnessShares {
        std::uint32_t volume;
        double sampleGain;
    };
    static LoudnessShares SplitLoudness(double loudness);
    // Sets the device volume for a loudness setting; returns the samples' gain.
    static double SetVolumeForLoudness(double loudness);
    // The same for the live path, which keeps the volume to itself.
    double LiveLoudnessGain(double loudness);
    void AnalyseDisplayBands(const short* samples, double* levels);
    // A float block's kBlockOutput samples (16-bit units), unrounded and
    // without the dither, whose floor nobody hears.
    void AnalyseDisplayBands(const float* block, double* levels);
    void AnalyseWindowed(float* buffer, double* levels);
    void PreparePresentation();
    CEarChain& Chain(Ear ear) { return *m_ears[static_cast<int>(ear)]; }
    // At the start of a block, from the ears the last block processed: an
    // ear that comes in takes over the carried partial sums of the one that
    // played.
    void HandOverEars(Ear firstBefore, bool stereoBefore);
    // What a block does, fixed at its start: the block path takes it once
    // per block, the live path at every 31st hop.
    struct BlockPlan {
        bool live = false;
        bool lossy = true;
        const float* highFreqGain = nullptr;
        bool presented = false;
        bool stereo = false;
        Ear firstEar = Ear::Left;
        CEarChain* first = nullptr;
        CEarChain* second = nullptr;  // the right ear in a stereo block
        bool floatPath = false;
        bool smearing = false;
        float inputGain = 1.0f;
    };
    BlockPlan BeginBlockPlan(bool live);
    bool FloatPathFor(const BlockPlan& plan) const;
    // Moves the carried partial sums between the plain accumulator and the
    // ears' float overlap-adds when the plan's path differs from the one
    // before, at block position `position`.
    void SwitchOutputPath(const BlockPlan& plan, int position);
    bool SmearingFor(const BlockPlan& plan) const;
    // The live block's plan after a settings change within it, from hop `k`.
    void ContinueLivePlan(int k);
    // The block's input from block position `position` on, for the ears'
    // long analysis.
    void AddBlockInput(const BlockPlan& plan, const short* input, int position, int count);
    // Frame k of the block: its 256 input samples into the accumulators.
    void ProcessFrame(const BlockPlan& plan, const short* input, int k);
    void CarryOver();
    // Samples [at, at + count) of the block made final, into m_sPlayed (and
    // m_sPlayedRight for the right ear of a stereo float block): the whole
    // block, or a hop at a time. Both paths finish through here.
    void FinishSamples(const BlockPlan& plan, int at, int count);
    // The block is complete: the display's bands, the carries into the next
    // block, the observers told. Both paths end a block through here.
    void EndBlock(const BlockPlan& plan);
    // The right channel's samples as played: the mono block on both.
    const short* RightPlayed(const BlockPlan& plan) const
    {
        return plan.floatPath && plan.second ? m_sPlayedRight : m_sPlayed;
    }
    // `count` limited samples to 16 bits: the loudness setting's `gain` in
    // float (kept in `floats`), then the dithered conversion; `again` for the
    // right ear, with the left's dither. Both paths convert through here.
    void ConvertScaled(const float* samples, double gain, float* floats, short* out, int count, bool again);
    void WriteBlock(const BlockPlan& plan);

    CSourceBank& m_sources;
    std::unique_ptr<CEarChain> m_ears[2];
    EarsHeard m_earsHeard = EarsHeard::Both;
    double m_dFullScaleLevel = 100.0;
    std::optional<double> m_presentationLevel;
    float m_fPresentationGain = 1.0f;
    unsigned long long m_presentedSerial = 0;  // the speech recording the gain is for
    bool m_bFloatBefore = false;     // the last block took the float path
    CTpdfDither m_dither;
    float m_fFloatBlock[kBlockOutput];
    float m_fFloatBlockRight[kBlockOutput];
    bool m_bFloatBlock = false;
    bool m_bStereoBlock = false;
    // The block as played, each ear's.
    short m_sPlayed[kBlockOutput] = {};
    short m_sPlayedRight[kBlockOutput] = {};
    short m_sStereo[2 * kBlockOutput];
    // The ears the last block processed.
    Ear m_processedFirstEar = Ear::Left;
    bool m_processedStereo = false;
    double m_dBandLevelRight[kBands];
    bool m_bNormalHearing = false;
    float m_fNormalHighFreqGain[kFrameSize];  // the curve at setting 1.0
    double m_dGainCurveSetting = std::nan("");  // none built yet
    double* m_pGainCurveSetting = &m_dGainCurveSetting;
    CSmearKernel m_smear;                      // the slider's
    // The live path: the hops taken, the last two hops' input, the plan of
    // the block the frames are in.
    long long m_nLiveHops = 0;
    short m_sLiveInput[2 * kHop] = {};
    BlockPlan m_livePlan;
    CLiveGuard m_liveGuard;
    std::uint32_t m_liveVolume = 0xFFFFFFFFu;
    std::function<void()> m_blockListener;
};
