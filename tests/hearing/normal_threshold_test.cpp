#include "normal_threshold.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(NormalThreshold, TheTabulatedThresholdInterpolatedOverLogFrequencyAndHeldBeyond)
{
    EXPECT_DOUBLE_EQ(NormalThresholdSpl(250), 11.4);
    EXPECT_DOUBLE_EQ(NormalThresholdSpl(1000), 2.4);
    EXPECT_DOUBLE_EQ(NormalThresholdSpl(4000), -5.4);
    EXPECT_DOUBLE_EQ(NormalThresholdSpl(8000), 12.6);
    // 1414 Hz lies ln(1414/1250)/ln(1600/1250) = 0.12328/0.24686 = 0.49939 of the way from
    // 1250 to 1600 on a log axis: 3.5 - 1.8·0.49939 = 2.6011.
    EXPECT_NEAR(NormalThresholdSpl(1414), 2.6011, 1e-4);
    // Between 2 and 2.5 kHz, 2236 Hz: halfway on a log axis, -2.75.
    EXPECT_NEAR(NormalThresholdSpl(2236.068), -2.75, 1e-4);
    EXPECT_DOUBLE_EQ(NormalThresholdSpl(10), 78.5) << "held below 20 Hz";
    EXPECT_DOUBLE_EQ(NormalThresholdSpl(20000), 12.3) << "held above 12.5 kHz";
    EXPECT_DOUBLE_EQ(NormalThresholdSpl(0), 78.5);
}
