// "Mikrofon (live)" in the window, with the virtual live stream, whose
// microphone hears a steady 1 kHz tone of peak 8000.

#include "application_fixture.h"
#include "audio_devices.h"
#include "clocked_live_stream.h"
#include "listening_level_dialog.h"
#include "mem_play.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>
#include <QMenuBar>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QSettings>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

// Waits up to `ms` for `done`, handling events meanwhile.
bool WaitFor(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Answers the next message box that comes up with the button labelled
// `button`, and keeps its text, and what `probe` said while it was up.
struct ButtonAnswer {
    QString text;
    QString informative;
    QString probed;
    int boxes = 0;
    QTimer timer;

    explicit ButtonAnswer(const QString& button, std::function<QString()> probe = {})
    {
        QObject::connect(&timer, &QTimer::timeout, [this, button, probe] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* const box = qobject_cast<QMessageBox*>(widget);
                if (!box || !box->isVisible())
                    continue;
                for (QAbstractButton* candidate : box->buttons())
                    if (candidate->text() == button) {
                        text = box->text();
                        informative = box->informativeText();
                        if (probe)
                            probed = probe();
                        ++boxes;
                        candidate->click();
                        return;
                    }
            }
        });
        timer.start(20);
    }
};

// The band with the highest level the view shows.
int LoudestBand(const CChildView& view)
{
    return static_cast<int>(
        std::max_element(view.Processor().m_dBandLevel, view.Processor().m_dBandLevel + CLossProcessor::kBands) -
        view.Processor().m_dBandLevel);
}

// The program started, as the other window tests start it.
struct LiveMode : Application {};

}  // namespace

TEST_F(LiveMode, TheMicrophoneIsHeardLiveThroughTheLossWhileTheRecordingsPause)
{
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QAction* const live = MenuAction("&Live", "&Mikrofon (live)");
    ASSERT_NE(live, nullptr);
    Click(&view, QPoint(100, 30));  // Sprache
    ASSERT_TRUE(g_memPlay.m_bOpen);

    {
        // The first time, the headphones notice; cancelled, nothing starts.
        ButtonAnswer cancel(QStringLiteral("Abbrechen"));
        live->trigger();
        EXPECT_EQ(cancel.text, QStringLiteral("Bitte Kopfhörer aufsetzen."));
        EXPECT_TRUE(cancel.informative.contains(QStringLiteral("Rückkopplung")));
    }
    EXPECT_FALSE(live->isChecked());
    EXPECT_FALSE(view.Live());
    EXPECT_TRUE(g_memPlay.m_bOpen);

    {
        ButtonAnswer confirm(QStringLiteral("Kopfhörer sind auf"));
        live->trigger();
        EXPECT_EQ(confirm.boxes, 1);
    }
    EXPECT_TRUE(live->isChecked());
    EXPECT_TRUE(view.Live());
    // The chain's 256 samples (5.8 ms); the virtual devices add nothing.
    EXPECT_EQ(view.LiveStatus(), QStringLiteral("Live · 6 ms"));
    EXPECT_FALSE(g_memPlay.m_bOpen) << "the recordings pause";
    EXPECT_EQ(view.Processor().m_bSourceOn[0], 0);

    // The spectrum is the microphone's (each block's level is averaged with
    // the last, so it rises over a few blocks): 1 kHz is 6·asinh(1000/600) = 7.70
    // Bark, in the band from 7 to 8 Bark (870 to 1059 Hz), the seventh.
    std::fill(view.Processor().m_dBandLevel, view.Processor().m_dBandLevel + CLossProcessor::kBands, 0.0);
    ASSERT_TRUE(WaitFor([&] { return LoudestBand(view) == 6 && view.Processor().m_dBandLevel[6] > 120.0; }));
    const double toneLevel = view.Processor().m_dBandLevel[6];

    // The dB SPL display too: the tone's RMS of 8000/√2 is −15.3 dB FS, at
    // full scale 100 dB SPL 84.7 dB SPL in the filter at 1 kHz.
    view.SetSplDisplay(true);
    ASSERT_TRUE(WaitFor([&] { return std::abs(view.LiveSplLevel(6) - 84.7) < 1.5; }))
        << view.LiveSplLevel(6) << " dB SPL";

    // A slider moved in the window reaches the live path: the strongest
    // high-frequency loss takes the tone away.
    view.Controls().SetValue(CControls::kHighFreq, 0.0);
    view.Processor().BuildHighFreqGain();
    ASSERT_TRUE(WaitFor([&] { return view.Processor().m_dBandLevel[6] < toneLevel - 20.0; }))
        << "the tone stayed at " << view.Processor().m_dBandLevel[6] << " dB";

    // The recordings' buttons take no clicks while paused.
    Click(&view, QPoint(100, 30));
    Settle();
    EXPECT_EQ(view.Processor().m_bSourceOn[0], 0);
    EXPECT_FALSE(g_memPlay.m_bOpen);

    // Other devices chosen: live sound opens on them, and the recordings
    // do not play in between.
    const int position = App().m_nSourcePos[0];
    QTimer::singleShot(0, [] {
        auto* dialog = dynamic_cast<CAudioDevicesDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->accept();
    });
    MenuAction("&Live", "&Audiogeräte…")->trigger();
    EXPECT_TRUE(view.Live());
    EXPECT_TRUE(live->isChecked());
    EXPECT_EQ(App().m_nSourcePos[0], position) << "the speech played on between the two live streams";
    EXPECT_FALSE(g_memPlay.m_bOpen);

    live->trigger();
    EXPECT_FALSE(live->isChecked());
    EXPECT_FALSE(view.Live());
    EXPECT_EQ(view.Processor().m_bSourceOn[0], 1) << "the recordings come back as they were";
    EXPECT_TRUE(g_memPlay.m_bOpen);

    // The notice was for the first time only.
    ButtonAnswer none(QStringLiteral("Abbrechen"));
    live->trigger();
    Settle();
    EXPECT_EQ(none.boxes, 0);
    EXPECT_TRUE(view.Live());
    MenuAction("&File", "E&xit")->trigger();
    Settle();
    EXPECT_EQ(App().MainFrame(), nullptr) << "the window closes while live";
}

