#include "output_volume.h"
#include "posted_event_queue.h"
#include "virtual_wave_out.h"

#include <gtest/gtest.h>

#include <vector>

TEST(RenderDevice, PlaysBuffersInOrderWithTheOutputVolumeAtPlayTime)
{
    std::vector<short> heard;
    CRenderWaveOut device([&](const short* samples, int count) { heard.insert(heard.end(), samples, samples + count); }, true);
    CPostedEventQueue reports;
    ASSERT_TRUE(device.Open(WaveOutFormat{}, reports, 7));
    const short first[3] = {1000, -1000, 32767};
    const short second[2] = {-32768, 3};
    ASSERT_TRUE(device.Queue(reinterpret_cast<const unsigned char*>(first), 6));
    ASSERT_TRUE(device.Queue(reinterpret_cast<const unsigned char*>(second), 4));
    // Left channel at a tenth; the right channel does not matter for mono.
    SetOutputVolume(0xFFFF0000u | 6553u);
    ASSERT_TRUE(device.FinishNext());
    SetOutputVolume(0xFFFFFFFFu);
    ASSERT_TRUE(device.FinishNext());
    EXPECT_FALSE(device.FinishNext());
    EXPECT_EQ(heard, (std::vector<short>{100, -100, 3276, -32768, 3}));

    CPostedEventQueue::Report report{};
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(reports.Take(report));
        EXPECT_EQ(report.event, WaveOutEvent::BufferDone);
        EXPECT_EQ(report.opening, 7);
    }
    EXPECT_FALSE(reports.Take(report));
    device.Close();
    ASSERT_TRUE(reports.Take(report));
    EXPECT_EQ(report.event, WaveOutEvent::Closed);

    std::vector<short> exact;
    CRenderWaveOut exactDevice([&](const short* samples, int count) { exact.insert(exact.end(), samples, samples + count); }, false);
    ASSERT_TRUE(exactDevice.Open(WaveOutFormat{}, reports, 8));
    SetOutputVolume(0);
    exactDevice.Queue(reinterpret_cast<const unsigned char*>(first), 6);
    exactDevice.FinishNext();
    EXPECT_EQ(exact, (std::vector<short>{1000, -1000, 32767}));
    SetOutputVolume(0xFFFFFFFFu);
}
