#include "view_fixture.h"

#include "audiogram.h"
#include "test_support.h"

#include <cmath>

#include <QGuiApplication>
#include <QScreen>

#include <set>
#include <utility>
#include <vector>

namespace {

constexpr ColorRef kWhite = 0x00FFFFFF;

}  // namespace

TEST_F(ViewTest, SmallClientGivesTheMinimumSurface)
{
    Resize(270, 270);
    for (int i = 0; i < CLossProcessor::kBands; ++i)
        view->Processor().m_dBandLevel[i] = 80.0;  // every bar at full height
    const QImage image = Render();
    // Buttons 80 wide at 0, 85 and 170, 20 high, with white gaps and a white
    // line of 5 below them (where no label overflows its button).
    EXPECT_EQ(At(image, 0, 0), 0x00006400u);
    EXPECT_EQ(At(image, 79, 19), 0x00006400u);
    EXPECT_EQ(At(image, 80, 5), kWhite);
    EXPECT_EQ(At(image, 84, 5), kWhite);
    EXPECT_EQ(At(image, 85, 0), 0x00006464u);
    EXPECT_EQ(At(image, 85, 19), 0x00006464u);
    EXPECT_EQ(At(image, 249, 0), 0x00000064u);
    EXPECT_EQ(At(image, 249, 19), 0x00000064u);
    for (int y = 20; y < 25; ++y)
        EXPECT_EQ(At(image, 2, y), kWhite) << y;
    EXPECT_EQ(image.pixel(260, 15), view->palette().color(QPalette::Window).rgb()) << "beyond the surface";
    // Sliders from y = 25: three rows of 25, gaps of 5.
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(At(image, 249, 25 + 30 * r - 1), kWhite) << r;
        EXPECT_EQ(At(image, 249, 25 + 30 * r + 25), kWhite) << r;
    }
    EXPECT_EQ(view->m_rcLoudness.top, 25);
    EXPECT_EQ(view->m_rcResolution.bottom, 110);
    // The spectrum area runs from 115 to 250: 2 pixels per dB, 50 dB tall.
    const ColorRef band5 = CChildView::HsvToRgb(300 * 5 / 23, 0.75, 1.0);
    EXPECT_EQ(At(image, 55, 249), band5);
    EXPECT_EQ(At(image, 55, 150), band5);
    EXPECT_EQ(At(image, 55, 114), kWhite);
    // 14 points at the screen's resolution: 19 pixels at 96 dpi.
    if (QGuiApplication::primaryScreen()->logicalDotsPerInchY() == 96.0) {
        EXPECT_EQ(view->m_font.pixelSize(), 19);
    }
    // The margin shows the window colour, not the surface.
    EXPECT_EQ(image.pixel(5, 5), view->palette().color(QPalette::Window).rgb());
}

TEST_F(ViewTest, WideClientGeometryAndBars)
{
    Resize(1020, 700);
    view->Controls().SetValue(CControls::kHighFreq, 1.0);
    for (int i = 0; i < CLossProcessor::kBands; ++i)
        view->Processor().m_dBandLevel[i] = 79.0;
    const QImage image = Render();
    // w = 1000, h = 680: buttons 330 wide at 0, 335 and 670.
    for (int k = 0; k < 3; ++k) {
        EXPECT_NE(At(image, 335 * k, 0), kWhite) << k;
        EXPECT_NE(At(image, 335 * k + 329, 62), kWhite) << k;
        EXPECT_EQ(At(image, 335 * k, 63), kWhite) << k;
        if (k < 2) {
            EXPECT_EQ(At(image, 335 * k + 330, 0), kWhite) << k;
            EXPECT_EQ(At(image, 335 * k + 334, 0), kWhite) << k;
        }
    }
    // Bars 43 wide cover 989 pixels; the last 11 stay white.
    const int y = 600;
    EXPECT_EQ(At(image, 0, y), 0x004040FFu);
    EXPECT_EQ(At(image, 11 * 43, y), 0x0089FF40u);
    EXPECT_EQ(At(image, 988, y), 0x00FF40D2u);
    EXPECT_EQ(At(image, 42, y), 0x004040FFu);
    EXPECT_EQ(At(image, 43, y), CChildView::HsvToRgb(13, 0.75, 1.0));
    for (int x = 989; x < 1000; ++x)
        ASSERT_EQ(At(image, x, y), kWhite) << x;
}

