#include "output_volume.h"
#include "playing_stream.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct PlayingStream : ::testing::Test {
    void TearDown() override { SetOutputVolume(0xFFFFFFFF); }
};

}  // namespace

TEST_F(PlayingStream, StereoCarriesEachSampleOnBothChannelsAtTheirOwnVolume)
{
    CPlayingStream stream(2);
    const short first[3] = {1000, -2000, 3000};
    const short second[2] = {-4000, 5000};
    ASSERT_TRUE(stream.Queue().Push(first, 3));
    ASSERT_TRUE(stream.Queue().Push(second, 2));
    // Left at half (0x8000 / 0xFFFF, rounded), right at full.
    SetOutputVolume(0xFFFF8000);
    short output[2 * 6];
    stream.Play(output, 6);
    const short expected[2 * 6] = {500, 1000, -1000, -2000, 1500, 3000, -2000, -4000, 2500, 5000, 0, 0};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(output[i], expected[i]) << (i % 2 ? "right " : "left ") << i / 2;
    EXPECT_EQ(stream.Finished(), 2);
    EXPECT_EQ(stream.SilentFrames(), 1);
    EXPECT_EQ(stream.TimesRunDry(), 1) << "the second buffer had none behind it, the first had";
    // Queued again only after a gap of silence: dry once more.
    ASSERT_TRUE(stream.Queue().Push(first, 3));
    stream.Play(output, 2);
    ASSERT_TRUE(stream.Queue().Push(second, 2));
    stream.Play(output, 6);
    EXPECT_EQ(stream.TimesRunDry(), 2);
}

TEST_F(PlayingStream, StereoBuffersPlayLeftAndRightOnTheirOwnChannelsAcrossBuffers)
{
    CPlayingStream stream(2, 2);
    // Frames (left, right): (100, -100), (200, -200), then across the
    // buffers' end (300, -300).
    const short first[4] = {100, -100, 200, -200};
    const short second[2] = {300, -300};
    ASSERT_TRUE(stream.Queue().Push(first, 4));
    ASSERT_TRUE(stream.Queue().Push(second, 2));
    SetOutputVolume(0xFFFF8000);  // left at half, right at full
    short output[2 * 4];
    stream.Play(output, 4);
    const short expected[2 * 4] = {50, -100, 100, -200, 150, -300, 0, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(output[i], expected[i]) << (i % 2 ? "right " : "left ") << i / 2;
    EXPECT_EQ(stream.Finished(), 2);
    EXPECT_EQ(stream.SilentFrames(), 1);
}

TEST_F(PlayingStream, MonoBuffersFinishAcrossCallsAndAGivenUpStreamReadsNothing)
{
    CPlayingStream stream(1);
    std::vector<short> samples(5, 7);
    stream.Queue().Push(samples.data(), 5);
    stream.Queue().Push(samples.data(), 5);
    short output[4];
    stream.Play(output, 4);
    EXPECT_EQ(stream.Finished(), 0);
    stream.Play(output, 4);
    EXPECT_EQ(stream.Finished(), 1) << "the first buffer ends within the second call";
    EXPECT_EQ(output[0], 7);
    EXPECT_EQ(stream.SilentFrames(), 0);

    stream.GiveUp();
    stream.Play(output, 4);
    EXPECT_EQ(output[0], 0);
    EXPECT_EQ(stream.Finished(), 1);
    EXPECT_EQ(stream.SilentFrames(), 4);

    // Rewinding counts what is queued as finished and starts the next buffer
    // from its first sample.
    stream.Rewind();
    EXPECT_EQ(stream.Finished(), 2);
    EXPECT_EQ(stream.Queue().Count(), 0);
}
