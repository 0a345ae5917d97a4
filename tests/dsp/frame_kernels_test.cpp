#include "frame_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

// Thirteen samples: the widest loop takes the first eight (or four), the
// narrower ones the rest, so every loop meets truncation, saturation and NaN.
TEST(FrameKernels, WindowToSamplesTruncatesAndSaturatesInEveryLoop)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float data[13] = {65534.0f, 65536.0f, -65538.0f, 3.8f, -3.8f, nan, 1e30f, -inf,
                            nan, 65533.0f, -65537.0f, 4.0f, -1e30f};
    const float window[13] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0.25f, 1};
    // Times 0.5: 32767, 32768, -32769, 1.9, -1.9, NaN, 5e29, -inf, NaN,
    // 32766.5, -32768.5, 0.5, -5e29.
    const short expected[13] = {32767, 32767, -32768, 1, -1, 0, 32767, -32768, 0, 32766, -32768, 0, -32768};
    short out[13];
    WindowToSamples(data, window, 0.5, out, 13);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(out[i], expected[i]) << i;
}
