#pragma once

#include "presentation_level.h"

// The overlap-add of a block played at a presentation level, kept in float
// until the limiter has acted, so that the conversion to 16 bits never clips:
// the plain chain adds whole samples, which saturate at the rail.
class CPresentedOutput {
public:
    static constexpr int kSize = 4608;  // as the chain's accumulator

    // Takes over the plain accumulator's carried partial sums when
    // presentation starts while sound plays; GiveCarry hands them back.
    void TakeCarry(const short* carry, int count);
    void GiveCarry(short* carry, int count) const;

    // Adds a synthesised frame at `at`: data[i]·window[i]·scale, formed in
    // double as the plain chain forms it.
    void AddFrame(int at, const float* data, const float* window, double scale, int count);

    // Limits the first `count` samples, converts them to `out` (truncated
    // toward zero, as the plain chain does), and moves the `carry` samples
    // after them to the front for the next block.
    void Finish(CLimiter& limiter, short* out, int count, int carry);

private:
    float m_sum[kSize] = {};
};
