#include "source_bank.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SourceBank : ::testing::Test {
    CSourceBank bank;
    int on[3] = {0, 0, 0};

    void Add(int index, const std::vector<short>& samples, int position = 0)
    {
        bank.m_pSourceData[index] = NewSamples(samples);
        bank.m_nSourceLen[index] = static_cast<int>(samples.size());
        bank.m_nSourcePos[index] = position;
    }
};

}  // namespace

TEST_F(SourceBank, MixesCyclicallyAndRewindsModuloTheLength)
{
    Add(0, {1, 2, 3});
    on[0] = 1;
    std::vector<short> buffer(8, 0);
    bank.MixSources(on, buffer.data(), 8);
    EXPECT_EQ(buffer, (std::vector<short>{1, 2, 3, 1, 2, 3, 1, 2}));
    EXPECT_EQ(bank.m_nSourcePos[0], 2);
    bank.RewindSources(on);
    EXPECT_EQ(bank.m_nSourcePos[0], 0) << "128 back from 2, modulo 3";

    Add(1, std::vector<short>(5000, 1), 100);
    on[1] = 1;
    bank.RewindSources(on);
    EXPECT_EQ(bank.m_nSourcePos[1], 4972);

    Add(2, std::vector<short>(128, 1), 5);
    on[2] = 1;
    bank.RewindSources(on);
    EXPECT_EQ(bank.m_nSourcePos[2], 5) << "a whole length back is the same place";
}

TEST_F(SourceBank, SwitchedOffOrAbsentSourcesAreUntouched)
{
    Add(0, {5, 6, 7}, 1);
    on[0] = 0;
    on[1] = 1;  // switched on, but absent
    std::vector<short> buffer = {1, 1, 1, 1};
    bank.MixSources(on, buffer.data(), 4);
    bank.RewindSources(on);
    EXPECT_EQ(buffer, (std::vector<short>{1, 1, 1, 1}));
    EXPECT_EQ(bank.m_nSourcePos[0], 1);
    EXPECT_EQ(bank.m_nSourcePos[1], 0);

    on[0] = 1;
    bank.MixSources(on, buffer.data(), 0);
    bank.MixSources(on, buffer.data(), -5);
    EXPECT_EQ(bank.m_nSourcePos[0], 1) << "a count of 0 or less mixes nothing";
}

TEST_F(SourceBank, MixingAddsAllSourcesAndSaturates)
{
    Add(0, {15000, -15000, 30000});
    Add(1, {10000, -10000, 10000});
    Add(2, {5000, -5000, 0});
    on[0] = on[1] = on[2] = 1;
    std::vector<short> buffer(3, 0);
    bank.MixSources(on, buffer.data(), 3);
    EXPECT_EQ(buffer, (std::vector<short>{30000, -30000, 32767}));
}
