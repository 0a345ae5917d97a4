#include "fast_exp_log.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FastExpLog, TheLogarithmAndThePowerAgreeWithTheLibraryToAFewPartsInAMillion)
{
    // Levels: powers from 10^-30 (the floor) to 10^3 (60 dB above full scale).
    for (double decade = -30.0; decade <= 3.0; decade += 0.0137) {
        const auto x = static_cast<float>(std::pow(10.0, decade));
        EXPECT_NEAR(FastLog2(x), std::log2(static_cast<double>(x)), 1e-5) << x;
    }
    EXPECT_EQ(FastLog2(1.0f), 0.0f);
    EXPECT_EQ(FastLog2(0.25f), -2.0f);
    // Gains: 2^y for y from -126 to 20, relative error.
    for (double y = -125.0; y <= 20.0; y += 0.0071) {
        EXPECT_NEAR(FastExp2(static_cast<float>(y)) / std::exp2(static_cast<double>(static_cast<float>(y))), 1.0, 1e-6) << y;
    }
    EXPECT_EQ(FastExp2(0.0f), 1.0f) << "no change stays exactly no change";
    EXPECT_EQ(FastExp2(-3.0f), 0.125f);
    EXPECT_LT(FastExp2(-1e30f), 1e-37f) << "nothing heard";
    EXPECT_GT(FastExp2(-1e30f), 0.0f);
}
