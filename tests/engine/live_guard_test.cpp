#include "live_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kHop = 128;

// A hop of a 1 kHz tone of `peak` on both channels, from sample `start`.
std::vector<short> ToneHop(double peak, long start)
{
    std::vector<short> stereo(2 * kHop);
    for (int i = 0; i < kHop; ++i)
        stereo[2 * i] = stereo[2 * i + 1] =
            static_cast<short>(std::lround(peak * std::sin(2 * M_PI * 1000.0 * static_cast<double>(start + i) / 44100)));
    return stereo;
}

}  // namespace

TEST(LiveGuard, SoundBelowTheCeilingPassesToTheBitAndNothingAbove100DecibelsSplGetsThrough)
{
    // Full scale at 110 dB SPL: 100 dB SPL is a sine of peak
    // 32768·√2·10^(-10/20) = 14654.
    CLiveGuard guard;
    guard.SetFullScaleLevel(110.0);
    std::vector<short> quiet = ToneHop(14000, 0);
    const std::vector<short> before = quiet;
    guard.Process(quiet.data(), kHop);
    EXPECT_EQ(quiet, before);

    long at = kHop;
    int loudest = 0;
    for (int hop = 0; hop < 100; ++hop, at += kHop) {
        std::vector<short> loud = ToneHop(30000, at);
        guard.Process(loud.data(), kHop);
        for (short s : loud)
            loudest = std::max(loudest, std::abs(static_cast<int>(s)));
    }
    EXPECT_LE(loudest, 14655);
    EXPECT_GT(loudest, 14000) << "limited, not silenced";
}

TEST(LiveGuard, ASecondAtTheLimiterMutesLoudMomentsDoNot)
{
    CLiveGuard guard;
    guard.SetFullScaleLevel(110.0);
    // Loud half seconds with a tenth of a second of quiet between them, as
    // loud speech has: never muted.
    long at = 0;
    for (int round = 0; round < 4; ++round) {
        for (int hop = 0; hop < 172; ++hop, at += kHop) {
            std::vector<short> loud = ToneHop(30000, at);
            guard.Process(loud.data(), kHop);
        }
        for (int hop = 0; hop < 35; ++hop, at += kHop) {
            std::vector<short> quiet = ToneHop(1000, at);
            guard.Process(quiet.data(), kHop);
        }
    }
    EXPECT_FALSE(guard.Muted());

    // Howling on: 44100 samples are 344.5 hops, so the 345th mutes.
    for (int hop = 1; hop <= 345; ++hop, at += kHop) {
        std::vector<short> howl = ToneHop(30000, at);
        guard.Process(howl.data(), kHop);
        ASSERT_EQ(guard.Muted(), hop == 345) << hop;
    }
    std::vector<short> after = ToneHop(30000, at);
    guard.Process(after.data(), kHop);
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](short s) { return s == 0; })) << "silent while muted";

    guard.Unmute();
    std::vector<short> again = ToneHop(1000, at);
    guard.Process(again.data(), kHop);
    EXPECT_FALSE(guard.Muted());
    EXPECT_NE(again, std::vector<short>(2 * kHop, 0)) << "sound again";
}
