#pragma once

#include "frame_geometry.h"

// The overlap-add of a block kept in float, when the recordings play at a
// presentation level or through an audiogram: the limiter acts before
// anything is converted, so the conversion never clips, and what a loss
// leaves quiet is converted once at the end instead of being truncated to
// whole samples frame by frame, as the plain chain adds them.
class CFloatOutput {
public:
    static constexpr int kSize = FrameGeometry::kOutputSize;  // as the chain's accumulator

    // Takes over the plain accumulator's carried partial sums when the float
    // path starts while sound plays, at `at` in the block (0 between blocks);
    // GiveCarry hands them back.
    void TakeCarry(const short* carry, int count, int at = 0);
    void GiveCarry(short* carry, int count, int at = 0) const;
    // Takes over another overlap-add's carried partial sums, when it stops
    // and this one goes on from it.
    void CopyCarry(const CFloatOutput& from, int count);

    // The synthesis window and its scale, taken as one window.
    void SetSynthesisWindow(const float* window, double scale, int count);
    // Adds a synthesised frame of the window's length at `at`.
    void AddFrame(int at, const float* data);

    // The block's samples, in 16-bit units, for the limiter and the last gain.
    float* Block() { return m_sum; }
    // Moves the `carry` samples after the first `count` to the front for the
    // next block.
    void Advance(int count, int carry);

private:
    static constexpr int kMaxWindow = 512;
    float m_window[kMaxWindow] = {};
    int m_windowLength = 0;
    float m_sum[kSize] = {};
};

// Rounds to the nearest whole sample (halves up), saturated to 16 bits.
inline short RoundedSample(float value)
{
    // Shifted to be positive, truncation is the floor.
    const float shifted = value < -32768.0f ? 0.5f : value > 32767.0f ? 65535.5f : value + 32768.5f;
    return static_cast<short>(static_cast<int>(shifted) - 32768);
}

void RoundToSamples(const float* in, short* out, int count);
