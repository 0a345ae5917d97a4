// Hörbarkeit as a family sees it, pixel by pixel, worked by hand: the
// spectrum lies from y 158, 522 high, in a 1020 x 700 view; -10 dB SPL at
// its bottom to 130 at its top, or -10 dB HL at its top to 120 at its
// bottom; band i is 43 pixels wide (1000 / 23) from x 43 i (the left ear's half first),
// centred at 600 sinh((i + 1.5) / 6) Hz.

#include "audiogram_presets.h"
#include "normal_threshold.h"
#include "test_support.h"
#include "view_fixture.h"

#include <QLocale>

#include <cmath>
#include <string>

namespace {

constexpr int kTop = 158;
constexpr int kHeight = 522;

double BandHz(int band)
{
    return 600 * std::sinh((band + 1.5) / 6);
}

int SplY(double spl)
{
    return static_cast<int>(kTop + kHeight - (spl + 10) * kHeight / 140);
}

CAudiogram Flat(double hearingLevel)
{
    std::string error;
    return *CAudiogram::Make({{250, hearingLevel}, {8000, hearingLevel}}, error);
}

bool Grey(ColorRef c)
{
    return (c & 0xFF) == ((c >> 8) & 0xFF) && (c & 0xFF) == ((c >> 16) & 0xFF) && (c & 0xFF) > 0x80 &&
           (c & 0xFF) < 0xE0;
}

struct Audibility : ViewTest {
    void SetUp() override
    {
        ViewTest::SetUp();
        const std::string dir = SONAFEL_RECORDINGS_DIR;
        const std::string paths[3] = {dir + "/sprache.wav", dir + "/music.wav", dir + "/noise.wav"};
        const char* names[3] = {paths[0].c_str(), paths[1].c_str(), paths[2].c_str()};
        sources.LoadSources(names);
        Resize(1020, 700);
        view->SetSpectrumView(CChildView::SpectrumView::Audibility);
    }

    void Play(const CAudiogram& audiogram, std::initializer_list<int> on, int blocks = 20)
    {
        LossSettings settings;
        settings.audiogram[0] = settings.audiogram[1] = audiogram;
        settings.levelMeasurement = true;
        view->Processor().Apply(settings);
        for (const int source : on)
            view->Processor().m_bSourceOn[source] = 1;
        for (int b = 0; b < blocks; ++b)
            view->Processor().ProcessBlock();
    }

    // Pixels of band `band`'s own colours (either ear's half) in its column.
    int BandColoured(const QImage& image, int band) const
    {
        int count = 0;
        for (int x = 43 * band; x < 43 * band + 43; ++x)
            for (int y = kTop; y < kTop + kHeight; ++y) {
                const ColorRef c = At(image, x, y);
                count += c == CChildView::HsvToRgb((300 * band) / 23, 0.75, 1.0) ||
                         c == CChildView::HsvToRgb((300 * band) / 23, 0.75, 0.6);
            }
        return count;
    }
};

}  // namespace

TEST_F(Audibility, ThroughN7MusicAbove1kHzIsGreyAndWithoutLossAllAboveNormalThresholdIsColoured)
{
    Play(FindAudiogramPreset("N7")->audiogram, {1});
    QImage image = Render();
    int bandsAbove1k = 0;
    for (int band = 0; band < CChildView::kBands; ++band) {
        if (BandHz(band) <= 1000)
            continue;
        ++bandsAbove1k;
        EXPECT_EQ(BandColoured(image, band), 0) << BandHz(band) << " Hz";
    }
    EXPECT_EQ(bandsAbove1k, 16);  // from band 7, centred at 1164 Hz

    // 0 dB HL: each ear's part of a band is coloured from normal
    // threshold up to its level, grey below it.
    Play(Flat(0), {0, 1});
    image = Render();
    int checked = 0;
    for (int band = 0; band < CChildView::kBands; ++band)
        for (const Ear ear : {Ear::Left, Ear::Right}) {
            const double level = view->EarBandLevel(ear, band);
            const double threshold = NormalThresholdSpl(BandHz(band));
            const int x = 43 * band + (ear == Ear::Left ? 10 : 32);
            if (level > threshold + 3 && level > -7) {
                const ColorRef c = At(image, x, (SplY(std::max(threshold, -10.0)) + SplY(level)) / 2);
                EXPECT_EQ(c, CChildView::HsvToRgb((300 * band) / 23, 0.75, ear == Ear::Left ? 1.0 : 0.6))
                    << BandHz(band) << " Hz, " << level << " dB SPL";
                ++checked;
            }
            // Below 0 dB SPL the dither's floor may take the bar's foot (at
            // most -4.2 dB SPL, at 8 kHz: 100 - 96.3 + 6 + 10 log10(888 / 22050)).
            if (threshold > 8 && level > threshold) {  // clear of the normal threshold's line
                EXPECT_TRUE(Grey(At(image, x, (SplY(0) + SplY(threshold)) / 2))) << BandHz(band) << " Hz";
            }
        }
    EXPECT_GT(checked, 30) << "most bands of both ears are heard";
}

TEST_F(Audibility, AsOnAnAudiogramTheBarsHangDownAndWhatPassesTheThresholdIsColoured)
{
    view->SetAudibilityInHearingLevel(true);
    Play(Flat(40), {0});
    const QImage image = Render();
    // 40 dB HL lies at 158 + 50 · 522 / 130 = 358.8.
    const int thresholdY = static_cast<int>(kTop + 50.0 * kHeight / 130);
    int heard = 0;
    for (int band = 0; band < CChildView::kBands; ++band) {
        const double hearingLevel = view->EarBandLevel(Ear::Left, band) - NormalThresholdSpl(BandHz(band));
        if (hearingLevel < 48)
            continue;
        ++heard;
        const int x = 43 * band + 10;
        EXPECT_EQ(At(image, x, thresholdY + 6), CChildView::HsvToRgb((300 * band) / 23, 0.75, 1.0))
            << BandHz(band) << " Hz, " << hearingLevel << " dB HL";
        EXPECT_TRUE(Grey(At(image, x, thresholdY - 8))) << BandHz(band) << " Hz";
    }
    EXPECT_GE(heard, 3);
}

