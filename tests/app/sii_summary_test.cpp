// The index and the speech region as the audiogram dialog and its page
// show them. The indices were worked apart from the program from the
// standard's procedure (see the sonafel-sii tests).

#include "audiogram_chart.h"
#include "audiogram_dialog.h"
#include "audiogram_presets.h"
#include "sii_summary.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// A standard loss in one ear or both, at its own frequencies.
Listener Ears(const char* right, const char* left)
{
    Listener listener;
    for (const AudiogramPoint& point : FindAudiogramPreset(right)->audiogram.Points()) {
        listener.hz.push_back(point.hz);
        listener.right.push_back(point.hearingLevel);
        listener.left.push_back(FindAudiogramPreset(left)->audiogram.LevelAt(point.hz));
    }
    return listener;
}

}  // namespace

TEST(SiiSummary, SaysEachEffortsIndexPerEarAndBothAidedAndNot)
{
    const struct {
        Listener listener;
        AidRules aids;
        QStringList lines;
    } kCases[] = {
        {Ears("N3", "N3"),
         {},
         {"SII bei normaler Sprechweise: rechts 0,28, links 0,28, beide 0,32",
          "SII bei angehobener Sprechweise: rechts 0,47, links 0,47, beide 0,51",
          "SII bei lauter Sprechweise: rechts 0,63, links 0,63, beide 0,66"}},
        {Ears("N3", "N3"),
         {AidRule::Fig6, AidRule::Fig6},
         {"SII bei normaler Sprechweise: rechts 0,28, links 0,28, beide 0,32; mit Hörgerät: rechts 0,85, links 0,85, "
          "beide 0,87",
          "SII bei angehobener Sprechweise: rechts 0,47, links 0,47, beide 0,51; mit Hörgerät: rechts 0,85, links "
          "0,85, beide 0,85",
          "SII bei lauter Sprechweise: rechts 0,63, links 0,63, beide 0,66; mit Hörgerät: rechts 0,83, links 0,83, "
          "beide 0,83"}},
        // Right S2, left N3; NAL-R in both.
        {Ears("S2", "N3"),
         {AidRule::NalR, AidRule::NalR},
         {"SII bei normaler Sprechweise: rechts 0,47, links 0,28, beide 0,49; mit Hörgerät: rechts 0,61, links 0,68, "
          "beide 0,75"}},
    };
    for (const auto& c : kCases) {
        const QStringList lines = SiiSummary(c.listener, c.aids);
        ASSERT_EQ(lines.size(), 3);
        for (int i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(lines[i], c.lines[i]);
    }
}

TEST(SiiSummary, TheChartShadesTheSpeechRegionAndTheDialogStatesTheIndex)
{
    // The region at 1 kHz runs from 22.5 to 52.5 dB HL, at 8 kHz from -6.8 to 23.2.
    QImage chart(800, 544, QImage::Format_RGB32);
    {
        QPainter painter(&chart);
        CAudiogramChart::Draw(painter, QRectF(0, 0, 800, 544), {}, {}, {}, Ear::Right);
    }
    const QRectF plot = CAudiogramChart::PlotIn(QRectF(0, 0, 800, 544));
    const auto shaded = [&](double hz, double level) {
        const QColor c = chart.pixelColor(static_cast<int>(CAudiogramChart::XForHz(hz, plot)) + 3,
                                          static_cast<int>(CAudiogramChart::YForLevel(level, plot)) + 2);
        return c.red() > 240 && c.blue() < 220;
    };
    const struct {
        double hz, level;
        bool inside;
    } kPoints[] = {{1000, 25, true}, {1000, 50, true},  {1000, 15, false}, {1000, 60, false},
                   {7000, 0, true},  {7000, 30, false}, {500, 40, true},   {125, 40, false}};
    for (const auto& p : kPoints)
        EXPECT_EQ(shaded(p.hz, p.level), p.inside) << p.hz << " Hz, " << p.level << " dB HL";

    CAudiogramDialog dialog(Ears("N3", "N3"), Ear::Right);
    EXPECT_TRUE(dialog.IndexShown().startsWith("SII bei normaler Sprechweise: rechts 0,28, links 0,28, beide 0,32\n"))
        << dialog.IndexShown().toStdString();
    dialog.SetAidRules({AidRule::Fig6, AidRule::Off});
    EXPECT_TRUE(dialog.IndexShown().contains("; mit Hörgerät: rechts 0,28, links 0,85, beide 0,87\n"))
        << dialog.IndexShown().toStdString();
}
