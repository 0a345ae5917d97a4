#include "recording_level.h"
#include "source_bank.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// 20 ms pieces (882 samples) of square waves at these levels in dB below
// full scale (RMS 32768); a square wave's RMS is its amplitude.
std::vector<short> Pieces(const std::vector<double>& dbFs)
{
    std::vector<short> samples;
    for (const double level : dbFs) {
        const short amplitude = static_cast<short>(std::lround(32768.0 * std::pow(10.0, level / 20.0)));
        for (int i = 0; i < 882; ++i)
            samples.push_back(static_cast<short>(i % 2 ? amplitude : -amplitude));
    }
    return samples;
}

}  // namespace

TEST(RecordingLevel, TheActiveSpeechLevelCountsThePiecesLouderThan50DecibelsBelowFullScale)
{
    // Speech at -20 and -26 dB FS (power 0.01 and 0.00251, mean 0.006256:
    // -22.04 dB) with pauses at -49 (counted: power 1.26e-5, so the mean of
    // three is 0.004175, -23.79 dB) and -51 and -80 dB FS (left out).
    EXPECT_NEAR(ActiveSpeechLevelDbFs(Pieces({-20, -51, -26, -80}).data(), 4 * 882), -22.04, 0.01);
    EXPECT_NEAR(ActiveSpeechLevelDbFs(Pieces({-20, -49, -26, -80}).data(), 4 * 882), -23.79, 0.01);
    // A piece cut short at the end does not count, however loud.
    const std::vector<short> tail = Pieces({-20, 0});
    EXPECT_NEAR(ActiveSpeechLevelDbFs(tail.data(), 882 + 881), -20.0, 0.01);
    EXPECT_EQ(ActiveSpeechLevelDbFs(Pieces({-60, -70}).data(), 2 * 882), -100.0) << "nothing but room tone";
    EXPECT_EQ(ActiveSpeechLevelDbFs(tail.data(), 0), -100.0);
}

TEST(RecordingLevel, TheBankMeasuresEachRecordingWhenItIsLoadedUnderASerialThatNeverRepeats)
{
    CSourceBank bank;
    const std::vector<short> loud = Pieces({-20, -20});
    const unsigned long long empty = bank.Serial(0);
    EXPECT_EQ(bank.ActiveLevelDbFs(0), -100.0);
    bank.ReplaceSource(0, NewSamples(loud), 2 * 882, false);
    const unsigned long long first = bank.Serial(0);
    EXPECT_NE(first, empty);
    EXPECT_NEAR(bank.ActiveLevelDbFs(0), -20.0, 0.01);
    EXPECT_EQ(bank.PeakMagnitude(0), 3277);
    // The same length again, and perhaps the same address: a new serial.
    bank.ReplaceSource(0, NewSamples(Pieces({-30, -30})), 2 * 882, false);
    EXPECT_NE(bank.Serial(0), first);
    EXPECT_NEAR(bank.ActiveLevelDbFs(0), -30.0, 0.01);
    const unsigned long long second = bank.Serial(0);
    bank.ReplaceSource(1, NewSamples(loud), 2 * 882, false);
    EXPECT_NE(bank.Serial(1), second) << "one counter for every source";
    bank.FreeSources();
    EXPECT_NE(bank.Serial(0), second);
    EXPECT_EQ(bank.ActiveLevelDbFs(0), -100.0);
    EXPECT_EQ(bank.PeakMagnitude(0), 0);
}
