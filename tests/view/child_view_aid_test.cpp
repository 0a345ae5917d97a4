// The aid as the view shows it: a banner naming what is heard, over the
// spectrum, and in the dB SPL display each ear's gain as a dotted curve.

#include "audiogram_presets.h"
#include "view_colours.h"
#include "view_fixture.h"

#include <functional>

TEST_F(ViewTest, TheAidsBannerNamesWhatIsHeard)
{
    const CAudiogram& s2 = FindAudiogramPreset("S2")->audiogram;
    const CAudiogram& n3 = FindAudiogramPreset("N3")->audiogram;
    const struct {
        std::function<void(LossSettings&)> set;
        const char* banner;
    } kCases[] = {
        {[](LossSettings&) {}, ""},
        {[](LossSettings& s) { s.aid[0] = s.aid[1] = AidRule::Fig6; }, "Mit Hörgerät: Fig6, beide Ohren"},
        {[](LossSettings& s) {
             s.aid[0] = s.aid[1] = AidRule::Fig6;
             s.aided = false;
         },
         "Ohne Hörgerät"},
        {[](LossSettings& s) {
             s.aid[0] = s.aid[1] = AidRule::Fig6;
             s.normalHearing = true;
         },
         ""},
        {[](LossSettings& s) {
             s.aid[0] = AidRule::Fig6;
             s.aid[1] = AidRule::NalR;
         },
         "Mit Hörgerät: links Fig6, rechts NAL-R"},
        {[](LossSettings& s) { s.aid[1] = AidRule::NalR; }, "Mit Hörgerät: NAL-R, rechtes Ohr"},
        {[](LossSettings& s) {
             s.aid[0] = s.aid[1] = AidRule::Fig6;
             s.ears = EarsHeard::Right;
         },
         "Mit Hörgerät: Fig6, rechtes Ohr"},
        {[](LossSettings& s) {
             s.aid[0] = AidRule::NalR;
             s.ears = EarsHeard::Right;
         },
         ""},  // not heard
    };
    Resize(1020, 700);
    for (const auto& c : kCases) {
        LossSettings settings;
        settings.audiogram[static_cast<int>(Ear::Left)] = s2;
        settings.audiogram[static_cast<int>(Ear::Right)] = n3;
        c.set(settings);
        view->Processor().Apply(settings);
        EXPECT_EQ(view->AidBanner(), QString::fromUtf8(c.banner));
        EXPECT_EQ(view->ShownNotices().contains(QString::fromUtf8(c.banner)), *c.banner != '\0') << "screen readers";
        // The banner's steel blue across the top of the spectrum (at y 158).
        const QImage image = Render();
        EXPECT_EQ(At(image, 20, 161) == 0x00906020, *c.banner != '\0') << c.banner;
    }
}

TEST_F(ViewTest, TheDecibelSplDisplayDrawsEachEarsGainDotted)
{
    // A flat 50 dB HL right ear with Fig6: 18 dB at 65 dB SPL at every
    // frequency, on the display's scale (150 dB over the spectrum's height).
    std::string error;
    LossSettings settings;
    settings.audiogram[static_cast<int>(Ear::Right)] = *CAudiogram::Make({{250, 50}, {8000, 50}}, error);
    settings.aid[static_cast<int>(Ear::Right)] = AidRule::Fig6;
    settings.levelMeasurement = true;
    view->Processor().Apply(settings);
    view->SetSplDisplay(true);
    Resize(1020, 700);
    const QImage image = Render();
    // Spectrum from y 158, 522 high: 18 dB lies at 158 + 522 - 18 · 522 / 150.
    const int y = 158 + 522 - static_cast<int>(18.0 * 522 / 150);
    int red = 0;
    for (int x = 300; x < 700; ++x)
        for (int dy = -2; dy <= 2; ++dy)
            red += At(image, x, y + dy) == kRightEarColour;
    EXPECT_GT(red, 100) << "a dotted red line at 18 dB";
    EXPECT_LT(red, 700) << "dotted: a solid line two pixels wide would be 800";
}
