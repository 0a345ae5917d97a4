#include "tpdf_dither.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(TpdfDither, TheDitherIsTriangularOverOneStepEitherSideAndRepeatsExactly)
{
    // The difference of two uniform values on [0, 1): mean 0, variance
    // 2 · 1/12 = 1/6, never a whole step; a quarter of the values within
    // ±0.293 (1 - (1 - 0.293)² = 0.5 of the mass lies within ±0.293).
    const int count = 400000;
    double sum = 0.0;
    double squares = 0.0;
    int near = 0;
    for (int n = 0; n < count; ++n) {
        const double d = CTpdfDither::Value(static_cast<std::uint64_t>(n));
        ASSERT_LT(std::abs(d), 1.0);
        sum += d;
        squares += d * d;
        near += std::abs(d) < 0.2929 ? 1 : 0;
    }
    EXPECT_NEAR(sum / count, 0.0, 0.003);
    EXPECT_NEAR(squares / count, 1.0 / 6.0, 0.003);
    EXPECT_NEAR(static_cast<double>(near) / count, 0.5, 0.005);
    EXPECT_EQ(CTpdfDither::Value(12345), CTpdfDither::Value(12345));
    EXPECT_NE(CTpdfDither::Value(12345), CTpdfDither::Value(12346));
}

TEST(TpdfDither, RoundingWithDitherKeepsTheLevelOfQuietSoundsAndLeavesHalfAStepOfNoise)
{
    // A constant 0.3 of a step: rounded alone it is 0; with the dither the
    // output averages 0.3, and the error is a noise of half a step RMS
    // (1/6 from the dither + 1/12 from rounding = 1/4).
    const int count = 200000;
    std::vector<float> in(count, 0.3f);
    std::vector<short> out(count);
    CTpdfDither dither;
    dither.Convert(in.data(), out.data(), count);
    double sum = 0.0;
    double squares = 0.0;
    for (const short sample : out) {
        sum += sample;
        squares += (sample - 0.3) * (sample - 0.3);
    }
    EXPECT_NEAR(sum / count, 0.3, 0.005);
    EXPECT_NEAR(std::sqrt(squares / count), 0.5, 0.005);

    // Beyond the 16 bits the samples saturate.
    const float loud[4] = {40000.0f, -40000.0f, 32767.4f, -32768.4f};
    short clipped[4];
    CTpdfDither().Convert(loud, clipped, 4);
    EXPECT_EQ(clipped[0], 32767);
    EXPECT_EQ(clipped[1], -32768);
    EXPECT_GE(clipped[2], 32766);
    EXPECT_LE(clipped[3], -32767);
}

TEST(TpdfDither, AStreamConvertedInPiecesOfAnyLengthIsTheStreamConvertedAtOnce)
{
    std::vector<float> in(1000);
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(100.0 * std::sin(0.01 * static_cast<double>(i)));
    std::vector<short> whole(in.size());
    CTpdfDither().Convert(in.data(), whole.data(), static_cast<int>(in.size()));
    std::vector<short> pieces(in.size());
    CTpdfDither dither;
    std::size_t done = 0;
    for (const int piece : {1, 2, 3, 7, 5, 100, 1, 881}) {
        dither.Convert(in.data() + done, pieces.data() + done, piece);
        done += static_cast<std::size_t>(piece);
    }
    ASSERT_EQ(done, in.size());
    EXPECT_EQ(pieces, whole);
}
