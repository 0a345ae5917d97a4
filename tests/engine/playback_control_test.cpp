#include "loss_processor.h"
#include "mem_play.h"
#include "posted_event_queue.h"
#include "test_support.h"
#include "virtual_wave_out.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct PlaybackControl : ::testing::Test {
    CSourceBank sources;
    std::unique_ptr<CLossProcessor> processor;
    CManualWaveOut device;
    CPostedEventQueue reports;
    ReportRecorder messages;
    int blocksProcessed = 0;

    void SetUp() override
    {
        sources.m_pSourceData[0] = NewSamples(std::vector<short>(10000, 100));
        sources.m_nSourceLen[0] = 10000;
        processor = std::make_unique<CLossProcessor>(sources);
        g_memPlay.SetDevice(&device);
    }
    void TearDown() override
    {
        g_memPlay.Close();
        g_memPlay.SetDevice(nullptr);
    }

    // Delivers the device's reports; returns how many led to a new block.
    int Dispatch()
    {
        int processed = 0;
        CPostedEventQueue::Report report;
        while (reports.Take(report)) {
            if (report.event == WaveOutEvent::BufferDone)
                processed += processor->HandleBlockFinished(report.opening) ? 1 : 0;
            else
                processor->HandleDeviceClosed(report.opening);
        }
        return processed;
    }

    // Where the speech source would be after `blocks` blocks from the start.
    static int SpeechPositionAfter(int blocks) { return blocks * 3968 % 10000; }
};

}  // namespace

TEST_F(PlaybackControl, FourBlocksOnOpeningThenOnePerFinishedBuffer)
{
    processor->ControlPlayback(reports);
    EXPECT_FALSE(g_memPlay.m_bOpen) << "nothing is on";
    EXPECT_EQ(sources.m_nSourcePos[0], 0);

    processor->m_bSourceOn[0] = 1;
    processor->ControlPlayback(reports);
    ASSERT_TRUE(g_memPlay.m_bOpen);
    EXPECT_EQ(device.QueuedCount(), 4);
    EXPECT_EQ(g_memPlay.m_nQueued, 4);
    EXPECT_EQ(sources.m_nSourcePos[0], SpeechPositionAfter(4));

    // A second press with a source on changes nothing about playback.
    processor->m_bSourceOn[1] = 1;
    processor->ControlPlayback(reports);
    EXPECT_EQ(device.QueuedCount(), 4);
    processor->m_bSourceOn[1] = 0;

    for (int played = 1; played <= 10; ++played) {
        ASSERT_TRUE(device.FinishNext());
        EXPECT_EQ(Dispatch(), 1);
        ASSERT_EQ(device.QueuedCount(), 4) << played;
        ASSERT_EQ(g_memPlay.m_nQueued, 4);
        // The oldest queued buffer is always the one the ring fills next.
        ASSERT_EQ(device.Queued(0).data, g_memPlay.m_pData[g_memPlay.m_nNext]);
    }
    EXPECT_EQ(sources.m_nSourcePos[0], SpeechPositionAfter(14));

    processor->m_bSourceOn[0] = 0;
    processor->ControlPlayback(reports);
    EXPECT_FALSE(g_memPlay.m_bOpen);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.QueuedCount(), 0);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(PlaybackControl, ReportsOfAStoppedOpeningNeverDisturbTheNextOne)
{
    processor->m_bSourceOn[0] = 1;
    processor->ControlPlayback(reports);
    processor->m_bSourceOn[0] = 0;
    processor->ControlPlayback(reports);  // stop: four buffers and the close are reported
    processor->m_bSourceOn[0] = 1;
    processor->ControlPlayback(reports);  // reopened before those reports arrive
    const int position = sources.m_nSourcePos[0];

    EXPECT_EQ(Dispatch(), 0);
    EXPECT_TRUE(g_memPlay.m_bOpen) << "the old close report must not close the new opening";
    EXPECT_EQ(g_memPlay.m_nQueued, 4);
    EXPECT_EQ(device.QueuedCount(), 4);
    EXPECT_EQ(sources.m_nSourcePos[0], position);

    ASSERT_TRUE(device.FinishNext());
    EXPECT_EQ(Dispatch(), 1);
    EXPECT_EQ(device.QueuedCount(), 4);
}

TEST_F(PlaybackControl, RefusingDeviceStillProcessesFourBlocks)
{
    device.RefuseOpen(true);
    processor->m_bSourceOn[0] = 1;
    processor->ControlPlayback(reports);
    EXPECT_FALSE(g_memPlay.m_bOpen);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Failed to open replay device"});
    EXPECT_EQ(sources.m_nSourcePos[0], SpeechPositionAfter(4));
    // Every further press with a source on tries again.
    device.RefuseOpen(false);
    processor->ControlPlayback(reports);
    EXPECT_TRUE(g_memPlay.m_bOpen);
    EXPECT_EQ(device.QueuedCount(), 4);
}