TEST_F(ViewTest, ButtonsShowTheirStateWithLabelsOnTheirOwnColour)
{
    Resize(1020, 700);
    view->Controls().SetSourceOn(1, true);
    const QImage image = Render();
    const ColorRef fill[3] = {0x00006400, 0x0000C8C8, 0x00000064};
    for (int k = 0; k < 3; ++k) {
        std::set<ColorRef> colours;
        for (int y = 0; y < 63; ++y)
            for (int x = 335 * k; x < 335 * k + 330; ++x)
                colours.insert(At(image, x, y));
        EXPECT_TRUE(colours.count(fill[k])) << k;
        // Off: grey text on the dark colour, never white; on: white text.
        EXPECT_EQ(colours.count(kWhite), k == 1 ? 1u : 0u) << k;
        EXPECT_GT(colours.size(), 2u) << "a label is drawn on button " << k;
    }
}

TEST_F(ViewTest, SliderBandAndInvertedThumb)
{
    Resize(1020, 700);
    view->Controls().SetValue(CControls::kLoudness, 0.0);
    view->Controls().SetValue(CControls::kHighFreq, 1.0);
    const QImage image = Render();
    const CRect track = view->m_rcLoudness;
    EXPECT_EQ(track.right, 1000);
    EXPECT_EQ(track.bottom - track.top, 25);
    EXPECT_GT(view->m_nThumbWidth, 10);
    // Setting 0: the thumb's left edge on the track's left edge, band turned
    // 0x009F7F5F under it; the rest of the band stays 0x006080A0.
    EXPECT_EQ(At(image, track.left, track.top), 0x009F7F5Fu);
    EXPECT_EQ(At(image, track.left + view->m_nThumbWidth - 1, track.top + 24), 0x009F7F5Fu);
    EXPECT_EQ(At(image, track.left + view->m_nThumbWidth, track.top), 0x006080A0u);
    EXPECT_EQ(At(image, 998, track.top), 0x006080A0u);
    EXPECT_EQ(At(image, 0, track.top), 0x006080A0u) << "the title column";
    // Setting 1: the thumb's right edge on the track's right edge.
    const CRect high = view->m_rcHighFreq;
    EXPECT_EQ(At(image, 999, high.top), 0x009F7F5Fu);
    EXPECT_EQ(At(image, 999 - view->m_nThumbWidth, high.top), 0x006080A0u);
    EXPECT_EQ(At(image, 1000 - view->m_nThumbWidth, high.top), 0x009F7F5Fu);
    // Black label text under the thumb turns white.
    bool whiteText = false;
    for (int y = track.top; y < track.bottom; ++y)
        for (int x = track.left; x < track.left + view->m_nThumbWidth; ++x)
            whiteText = whiteText || At(image, x, y) == kWhite;
    EXPECT_TRUE(whiteText);
}

TEST_F(ViewTest, BarsStartOneDecibelAboveTheFloor)
{
    Resize(270, 270);  // spectrum 115..250, 2 pixels per dB
    view->Processor().m_dMaxLevel = 80.0;
    view->Processor().m_dBandLevel[3] = 30.0;  // at the floor: nothing
    view->Processor().m_dBandLevel[4] = 31.0;  // 1 dB above it: pxPerDb pixels
    for (int i : {0, 1, 2, 5, 6})
        view->Processor().m_dBandLevel[i] = -100.0;
    const QImage image = Render();
    const ColorRef band4 = CChildView::HsvToRgb(300 * 4 / 23, 0.75, 1.0);
    EXPECT_EQ(At(image, 45, 249), band4);
    EXPECT_EQ(At(image, 45, 248), band4);
    EXPECT_EQ(At(image, 45, 247), kWhite);
    EXPECT_EQ(At(image, 35, 249), kWhite);
}

