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

TEST(NormalThreshold, EveryTabulatedValueIsThePublishedOne)
{
    // ISO 226:2003 threshold, free field, frontal incidence, dB SPL.
    const struct {
        double hz, spl;
    } kPublished[] = {{20, 78.5},   {25, 68.7},   {31.5, 59.5}, {40, 51.1},   {50, 44.0},  {63, 37.5},
                      {80, 31.5},   {100, 26.5},  {125, 22.1},  {160, 17.9},  {200, 14.4}, {250, 11.4},
                      {315, 8.6},   {400, 6.2},   {500, 4.4},   {630, 3.0},   {800, 2.2},  {1000, 2.4},
                      {1250, 3.5},  {1600, 1.7},  {2000, -1.3}, {2500, -4.2}, {3150, -6.0}, {4000, -5.4},
                      {5000, -1.5}, {6300, 6.0},  {8000, 12.6}, {10000, 13.9}, {12500, 12.3}};
    for (const auto& entry : kPublished)
        EXPECT_NEAR(NormalThresholdSpl(entry.hz), entry.spl, 1e-9) << entry.hz << " Hz";
}