TEST_F(LiveMode, EverySwitchOfTheWindowIsHeardLive)
{
    QSettings().setValue(QStringLiteral("live/headphonesConfirmed"), true);
    QSettings().remove(QStringLiteral("hearing"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QAction* n3 = nullptr;
    for (QAction* top : App().MainFrame()->menuBar()->actions())
        for (QAction* entry : top->menu()->actions())
            if (entry->menu())
                for (QAction* preset : entry->menu()->actions())
                    if (preset->text() == QStringLiteral("N3: mittlerer Hörverlust"))
                        n3 = preset;
    ASSERT_NE(n3, nullptr);
    n3->trigger();
    MenuAction("&Live", "&Mikrofon (live)")->trigger();
    ASSERT_TRUE(view.Live());
    // The microphone's 1 kHz tone (84.7 dB SPL) lies in band 6; its
    // neighbours take what smearing spreads. Each switch, toggled while live,
    // must move what the live path shows, and toggled back, bring it back.
    // At 1 kHz N3 has 40 dB HL: with recruitment the tone comes out 13 dB
    // down (ER = 102.6 / 62.6, 82.3 dB above threshold → 69.3), as a fixed
    // attenuation 40 dB down, so "Normal hören" lifts it by about 13 dB and
    // recruitment off lowers it by about 27.
    // A block's levels are averaged with the last's: settled once two
    // half seconds in a row (five blocks each, fewer on a slow machine)
    // move them by less than 0.5 dB.
    ASSERT_TRUE(WaitFor([&] { return view.Processor().m_dBandLevel[6] > 100.0; }));
    // The band shown, or with band -1 the level of the live output (the
    // display does not show the loudness slider, whose share is applied
    // after it, as for the recordings).
    const auto level = [&](int band) {
        return band >= 0 ? view.Processor().m_dBandLevel[band] : CClockedLiveStream::LastSecondOutputDb();
    };
    const auto settled = [&](int band) {
        int still = 0;
        for (int tries = 0; tries < 20 && still < 2; ++tries) {
            const double last = level(band);
            QTest::qWait(band >= 0 ? 500 : 1100);
            still = std::abs(level(band) - last) < 0.5 ? still + 1 : 0;
        }
        // A tone's skirt moves a little with where the blocks cut it: the
        // mean of a second.
        double sum = 0.0;
        for (int i = 0; i < 10; ++i) {
            QTest::qWait(100);
            sum += level(band);
        }
        return sum / 10;
    };
    const auto toggle = [this](const char* menu, const char* entry) { MenuAction(menu, entry)->trigger(); };
    const struct {
        const char* what;
        std::function<void()> change;
        int band;
        double least;  // dB the band moves at least, up (+), down (−), or either way (with `either`)
        bool either = false;
    } kSwitches[] = {
        {"Normal hören", [&] { toggle("Hör&verlust", "&Normal hören (Vergleich)"); }, 6, 10.0},
        {"Recruitment", [&] { toggle("Hör&verlust", "&Lautheitsausgleich (Recruitment)"); }, 6, -10.0},
        // Smearing reshapes the tone's skirt in the band below it.
        {"Verschmierung", [&] { toggle("Hör&verlust", "&Verschmierung nach Audiogramm"); }, 5, 2.0, true},
        // Loudness 0.5 is 37.5 dB down.
        {"Lautstärke",
         [&] {
             view.Controls().SetValue(CControls::kLoudness,
                                      view.Controls().Value(CControls::kLoudness) == 1.0 ? 0.5 : 1.0);
         },
         -1, -30.0},
        // Fig6 at 84.7 dB SPL through 40 dB HL: 12 · (95 - 84.7) / 30 = 4.1 dB
        // more at the ear, which recruitment expands to about 6.7.
        {"Hörgerät",
         [&] {
             const char* const wanted = view.Processor().AnyAid() ? "&Aus" : "&Fig6 (Kompression)";
             SubMenuAction("Hör&verlust", "Hör&gerät", wanted)->trigger();
         },
         6, 3.0},
    };
    for (const auto& sw : kSwitches) {
        const double before = settled(sw.band);
        sw.change();
        const double changed = settled(sw.band);
        sw.change();
        const double back = settled(sw.band);
        std::printf("%s: %s %d %.1f -> %.1f -> %.1f dB\n", sw.what, sw.band >= 0 ? "band" : "output", sw.band, before,
                    changed, back);
        const double moved = sw.either ? std::abs(changed - before) : (changed - before) * (sw.least > 0 ? 1 : -1);
        EXPECT_GE(moved, std::abs(sw.least)) << sw.what;
        EXPECT_NEAR(back, before, 1.5) << sw.what;
    }
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("activeLoss"));
}

TEST_F(LiveMode, TheCalibrationToneWaitsAndTheLiveSpectrumGoesWhenLiveSoundEnds)
{
    QSettings().setValue(QStringLiteral("live/headphonesConfirmed"), true);
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    // Nothing has played: what the view shows before live sound.
    const std::vector<double> before(view.Processor().m_dBandLevel,
                                     view.Processor().m_dBandLevel + CLossProcessor::kBands);
    const double maxBefore = view.Processor().m_dMaxLevel;
    QAction* const live = MenuAction("&Live", "&Mikrofon (live)");
    ASSERT_NE(live, nullptr);
    live->trigger();
    ASSERT_TRUE(view.Live());
    ASSERT_TRUE(WaitFor([&] { return LoudestBand(view) == 6 && view.Processor().m_dBandLevel[6] > 120.0; }));
    // Meanwhile the calibration tone would mix into what the listener hears.
    bool toneOffered = true;
    QString blocked;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<CListeningLevelDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        toneOffered = dialog->ToneButton().isEnabled();
        blocked = dialog->ToneBlocked();
        dialog->reject();
    });
    MenuAction("Hör&verlust", "&Wiedergabepegel…")->trigger();
    EXPECT_FALSE(toneOffered);
    EXPECT_TRUE(blocked.contains(QStringLiteral("während der Live-Ton läuft"))) << blocked.toStdString();
    live->trigger();
    ASSERT_FALSE(view.Live());
    Settle();
    EXPECT_EQ(
        std::vector<double>(view.Processor().m_dBandLevel, view.Processor().m_dBandLevel + CLossProcessor::kBands),
        before)
        << "the 1 kHz bar of the microphone stayed";
    EXPECT_EQ(view.Processor().m_dMaxLevel, maxBefore);
}