TEST_F(ViewTest, GainCurveFollowsTheSettingsAndIsBuiltOnce)
{
    Resize(1020, 700);  // spectrum area: top 158, height 522
    const ColorRef curve = 0x0000C0FF;
    QImage image = Render();
    EXPECT_EQ(At(image, 300, 160), curve) << "gain 1 at full loudness lies on y = T + 2";

    view->Controls().SetValue(CControls::kLoudness, 0.0);
    image = Render();
    for (int x : {10, 300, 700, 930})
        EXPECT_EQ(At(image, x, 158 + 522 - 2), curve) << x;
    EXPECT_NE(At(image, 300, 160), curve);

    // A second paint with the same setting leaves the table alone.
    view->Controls().SetValue(CControls::kHighFreq, 0.5);
    Render();
    EXPECT_EQ(view->Processor().m_fHighFreqGain[2 * 100], 0.0f);
    view->Processor().m_fHighFreqGain[2 * 100] = 0.125f;
    Render();
    EXPECT_EQ(view->Processor().m_fHighFreqGain[2 * 100], 0.125f);
}

TEST_F(ViewTest, GainCurveIsDrawnFromEachBinsGainAtTheLoudnessHeight)
{
    Resize(1020, 700);  // surface 1000 x 680; spectrum area: top 158, height 522
    // A table set by hand, current for the setting so that painting keeps it:
    // gain 1 up to bin 39 and 0 from bin 40 in the even entries, 0.5 in the
    // odd ones, which the curve must not read.
    view->Controls().SetValue(CControls::kHighFreq, 0.5);
    g_dGainCurveSetting = 0.5;
    for (int k = 0; k < CLossProcessor::kBins; ++k) {
        view->Processor().m_fHighFreqGain[2 * k] = k < 40 ? 1.0f : 0.0f;
        view->Processor().m_fHighFreqGain[2 * k + 1] = 0.5f;
    }
    view->Controls().SetValue(CControls::kLoudness, 0.5);
    const QImage image = Render();
    // 43 pixels per Bark, 6·asinh(f/600) Bark at f = k·22050/256 Hz:
    // bin 20 at 10.66 Bark, x = 415; bin 60 at 17.09 Bark, x = 692.
    // yScale = (522 - 4)·0.5 = 259: gain 1 at y = 678 - 259 = 419, gain 0 at
    // y = 678. The 4-pixel pen covers y - 2 .. y + 1.
    const ColorRef curve = 0x0000C0FF;
    for (int y = 417; y <= 420; ++y)
        EXPECT_EQ(At(image, 415, y), curve) << y;
    EXPECT_EQ(At(image, 415, 416), kWhite);
    EXPECT_EQ(At(image, 415, 421), kWhite);
    EXPECT_EQ(At(image, 415, 548), kWhite) << "the odd entries are not drawn";
    for (int y = 676; y <= 679; ++y)
        EXPECT_EQ(At(image, 692, y), curve) << y;
    EXPECT_EQ(At(image, 692, 675), kWhite);
    EXPECT_EQ(At(image, 692, 419), kWhite);

    // During the comparison the curve is the one heard, no loss: the curve
    // of setting 1.0 at full loudness, gain 1 at y = 678 - 518 = 160, under
    // the comparison's banner; nothing of the sliders' curve is left.
    view->Processor().SetNormalHearing(true);
    const QImage normal = Render();
    EXPECT_EQ(view->Processor().NormalHighFreqGain()[120], 1.0f) << "the curve of setting 1.0 passes bin 60";
    EXPECT_EQ(At(normal, 692, 677), kWhite) << "the sliders' curve at bin 60";
    EXPECT_EQ(At(normal, 415, 419), kWhite) << "the sliders' curve at bin 20";
    view->Processor().SetNormalHearing(false);
}

TEST_F(ViewTest, LossLabelsSitAtTheEndsAndThirdsOfTheTrack)
{
    Resize(1020, 700);
    view->Controls().SetValue(CControls::kLoudness, 0.5);  // the thumb lies between the middle labels
    const QImage image = Render();
    const CRect track = view->m_rcLoudness;
    // Columns holding dark label text (black, smoothed at its edges), grouped
    // into labels 15 pixels apart.
    const auto dark = [](ColorRef c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF) < 150; };
    std::vector<std::pair<int, int>> labels;
    for (int x = track.left; x < track.right; ++x) {
        bool ink = false;
        for (int y = track.top; y < track.bottom && !ink; ++y)
            ink = dark(At(image, x, y));
        if (!ink)
            continue;
        if (labels.empty() || x - labels.back().second > 15)
            labels.push_back({x, x});
        else
            labels.back().second = x;
    }
    ASSERT_EQ(labels.size(), 4u);
    // Text runs from 10 pixels into the track to 10 pixels before its end;
    // the middle labels are centred on a third and two thirds of the span
    // (surface width - track start - 20), 10 pixels in and out.
    const int span = 1000 - track.left - 20;
    const auto centre = [](const std::pair<int, int>& label) { return (label.first + label.second + 1) / 2; };
    EXPECT_NEAR(labels[0].first, track.left + 10, 2);
    EXPECT_NEAR(centre(labels[1]), track.left + 10 + span / 3, 3);
    EXPECT_NEAR(centre(labels[2]), track.left - 10 + 2 * span / 3, 3);
    EXPECT_NEAR(labels[3].second, 1000 - 10 - 1, 2);
}