TEST_F(Audibility, SilenceAndTheDithersFloorAreNeverDrawnAsSound)
{
    const auto drawn = [this] {
        const QImage image = Render();
        int count = 0;
        for (int band = 0; band < CChildView::kBands; ++band)
            count += BandColoured(image, band) + Grey(At(image, 43 * band + 10, SplY(-5)));
        return count;
    };
    // Nothing played yet.
    Play(Flat(0), {}, 2);
    EXPECT_EQ(drawn(), 0);

    // A recording of silence rounded to 16 bits with TPDF dither (half a
    // step RMS), played where full scale is 150 dB SPL: its noise in a
    // filter reads some 30 dB SPL, which is no sound.
    std::vector<short> dither(44100);
    unsigned state = 1;
    const auto uniform = [&state] {
        state = state * 1103515245u + 12345u;
        return (state >> 8) / 16777216.0 - 0.5;
    };
    for (short& sample : dither)
        sample = static_cast<short>(std::lround(uniform() + uniform()));
    sources.FreeSources();
    sources.m_pSourceData[0] = NewSamples(dither);
    sources.m_nSourceLen[0] = static_cast<int>(dither.size());
    LossSettings settings;
    settings.fullScaleSpl = 150;
    view->Processor().Apply(settings);
    Play(Flat(0), {0});
    view->Processor().SetFullScaleLevel(150);
    for (int b = 0; b < 10; ++b)
        view->Processor().ProcessBlock();
    EXPECT_EQ(drawn(), 0);
}

TEST_F(Audibility, TheIndexOfWhatPlaysIsStatedInNumbersAndAWord)
{
    const struct {
        double index;
        const char* word;
    } kWords[] = {{0.9, "gut"},    {0.75, "gut"},        {0.7499, "mäßig"},
                  {0.45, "mäßig"}, {0.4499, "schlecht"}, {0, "schlecht"}};
    for (const auto& w : kWords)
        EXPECT_EQ(CChildView::IndexWord(w.index), QString::fromUtf8(w.word)) << w.index;

    Play(FindAudiogramPreset("N3")->audiogram, {1}, 5);
    EXPECT_EQ(view->IndexLines(), QStringList{"SII (Sprache gegen Musik und Geräusch, letzte 4 s): keine Sprache"});
    // Speech switched on while music plays, soft (50 dB SPL); then an aid in both ears.
    view->Processor().SetPresentationLevel(50.0);
    view->Controls().SetSourceOn(0, true);
    for (int b = 0; b < 50; ++b)
        view->Processor().ProcessBlock();
    const QStringList unaided = view->IndexLines();
    ASSERT_EQ(unaided.size(), 2);
    EXPECT_TRUE(unaided[1].startsWith("rechts 0,")) << unaided[1].toStdString();
    EXPECT_TRUE(view->ShownNotices().contains(unaided[1])) << "screen readers";
    view->Processor().SetEarAid(Ear::Left, AidRule::NalR);
    view->Processor().SetEarAid(Ear::Right, AidRule::NalR);
    for (int b = 0; b < 50; ++b)
        view->Processor().ProcessBlock();
    const CSpeechMeter::Reading reading = view->SpeechMeter().Recent();
    ASSERT_TRUE(reading.aided);
    EXPECT_GT(reading.aided->both, reading.unaided.both + 0.05) << "the aid brings speech back";
    EXPECT_EQ(view->IndexLines().size(), 3);
    // An implanted ear's index is not applicable; both ears' is then the other's.
    view->Processor().SetEarImplant(Ear::Left, ImplantSettings());
    const CSpeechMeter::Reading implanted = view->SpeechMeter().Recent();
    ASSERT_EQ(view->IndexLines().size(), 3);
    EXPECT_EQ(view->IndexLines()[1],
              QStringLiteral("ohne Hörgerät: rechts %1 – %2; links (Implantat): nicht anwendbar")
                  .arg(QLocale(QLocale::German).toString(implanted.unaided.right, 'f', 2),
                       CChildView::IndexWord(implanted.unaided.right)));
    view->Processor().SetEarImplant(Ear::Right, ImplantSettings());
    EXPECT_EQ(view->IndexLines(), QStringList{"SII (Sprache gegen Musik und Geräusch, letzte 4 s): nicht anwendbar, "
                                              "beide Ohren hören mit Cochleaimplantat"});
    view->Processor().SetEarImplant(Ear::Left, std::nullopt);
    view->Processor().SetEarImplant(Ear::Right, std::nullopt);

    // Speech off: it counts until its last block leaves the 4 s (45 blocks).
    view->Controls().SetSourceOn(0, false);
    for (int b = 0; b < 44; ++b)
        view->Processor().ProcessBlock();
    EXPECT_TRUE(view->SpeechMeter().Recent().speech);
    view->Processor().ProcessBlock();
    EXPECT_FALSE(view->SpeechMeter().Recent().speech);
    EXPECT_TRUE(view->SpeechMeter().Whole().speech);

    // Without an audiogram the view is the relative one, and says no index.
    view->Processor().SetAudiogram(nullptr);
    EXPECT_EQ(view->ShownSpectrumView(), CChildView::SpectrumView::Relative);
    EXPECT_TRUE(view->IndexLines().isEmpty());
}
