// The view of both ears: each band's bar split between the ears while both
// are heard, and the spectrum of one ear otherwise.

#include "test_support.h"
#include "view_fixture.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// A 1 kHz tone as speech, at RMS 20 dB below full scale.
void PlayTone(CSourceBank& sources, CChildView& view)
{
    std::vector<short> tone(20000);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<short>(std::lround(32768 * std::sqrt(2.0) * 0.1 * std::sin(2 * M_PI * 1000 * i / 44100.0)));
    sources.m_pSourceData[0] = NewSamples(tone);
    sources.m_nSourceLen[0] = static_cast<int>(tone.size());
    view.Processor().m_bSourceOn[0] = 1;  // the blocks are processed by hand, without a player
}

TEST_F(ViewTest, BothEarsHeardSplitEachBarAndOneEarHeardDrawsItsOwn)
{
    Resize(1020, 700);  // spectrum area: top 158, height 522, 10 pixels per dB, bars 43 wide
    PlayTone(sources, *view);
    std::string error;
    const auto left = CAudiogram::Make({{1000, 10}}, error);
    const auto right = CAudiogram::Make({{1000, 40}}, error);
    view->Processor().SetRecruitment(false);
    view->Processor().SetEarAudiogram(Ear::Left, &*left);
    view->Processor().SetEarAudiogram(Ear::Right, &*right);
    for (int block = 0; block < 20; ++block)
        view->Processor().ProcessBlock();
    ASSERT_TRUE(view->Processor().StereoBlock());
    // A fixed attenuation of 10 and 40 dB: the right ear's band lies 30 dB
    // below the left's.
    const double leftLevel = view->Processor().m_dBandLevel[6];
    const double rightLevel = view->Processor().RightBandLevel()[6];
    EXPECT_NEAR(leftLevel - rightLevel, 30.0, 0.5);

    // The tone's band is the seventh bar, x 258 to 301: the left ear's half
    // (258 to 279) lighter, the right's (279 to 301) darker, each as tall as
    // its level above the floor 50 dB below the highest level met. Below
    // the deeper loss (40 dB, y 558) nothing is shaded.
    const double floor = view->Processor().m_dMaxLevel - 50.0;
    const int leftTop = static_cast<int>(680 - (leftLevel - floor) * 10);
    const int rightTop = static_cast<int>(680 - (rightLevel - floor) * 10);
    ASSERT_LT(leftTop, rightTop - 250);
    ASSERT_LT(rightTop, 660);
    const QImage image = Render();
    EXPECT_EQ(At(image, 265, 670), CChildView::HsvToRgb(300 * 6 / 23, 0.75, 1.0));
    EXPECT_EQ(At(image, 292, 670), CChildView::HsvToRgb(300 * 6 / 23, 0.75, 0.6));
    EXPECT_NE(At(image, 265, leftTop + 2), At(image, 265, leftTop - 2)) << "the left half ends at its level";
    EXPECT_NE(At(image, 292, rightTop + 2), At(image, 292, rightTop - 2)) << "the right half ends at its level";
    EXPECT_EQ(At(image, 292, leftTop + 2), At(image, 292, leftTop - 2)) << "the right half is shorter";

    // One ear heard: its sound alone, in whole bars.
    view->Processor().SetEarsHeard(EarsHeard::Left);
    view->Processor().ProcessBlock();
    EXPECT_FALSE(view->Processor().StereoBlock());
    EXPECT_EQ(At(Render(), 292, 670), CChildView::HsvToRgb(300 * 6 / 23, 0.75, 1.0))
        << "the whole bar in the band's own colour";
}

}  // namespace
