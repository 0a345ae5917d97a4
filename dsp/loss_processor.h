#pragma once

#include "audiogram_stage.h"
#include "float_output.h"
#include "presentation_level.h"
#include "recruitment_stage.h"
#include "smear_sums.h"
#include "source_bank.h"
#include "tpdf_dither.h"
#include "wave_out_device.h"

#include <optional>
#include <vector>

// The high-frequency setting for which the gain curve was last built.
extern double g_dGainCurveSetting;

// The whole processing state of the demonstrator and the operations on it:
// the block processor, the loss model and the display analysis. The main view
// derives from it; tools use it directly.
class CLossProcessor {
public:
    static constexpr int kBlockInput = 4096;    // samples mixed per block
    static constexpr int kBlockOutput = 3968;   // samples queued per block
    static constexpr int kFrames = 31;          // frames per block
    static constexpr int kHop = 128;
    static constexpr int kFrameInput = 256;     // input samples per frame
    static constexpr int kFrameSize = 512;      // real transform points per frame
    static constexpr int kBins = 256;           // bins of the frame spectrum
    static constexpr int kOutputSize = 4608;    // overlap-add accumulator
    static constexpr int kCarryOver = 384;      // accumulator samples kept between blocks
    static constexpr int kDisplaySize = 4096;   // display analysis points
    static constexpr int kBands = 23;           // display bands, one Bark each
    static constexpr int kSampleRate = 44100;
    static constexpr double kSynthesisScale = 0.00390625;  // 1/256 undoes the two transforms' gain

    explicit CLossProcessor(CSourceBank& sources);
    virtual ~CLossProcessor() = default;
    CLossProcessor(const CLossProcessor&) = delete;
    CLossProcessor& operator=(const CLossProcessor&) = delete;

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

    // A measured loss on top of the sliders, from the next block on; null
    // for none. With recruitment (the default) soft sounds fall below the
    // audiogram's thresholds and loud ones stay loud; without it the
    // thresholds are a fixed attenuation.
    void SetAudiogram(const CAudiogram* audiogram);
    const CAudiogramStage& Audiogram() const { return m_audiogram; }
    const std::optional<CAudiogram>& ActiveAudiogram() const { return m_activeAudiogram; }
    void SetRecruitment(bool on) { m_bRecruitment = on; }
    bool Recruitment() const { return m_bRecruitment; }
    const CRecruitmentStage& RecruitmentStage() const { return m_recruitment; }
    // Keeps the recruitment stage's band levels (the sound at the ear, in
    // dB SPL) up to date also while it does not act, for a display of them.
    void SetLevelMeasurement(bool on) { m_bMeasureLevels = on; }
    // The calibration: the sound pressure level in dB SPL that digital RMS 1
    // (0 dB FS) plays at. 100 until set.
    void SetFullScaleLevel(double dbSpl);
    double FullScaleLevel() const { return m_dFullScaleLevel; }
    // Smearing from the audiogram: its degree of loss widens the smearing
    // beyond the slider's, more below than above each frequency. Off by
    // default; the table is rebuilt at once.
    void SetAudiogramSmearing(bool on);
    bool AudiogramSmearing() const { return m_bAudiogramSmearing; }

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
    const CLimiter& Limiter() const { return m_limiter; }
    // The last block's samples before their conversion to 16 bits (16-bit
    // units, the device volume not applied) when it took the float path (a
    // presentation level or an audiogram in effect); null after a plain block.
    const float* FloatBlock() const { return m_bFloatBlock ? m_fFloatBlock : nullptr; }

    // Normal hearing for comparison: while on, every block is processed as
    // with all three sliders at 1.0 (no loss) and no audiogram, whatever
    // they are set to.
    void SetNormalHearing(bool on) { m_bNormalHearing = on; }
    bool NormalHearing() const { return m_bNormalHearing; }

    // Display analysis.
    void AnalyseDisplaySpectrum(const short* samples);
    double BandLevel(const float* magnitudes, int lo, int hi);
    static double SafeLog10(double x);

    // Playback cycle. After any change of the source switches: opens the
    // player and queues four blocks when a source is on and the player is
    // closed; stops it when none is on. `window` receives the device reports.
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
    // Called at the end of every ProcessBlock, when the block's band levels
    // are in place, for observers of every block.
    virtual void BlockProcessed() {}

private:
    void PrepareSmearWeights();
    static void FillHighFreqGain(double setting, float* gain);
    static void ApplyLoudnessSetting(double loudness, short* samples, int count);
    // Sets the device volume for a loudness setting; returns the gain the
    // samples carry beyond it.
    static double SetVolumeForLoudness(double loudness);
    void UpdateAudiogramSmearing();
    void PreparePresentation();

    CSourceBank& m_sources;
    CAudiogramStage m_audiogram;
    std::optional<CAudiogram> m_activeAudiogram;
    CRecruitmentStage m_recruitment;
    bool m_bRecruitment = true;
    bool m_bMeasureLevels = false;
    double m_dFullScaleLevel = 100.0;
    bool m_bAudiogramSmearing = false;
    double m_dSmearBelowBark = 0.0;  // added to the slider's smearing
    double m_dSmearAboveBark = 0.0;
    std::optional<double> m_presentationLevel;
    float m_fPresentationGain = 1.0f;
    unsigned long long m_presentedSerial = 0;  // the speech recording the gain is for
    CLimiter m_limiter;
    CFloatOutput m_floatOutput;
    bool m_bFloatBefore = false;     // the last block took the float path
    bool m_bMeasuredBefore = false;  // the last block's levels were measured
    CTpdfDither m_dither;
    float m_fFloatBlock[kBlockOutput];
    bool m_bFloatBlock = false;
    bool m_bNormalHearing = false;
    float m_fNormalHighFreqGain[kFrameSize];  // the curve at setting 1.0

    // Smearing weights prepared with the table. Smeared bins go in groups of
    // kSmearLanes whose weighted sums are formed side by side over the
    // magnitudes the group spans; each bin's own sum still runs from its
    // lowest bin upward.
    struct SmearGroup {
        int lanes;                   // bins in the group
        int first;                   // the lowest bin any of them takes in
        int span;                    // bins from `first` to the highest any takes in
        int weightStart;             // into m_fSmearWeight: span rows of kSmearLanes
        int bin[kSmearLanes];
        float weightSum[kSmearLanes];
    };
    SmearGroup m_smearGroups[(kBins + kSmearLanes - 1) / kSmearLanes];
    int m_nSmearGroups = 0;
    SmearSumsFunction m_smearSums;
    std::vector<float> m_fSmearWeight;  // sized once, for the widest table
};
