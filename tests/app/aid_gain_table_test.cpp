// The aids' gains as the audiogram dialog and its page show them, worked by
// hand: Fig6 in a flat 50 dB HL right ear, NAL-R in a flat 70 dB HL left.

#include "aid_gain_table.h"
#include "audiogram_dialog.h"

#include <gtest/gtest.h>

namespace {

Listener FlatEars(double right, double left)
{
    Listener listener;
    listener.hz = {250, 8000};
    listener.right = {right, right};
    listener.left = {left, left};
    return listener;
}

}  // namespace

TEST(AidGainTable, EachAidedEarHasARowPerInputLevelOfItsRule)
{
    EXPECT_FALSE(MakeAidGainTable(FlatEars(50, 70), {}));
    const auto table = MakeAidGainTable(FlatEars(50, 70), {AidRule::NalR, AidRule::Fig6});
    ASSERT_TRUE(table);
    EXPECT_EQ(table->title, "Hörgerät, Einfügungsverstärkung in dB: rechts Fig6 (Kompression), links NAL-R (linear)");
    EXPECT_EQ(table->hz, (std::vector<double>{250, 500, 1000, 2000, 3000, 4000, 6000, 8000}));
    // The gains are the fittings' (see AidFitting): each row is its ear's and
    // level's, and NAL-R's 3 kHz lies between its 2 and 4 kHz, log2(1.5) of
    // the way from 33.18 to 32.18 dB.
    ASSERT_EQ(table->rows.size(), 4u);
    const char* const labels[4] = {"rechts, 40 dB SPL", "rechts, 65 dB SPL", "rechts, 95 dB SPL", "links"};
    const double at1k[4] = {30.0, 18.0, 2.5119, 35.18};
    for (std::size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(table->rows[r].first, labels[r]);
        EXPECT_NEAR(table->rows[r].second[2], at1k[r], 1e-3) << labels[r];
    }
    EXPECT_NEAR(table->rows[3].second[4], 32.595, 1e-3);
    const auto one = MakeAidGainTable(FlatEars(50, 70), {AidRule::Off, AidRule::NalR});
    ASSERT_TRUE(one);
    EXPECT_EQ(one->title, "Hörgerät, Einfügungsverstärkung in dB: NAL-R (linear), rechtes Ohr");
    EXPECT_EQ(one->rows.size(), 1u);
}

TEST(AidGainTable, TheDialogShowsTheGainsOfTheLevelsAsEntered)
{
    CAudiogramDialog dialog(FlatEars(50, 70), Ear::Right);
    EXPECT_TRUE(dialog.AidGainsShown().isEmpty());
    dialog.SetAidRules({AidRule::Off, AidRule::Fig6});
    EXPECT_TRUE(dialog.AidGainsShown().contains(QStringLiteral("18,0"))) << dialog.AidGainsShown().toStdString();
    // The right ear at 70 dB HL now: 33 dB at 65 dB SPL.
    for (int i = 0; i < dialog.FieldCount(); ++i)
        dialog.Field(i).setValue(70);
    EXPECT_TRUE(dialog.AidGainsShown().contains(QStringLiteral("33,0")));
    EXPECT_FALSE(dialog.AidGainsShown().contains(QStringLiteral("18,0")));
}
