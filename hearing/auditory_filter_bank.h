#pragma once

#include "audiogram_smearing.h"
#include "frame_geometry.h"
#include "joined_frames.h"
#include "low_frequency_analysis.h"

// |W(offset)|²: the power a tone of unit amplitude puts in a (fractional)
// bin `offset` bins from its own, in a `transform`-point transform of
// `window` (`length` samples).
double LobePower(const float* window, int length, int transform, double offset);

// The level each auditory filter sees: the power within one ERB around its
// centre, so that a pure tone reads its own level and a broadband sound its
// level per ERB; an impaired cochlea's filters are broader, and read more
// of a broadband sound. Filters sit half an ERB apart from 55 Hz to 21.9 kHz, so a
// tone anywhere lies well inside the filters either side of it.
//
// A frame (256 samples, 5.8 ms) resolves only about 260 Hz, far wider than
// the filters below a few kHz, so each filter reads the shortest analysis
// that resolves it: below 800 Hz the long low-frequency analysis (46 ms,
// as low-frequency filters ring for tens of ms), up to 3 kHz the last three
// frames joined into one 11.6 ms window, above that the frame itself, which
// keeps the attack there at 5 ms. Each reading is divided by the share of a
// centred tone's power that the filter passes in its analysis. Above its centre
// a filter's edge is a skirt (see FilterPasses): a tone beyond it still
// comes through, weaker, while a broadband sound reads the same.
class CAuditoryFilterBank {
public:
    static constexpr double kLowestErbNumber = 2.0;  // 55 Hz
    static constexpr double kSpacingErbs = 0.5;
    static constexpr int kChannels = 82;             // to 21.9 kHz
    static constexpr double kLongAnalysisBelowHz = 800.0;
    static constexpr double kFrameAnalysisFromHz = 3000.0;
    static constexpr int kFrameSize = FrameGeometry::kFrameSize;
    static constexpr int kFrameBins = FrameGeometry::kBins;
    static constexpr int kFramesPerLongAnalysis = 4; // it moves on every 4 frames (11.6 ms)

    // `frameWindow` is the chain's analysis window: `length` samples in the
    // middle of a 512-point transform, frames 128 samples apart. Lays out
    // the filters; until then every level reads silence.
    void SetFrameWindow(const float* frameWindow, int length);

    static double CentreHz(int channel);
    // Reads through filters broadened for a degree of loss (see
    // kWidenings), from the next frame on; 0, a normal ear's, until set.
    // Lays them out the first time in the process: not on the sound thread.
    void SetBroadening(int degreeOfLoss);
    // Takes another bank's filters; never allocates.
    void TakeBroadening(const CAuditoryFilterBank& from)
    {
        m_degree = from.m_degree;
        m_layout = from.m_layout;
    }

    // Starts a block of the chain: its 4096 input samples, whether it follows
    // the block handed in before, and what the chain does to the input before
    // the frames are measured (a gain, and a gain per frame bin as packed in
    // a frame spectrum), which the long analysis applies itself.
    void BeginBlock(const short* input, bool continues, float inputGain, const float* binGain);
    // The same with the input handed in as it arrives (see
    // CLowFrequencyAnalysis): every sample up to a frame's end before the
    // frame is measured.
    void BeginBlock(bool continues, float inputGain, const float* binGain);
    void AddInput(const short* input, int position, int count) { m_long.AddInput(input, position, count); }
    // What the chain does to the input changed within the block: the frames
    // from here on are measured with the new gains.
    void SetGains(float inputGain, const float* binGain)
    {
        m_inputGain = inputGain;
        m_binGain = binGain;
    }
    // The next frame's spectrum (packed: float 0 DC, float 1 half the rate,
    // bin k in 2k, 2k+1): writes every channel's power relative to a
    // full-scale (RMS 32768) signal's.
    void Measure(const float* spectrum, double* power);

private:
    enum Analysis { kLong, kJoined, kFrame };
    static constexpr int kMostCells = 48;  // of a filter's shape, in the analysis's bins
    struct Channel {
        Analysis analysis;
        int firstCell;             // where the filter's shape starts in the analysis's bins
        int cellCount;
        float passes[kMostCells];  // the share of each cell's power it passes
        double scale;              // from the analysis's power to the power re full scale
        int frameBin;              // the frame bin of the centre, for the long analysis's gains
    };
    struct Layout {
        Channel channel[kChannels];
        int firstFrameCell;  // the frame's power is needed from here up
    };
    static double PowerPassed(const float* power, const Channel& channel);
    void LayOut(const float* frameWindow, int length, int degreeOfLoss, Layout& layout) const;

    static constexpr int kJoinedBins = 48;  // 4.1 kHz: above the joined channels' ERBs
    float m_frameWindow[FrameGeometry::kFrameInput] = {};
    int m_frameWindowLength = 0;
    int m_degree = 0;
    Layout m_layout = {{}, kFrameBins};
    CLowFrequencyAnalysis m_long;
    CJoinedFrames<kJoinedBins> m_joined;
    int m_frameInBlock = 0;
    unsigned m_frameCount = 0;
    float m_inputGain = 1.0f;
    const float* m_binGain = nullptr;
    float m_framePower[kFrameBins] = {};
};