TEST_F(LiveMode, FeedbackMutesTheLiveOutputAndSaysSo)
{
    QSettings().setValue(QStringLiteral("live/headphonesConfirmed"), true);
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    // At full scale 150 dB SPL the 100 dB SPL ceiling is a peak of 146: the
    // tone of peak 8000 stays at the limiter, as feedback does.
    view.Processor().SetFullScaleLevel(150.0);
    QAction* const live = MenuAction("&Live", "&Mikrofon (live)");
    live->trigger();
    ASSERT_TRUE(view.Live());
    const auto status = [&view] { return view.LiveStatus(); };
    {
        ButtonAnswer again(QStringLiteral("Wieder einschalten"), status);
        ASSERT_TRUE(WaitFor([&] { return again.boxes == 1; }));
        EXPECT_EQ(again.text, QStringLiteral("Der Ausgang ist stumm."));
        EXPECT_TRUE(again.informative.contains(QStringLiteral("Kopfhörer")));
        EXPECT_EQ(again.probed, QStringLiteral("Live · stumm: Rückkopplung"));
        EXPECT_EQ(view.LiveStatus(), QStringLiteral("Live · 6 ms")) << "sound again";
    }
    {
        // A second later it is muted again; this time live sound ends.
        ButtonAnswer end(QStringLiteral("Live beenden"), status);
        ASSERT_TRUE(WaitFor([&] { return end.boxes == 1; }));
        EXPECT_EQ(end.probed, QStringLiteral("Live · stumm: Rückkopplung"));
    }
    EXPECT_FALSE(view.Live());
    EXPECT_FALSE(live->isChecked());
}