TEST_F(ViewTest, AnAudiogramHangsAsDeepAsItsLossAndNormalHearingShowsABanner)
{
    Resize(1020, 700);  // spectrum area: top 158, height 522, 10 pixels per dB, 0 dB at 680 - 500 = 180
    std::string error;
    const auto flat = CAudiogram::Make({{1000, 30}}, error);
    view->Processor().SetAudiogram(&*flat);
    view->SetAudiogramName(QStringLiteral("Probe"));
    QImage image = Render();
    // A violet tint from the bars' 0 dB down to 30 dB (y = 480).
    const auto tinted = [](ColorRef c) {
        const unsigned r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
        return c != kWhite && b > g && r > g;
    };
    for (int y : {185, 300, 477})
        EXPECT_TRUE(tinted(At(image, 415, y))) << y;
    EXPECT_EQ(At(image, 415, 484), kWhite);
    EXPECT_EQ(At(image, 415, 600), kWhite);
    bool named = false;
    for (int y = 158; y < 200; ++y)
        for (int x = 700; x < 1000; ++x)
            named = named || At(image, x, y) == 0x00A02070u;
    EXPECT_TRUE(named) << "the audiogram's name is written in its colour";

    // Taller, 1270 × 980: top 96 + 90 = 186, height 960 − 186 = 774, 15 pixels
    // per dB, 0 dB at 186 + 774 − 750 = 210; 30 dB HL ends at y = 660.
    Resize(1270, 980);
    image = Render();
    EXPECT_EQ(At(image, 515, 205), kWhite) << "above the bars' 0 dB";
    EXPECT_TRUE(tinted(At(image, 515, 212)));
    EXPECT_TRUE(tinted(At(image, 515, 657)));
    EXPECT_EQ(At(image, 515, 663), kWhite);
    Resize(1020, 700);

    // Deeper than the spectrum's 50 dB: the tint reaches the bottom.
    const auto deep = CAudiogram::Make({{1000, 90}}, error);
    view->Processor().SetAudiogram(&*deep);
    EXPECT_TRUE(tinted(At(Render(), 415, 650)));

    view->Processor().SetNormalHearing(true);
    image = Render();
    EXPECT_EQ(At(image, 5, 160), 0x00309030u) << "the comparison's banner";
    // The live badge comes under the banner, not over it.
    view->SetLive(true);
    view->SetLiveStatus(QStringLiteral("Live · 6 ms"), false);
    const QImage live = Render();
    int badgeTop = -1;
    for (int y = 158; y < 260 && badgeTop < 0; ++y)
        if (At(live, 500, y) == 0x002020B0u)
            badgeTop = y;
    int bannerBottom = 158;
    while (At(live, 5, bannerBottom) == 0x00309030u)
        ++bannerBottom;
    EXPECT_GT(bannerBottom, 170);
    EXPECT_GE(badgeTop, bannerBottom) << "the badge's red starts inside the banner";
    view->SetLive(false);
    EXPECT_EQ(At(image, 415, 300), kWhite) << "no audiogram drawn while every loss is off";

    view->Processor().SetNormalHearing(false);
    view->Processor().SetAudiogram(nullptr);
    EXPECT_EQ(At(Render(), 415, 300), kWhite);
}

