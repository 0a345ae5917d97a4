#include "call_aside.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

using std::chrono::milliseconds;

namespace {

// A call that blocks until it is let go, as a stalled sound server holds one.
struct Latch {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;

    void Wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        opened.wait(lock, [&] { return open; });
    }
    void Open()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            open = true;
        }
        opened.notify_all();
    }
};

}  // namespace

TEST(CallAside, ACallInTimeReturnsTrueAndItsLateFollowUpNeverRuns)
{
    CCallAside aside;
    int calls = 0;
    std::atomic<int> followUps{0};
    EXPECT_TRUE(aside.Run([&] { ++calls; }, [&] { ++followUps; }, milliseconds(10000)));
    EXPECT_EQ(calls, 1) << "the call has returned when Run does";
    EXPECT_TRUE(aside.WaitIdle(milliseconds(0)));
    EXPECT_EQ(followUps, 0);
}

TEST(CallAside, ALateCallGoesOnByItselfAndKeepsTheNextOneOutUntilItEnds)
{
    CCallAside aside;
    auto latch = std::make_shared<Latch>();
    auto followUps = std::make_shared<std::atomic<int>>(0);
    EXPECT_FALSE(aside.Run([latch] { latch->Wait(); }, [followUps] { ++*followUps; }, milliseconds(20)));
    EXPECT_FALSE(aside.WaitIdle(milliseconds(20)));
    bool ran = false;
    EXPECT_FALSE(aside.Run([&] { ran = true; }, nullptr, milliseconds(10000))) << "refused while the late call runs";
    EXPECT_FALSE(ran);

    latch->Open();
    EXPECT_TRUE(aside.WaitIdle(milliseconds(10000)));
    EXPECT_EQ(*followUps, 1) << "the follow-up ran once, after the late call";
    EXPECT_TRUE(aside.Run([&] { ran = true; }, nullptr, milliseconds(10000)));
    EXPECT_TRUE(ran);
}
