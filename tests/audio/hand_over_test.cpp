#include "hand_over.h"
#include "latest_value.h"

#include <gtest/gtest.h>

#include <memory>

TEST(HandOver, TheNewestWaitsOneComesBackAtATimeAndThePosterFreesIt)
{
    struct Counted {
        explicit Counted(int v, int& freed) : value(v), freedCount(freed) {}
        ~Counted() { ++freedCount; }
        int value;
        int& freedCount;
    };
    int freed = 0;
    {
        CHandOver<Counted> handOver;
        EXPECT_EQ(handOver.Take(), nullptr);
        handOver.Post(std::make_unique<Counted>(1, freed));
        handOver.Post(std::make_unique<Counted>(2, freed));
        EXPECT_EQ(freed, 1) << "the one not taken is replaced";
        Counted* taken = handOver.Take();
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(taken->value, 2);
        EXPECT_EQ(handOver.Take(), nullptr);
        handOver.GiveBack(taken);
        handOver.Post(std::make_unique<Counted>(3, freed));
        EXPECT_EQ(freed, 2) << "posting frees what came back";
        taken = handOver.Take();
        ASSERT_NE(taken, nullptr);
        handOver.GiveBack(taken);
        handOver.Post(std::make_unique<Counted>(4, freed));
        EXPECT_EQ(freed, 3);
        taken = handOver.Take();
        handOver.GiveBack(taken);
        handOver.Post(std::make_unique<Counted>(5, freed));
        // Given back before the poster freed it: the next waits.
        EXPECT_EQ(freed, 4);
        handOver.GiveBack(handOver.Take());
        handOver.Post(std::make_unique<Counted>(6, freed));
        handOver.GiveBack(nullptr);

        // Given back while a newer one waits: the taker gets nothing until
        // the poster has freed it, so the slot is never overwritten.
        taken = handOver.Take();
        ASSERT_NE(taken, nullptr);
        handOver.Post(std::make_unique<Counted>(7, freed));
        handOver.GiveBack(taken);
        EXPECT_EQ(handOver.Take(), nullptr) << "one comes back at a time";
        EXPECT_TRUE(handOver.Waiting());
        handOver.Reclaim();
        EXPECT_EQ(freed, 6);
        taken = handOver.Take();
        ASSERT_NE(taken, nullptr);
        EXPECT_EQ(taken->value, 7);
        handOver.GiveBack(taken);
    }
    EXPECT_EQ(freed, 7) << "nothing is lost when it ends";
}

TEST(LatestValue, TheReaderGetsTheNewestCompleteValueOnce)
{
    CLatestValue<int> latest;
    int value = 0;
    EXPECT_FALSE(latest.Read(value));
    for (int v = 1; v <= 3; ++v) {
        latest.Back() = v;
        latest.Publish();
    }
    ASSERT_TRUE(latest.Read(value));
    EXPECT_EQ(value, 3);
    EXPECT_FALSE(latest.Read(value));
    latest.Back() = 4;
    latest.Publish();
    ASSERT_TRUE(latest.Read(value));
    EXPECT_EQ(value, 4);
    latest.Back() = 5;
    latest.Publish();
    latest.Back() = 6;
    latest.Publish();
    ASSERT_TRUE(latest.Read(value));
    EXPECT_EQ(value, 6);
}