TEST_F(ViewTest, TheSpectrumInDecibelsSplShowsTheSoundAtTheEarUnderTheThreshold)
{
    Resize(1020, 700);  // spectrum area: top 158, height 522, 3.48 pixels per dB up to 150 dB SPL
    view->SetSplDisplay(true);
    view->SetCalibrated(true);
    // A 1 kHz tone at RMS 20 dB below full scale: 80 dB SPL at full scale
    // 100 in the Bark band 7..8 (1 kHz lies at 7.70 Bark), drawn as the
    // seventh bar (the axis starts at 1 Bark): 278.4 pixels tall, from y = 401.
    std::vector<short> tone(20000);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<short>(std::lround(32768 * std::sqrt(2.0) * 0.1 * std::sin(2 * M_PI * 1000 * i / 44100.0)));
    sources.m_pSourceData[0] = NewSamples(tone);
    sources.m_nSourceLen[0] = static_cast<int>(tone.size());
    view->Controls().SetSourceOn(0, true);
    view->Processor().ProcessBlock();
    const ColorRef band6 = CChildView::HsvToRgb(300 * 6 / 23, 0.75, 1.0);
    QImage image = Render();
    EXPECT_EQ(At(image, 6 * 43 + 20, 403), band6);
    EXPECT_EQ(At(image, 6 * 43 + 20, 398), kWhite);

    // The sound at the ear does not change with the loss. The threshold of
    // the right ear's flat 30 dB HL (red, solid) lies 30 dB above normal
    // hearing's, T0: at bin 3 (258.4 Hz, 2.511 Bark, x = 1.511·43 = 64)
    // T0 = 11.0 dB SPL, so y = 680 - 41.0·3.48 = 537; at x = 600 (14.95
    // Bark, 3601 Hz) T0 = -5.7, so y = 680 - 24.3·3.48 = 595. The left
    // ear's flat 10 dB HL (blue, dashed) there: y = 680 - 4.3·3.48 = 665.
    std::string error;
    const auto flat = CAudiogram::Make({{1000, 30}}, error);
    const auto mild = CAudiogram::Make({{1000, 10}}, error);
    view->Processor().SetEarAudiogram(Ear::Right, &*flat);
    view->Processor().SetEarAudiogram(Ear::Left, &*mild);
    view->Processor().ProcessBlock();
    image = Render();
    constexpr ColorRef kRed = 0x000000C8u;
    constexpr ColorRef kBlue = 0x00C80000u;
    EXPECT_EQ(At(image, 6 * 43 + 20, 403), band6);
    EXPECT_EQ(At(image, 6 * 43 + 20, 398), kWhite);
    EXPECT_EQ(At(image, 64, 537), kRed) << "the right ear's threshold at 258 Hz";
    EXPECT_EQ(At(image, 600, 595), kRed) << "the right ear's threshold at 3.6 kHz";
    EXPECT_NE(At(image, 600, 575), kRed) << "not where 30 dB HL would lie as dB SPL";
    int blue = 0;
    for (int x = 580; x < 620; ++x)
        blue += At(image, x, 665) == kBlue;
    EXPECT_GT(blue, 10) << "the left ear's dashed threshold";
    EXPECT_LT(blue, 40) << "dashed, not solid";

    // The deepest loss an audiogram takes stays in view: 120 dB HL at
    // 258 Hz is 131.0 dB SPL, y = 680 - 131.0·3.48 = 224.
    const auto deepest = CAudiogram::Make({{1000, 120}}, error);
    view->Processor().SetEarAudiogram(Ear::Right, &*deepest);
    view->Processor().ProcessBlock();
    EXPECT_EQ(At(Render(), 64, 224), kRed) << "120 dB HL, not cut off at the display's top";
}

TEST(HsvToRgb, ColourConversion)
{
    EXPECT_EQ(CChildView::HsvToRgb(0, 0.75, 1), 0x004040FFu);
    EXPECT_EQ(CChildView::HsvToRgb(120, 1, 1), 0x0000FF00u);
    EXPECT_EQ(CChildView::HsvToRgb(60, 1, 1), 0x0000FFFFu);
    EXPECT_EQ(CChildView::HsvToRgb(143, 0.75, 1), 0x0089FF40u);
    EXPECT_EQ(CChildView::HsvToRgb(286, 0.75, 1), 0x00FF40D2u);
    for (double h : {0.0, 90.0, 200.0, 359.0})
        EXPECT_EQ(CChildView::HsvToRgb(h, 0.5, 0), 0u) << h;
}
