#include "mem_play.h"
#include "posted_event_queue.h"
#include "test_support.h"
#include "virtual_wave_out.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct MemPlay : ::testing::Test {
    // The device outlives the player, whose destructor closes it.
    CManualWaveOut device;
    CPostedEventQueue reports;
    CMemPlay player;
    ReportRecorder messages;
    std::vector<short> block = std::vector<short>(16000, 0);

    MemPlay() { player.SetDevice(&device); }

    std::vector<CPostedEventQueue::Report> TakeReports()
    {
        std::vector<CPostedEventQueue::Report> all;
        CPostedEventQueue::Report report;
        while (reports.Take(report))
            all.push_back(report);
        return all;
    }

    int WriteFilled(short value, int bytes = 7936)
    {
        std::fill(block.begin(), block.end(), value);
        return player.Write(block.data(), bytes);
    }
};

}  // namespace

TEST_F(MemPlay, FillsTheRingInOrderAndReusesOnlyReturnedBuffers)
{
    ASSERT_TRUE(player.Open(reports, 44100));
    EXPECT_EQ(device.Format().samplesPerSecond, 44100);
    EXPECT_EQ(device.Format().channels, 1);
    EXPECT_EQ(device.Format().bitsPerSample, 16);
    for (short k = 0; k < 4; ++k)
        EXPECT_EQ(WriteFilled(k), 7936);
    EXPECT_EQ(player.m_nQueued, 4);
    EXPECT_EQ(player.m_nNext, 0);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(device.Queued(k).data, player.m_pData[k]);
        EXPECT_EQ(device.Queued(k).bytes, 7936);
        EXPECT_EQ(reinterpret_cast<const short*>(device.Queued(k).data)[3967], k);
    }
    // While all four are queued, a fifth block must not overwrite one.
    EXPECT_EQ(WriteFilled(9), 0);
    EXPECT_EQ(reinterpret_cast<const short*>(player.m_pData[0])[0], 0);

    device.FinishNext();
    ASSERT_EQ(TakeReports().size(), 1u);
    player.BlockDone();
    EXPECT_EQ(player.m_nQueued, 3);
    EXPECT_EQ(WriteFilled(5), 7936);
    EXPECT_EQ(device.Queued(3).data, player.m_pData[0]);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(MemPlay, WriteSizesAndTheClosedPlayer)
{
    EXPECT_EQ(WriteFilled(1), 0) << "closed";
    ASSERT_TRUE(player.Open(reports, 44100));
    EXPECT_FALSE(player.Open(reports, 44100)) << "already open";
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(player.Write(block.data(), 0), 0);
    EXPECT_EQ(player.Write(block.data(), -3), -3);
    EXPECT_EQ(player.m_nQueued, 0);
    EXPECT_EQ(player.m_nNext, 0);
    std::vector<short> big(20000, 0);
    EXPECT_EQ(player.Write(big.data(), 40000), 32000);
    EXPECT_EQ(device.Queued(0).bytes, 32000);
}

TEST_F(MemPlay, BlockDoneClosesWhenTheLastBufferReturns)
{
    ASSERT_TRUE(player.Open(reports, 44100));
    WriteFilled(1);
    device.FinishNext();
    player.BlockDone();
    EXPECT_FALSE(player.m_bOpen);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(WriteFilled(1), 0);
    // On a closed player BlockDone only counts, also below zero.
    player.BlockDone();
    EXPECT_EQ(player.m_nQueued, -1);
    player.Stop();
    player.Close();
    ASSERT_TRUE(player.Open(reports, 44100));
    EXPECT_EQ(player.m_nQueued, 0);
}

TEST_F(MemPlay, StopTakesEveryBufferBackBeforeClosing)
{
    ASSERT_TRUE(player.Open(reports, 44100));
    const int opening = player.m_nOpening;
    for (int k = 0; k < 3; ++k)
        WriteFilled(1);
    TakeReports();
    player.Stop();
    EXPECT_FALSE(player.m_bOpen);
    EXPECT_EQ(device.QueuedCount(), 0);
    const auto stopped = TakeReports();
    ASSERT_EQ(stopped.size(), 4u);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(stopped[k].event, WaveOutEvent::BufferDone);
    EXPECT_EQ(stopped[3].event, WaveOutEvent::Closed);
    for (const auto& report : stopped)
        EXPECT_EQ(report.opening, opening);

    // Reports of that opening are stale once the player is open again.
    ASSERT_TRUE(player.Open(reports, 44100));
    EXPECT_TRUE(player.IsStale(opening));
    EXPECT_FALSE(player.IsStale(player.m_nOpening));
    // The new opening fills the ring from its first buffer again.
    WriteFilled(7);
    EXPECT_EQ(device.Queued(0).data, player.m_pData[0]);
}

TEST_F(MemPlay, ClosingWithBuffersQueuedLeavesNoneWithTheDevice)
{
    ASSERT_TRUE(player.Open(reports, 44100));
    WriteFilled(1);
    WriteFilled(2);
    player.Close();
    EXPECT_EQ(device.QueuedCount(), 0);
    EXPECT_FALSE(device.IsOpen());
}

TEST_F(MemPlay, DeviceFailures)
{
    device.RefuseOpen(true);
    EXPECT_FALSE(player.Open(reports, 44100));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Failed to open replay device"});
    EXPECT_FALSE(player.m_bOpen);
    device.RefuseOpen(false);

    ASSERT_TRUE(player.Open(reports, 44100));
    WriteFilled(1);
    device.RefuseQueue(true);
    EXPECT_EQ(WriteFilled(2), 0);
    EXPECT_FALSE(player.m_bOpen) << "a failed write stops the player";
    EXPECT_EQ(player.m_nQueued, 1);
    EXPECT_EQ(player.m_nNext, 1);
    EXPECT_EQ(device.QueuedCount(), 0);

    CMemPlay withoutDevice;
    EXPECT_FALSE(withoutDevice.Open(reports, 44100));
    EXPECT_EQ(messages.messages.size(), 2u);
}
