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
    EXPECT_EQ(table->title,
              "Hörgerät, Einfügungsverstärkung in dB: rechts Fig6 (Kompression), links NAL-R (linear)");
    EXPECT_EQ(table->hz, (std::vector<double>{250, 500, 1000, 2000, 3000, 4000, 6000, 8000}));
    ASSERT_EQ(table->rows.size(), 4u);
    const struct {
        const char* label;
        std::vector<double> gains;
    } kRows[] = {
        {"rechts, 40 dB SPL", std::vector<double>(8, 30.0)},
        {"rechts, 65 dB SPL", std::vector<double>(8, 18.0)},
        {"rechts, 95 dB SPL", std::vector<double>(8, 2.5119)},
        // 3 kHz: from 33.18 at 2 kHz to 32.18 at 4 kHz, log2(1.5) of the way.
        {"links", {17.18, 26.18, 35.18, 33.18, 32.595, 32.18, 32.18, 32.18}},
    };
    for (std::size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(table->rows[r].first, kRows[r].label);
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_NEAR(table->rows[r].second[i], kRows[r].gains[i], 1e-3) << kRows[r].label << ", " << table->hz[i];
    }
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
