#pragma once

#include "frame_geometry.h"

// A long look at the low frequencies, where auditory filters are narrower
// than a frame's resolution: the chain's input, decimated to a quarter of
// the rate, through a 512-point Hann window (46 ms, bins of 21.5 Hz). The
// window ends where a frame ends, so the analysis never looks ahead of the
// frame it serves.
class CLowFrequencyAnalysis {
public:
    static constexpr int kDecimation = 4;
    static constexpr int kWindow = 512;                     // decimated samples
    static constexpr int kBins = kWindow / 2;
    static constexpr double kBinHz = 44100.0 / kDecimation / kWindow;
    static constexpr int kBlockInput = FrameGeometry::kBlockInput;
    static constexpr int kBlockAdvance = FrameGeometry::kBlockOutput;  // the next block starts here
    static constexpr int kFrameInput = FrameGeometry::kFrameInput;
    static constexpr int kHop = FrameGeometry::kHop;

    CLowFrequencyAnalysis();
    const float* Window() const { return m_window; }
    // The power response of the decimating filters at `hz` (1 at 0 Hz).
    static double DecimationResponse(double hz);

    // Takes a block's input. `continues`: it follows the previous block
    // handed in, kBlockAdvance samples later; otherwise the history is silence.
    void AddBlock(const short* input, bool continues);
    // The same in pieces, as the input arrives: a block begins, then its
    // samples from block position `position` on (after the samples taken
    // with the previous block, when it continues), in order, in pieces of a
    // multiple of kDecimation. The decimated samples are the same to the bit.
    void BeginBlock(bool continues);
    void AddInput(const short* input, int position, int count);
    // Where a continuing block's new samples start.
    static constexpr int kFirstNewSample = kBlockInput - kBlockAdvance;
    // The power spectrum (bins 0 .. kBins - 1) of the window that ends with
    // the frame starting at `frameInBlock` * kHop in the block.
    void Analyse(int frameInBlock);
    const float* Power() const { return m_power; }

private:
    // Halves the rate with the binomial low-pass (1 4 6 4 1) / 16; `history`
    // holds the last four inputs. Returns the outputs written.
    static int Halve(const float* in, int count, float* history, float* out);

    static constexpr int kHeld = kWindow + kBlockInput / kDecimation;
    float m_window[kWindow];
    float m_decimated[kHeld] = {};  // index kWindow is the block's first sample
    float m_history1[4] = {};
    float m_history2[4] = {};
    float m_scratch[kBlockInput];  // the input in float
    float m_halved[kBlockInput / 2];
    float m_power[kBins] = {};
};