TEST(AudioDevices, ListedWithTheirLatencyKeptByNameAndStoredValuesBounded)
{
    SoundDevice mic{3, "USB-Mikrofon", "ALSA", 1, 0, 0.0058, 0.0};
    SoundDevice phones{7, "Kopfhörer", "JACK", 0, 2, 0.0, 0.0107};
    EXPECT_EQ(CAudioDevicesDialog::DeviceLabel(mic, true), QStringLiteral("USB-Mikrofon (ALSA) · 5,8 ms"));
    EXPECT_EQ(CAudioDevicesDialog::DeviceLabel(phones, false), QStringLiteral("Kopfhörer (JACK) · 10,7 ms"));
    // Through PipeWire: the sink's name, PipeWire named as the host, still kept under its JACK key.
    SoundDevice sink{9, "Eingebaute Lautsprecher", "JACK Audio Connection Kit", 2, 2, 0.0007, 0.0007, true};
    EXPECT_EQ(CAudioDevicesDialog::DeviceLabel(sink, false),
              QStringLiteral("Eingebaute Lautsprecher (PipeWire) · 0,7 ms"));
    EXPECT_EQ(FindSoundDevice({mic, sink}, "JACK Audio Connection Kit: Eingebaute Lautsprecher", false), 9);
    EXPECT_EQ(FindSoundDevice({mic, phones}, "JACK: Kopfhörer", false), 7);
    EXPECT_EQ(FindSoundDevice({mic, phones}, "JACK: Kopfhörer", true), -1) << "it has no input";
    EXPECT_EQ(FindSoundDevice({mic, phones}, "ALSA: Kopfhörer", false), -1) << "another host API";

    // Chosen devices, one of them unplugged now: still chosen, said so.
    CAudioDevicesDialog dialog({mic, phones}, {"ALSA: USB-Mikrofon", "PulseAudio: Lautsprecher"}, nullptr);
    const auto boxes = dialog.findChildren<QComboBox*>();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[0]->count(), 2) << "the default and the one input";
    EXPECT_EQ(boxes[1]->currentText(), QStringLiteral("PulseAudio: Lautsprecher (nicht angeschlossen)"));
    EXPECT_EQ(dialog.Chosen().input, "ALSA: USB-Mikrofon");
    EXPECT_EQ(dialog.Chosen().output, "PulseAudio: Lautsprecher");
    boxes[1]->setCurrentIndex(0);
    EXPECT_EQ(dialog.Chosen().output, "") << "the system's default";

    SaveAudioDevices({"ALSA: USB-Mikrofon", "JACK: Kopfhörer"});
    EXPECT_EQ(LoadAudioDevices().input, "ALSA: USB-Mikrofon");
    EXPECT_EQ(LoadAudioDevices().output, "JACK: Kopfhörer");
    QSettings settings;
    settings.setValue(QStringLiteral("audio/input"), QString(kMaxSoundDeviceKey + 1, QLatin1Char('x')));
    settings.setValue(QStringLiteral("audio/output"), QVariantList{1, 2});
    EXPECT_EQ(LoadAudioDevices().input, "") << "too long for a key";
    EXPECT_EQ(LoadAudioDevices().output, "") << "not text";
}
