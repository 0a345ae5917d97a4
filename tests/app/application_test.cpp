#include "about_dlg.h"
#include "audio_devices.h"
#include "clocked_wave_out.h"
#include "audiogram_dialog.h"
#include "audiogram_settings.h"
#include "remembered_choices.h"
#include "stored_loss_settings.h"
#include "listening_level_dialog.h"
#include "main_frame.h"
#include "mem_play.h"
#include "sonafel_app.h"
#include "splash_wnd.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <QDropEvent>
#include <QSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdlib>
#include <functional>
#include <map>
#include <filesystem>
#include <fstream>

#include "application_fixture.h"

TEST(SplashFlag, EmbeddingOrAutomationInAnyCaseSuppressesTheSplash)
{
    EXPECT_TRUE(CSonafelApp::SplashWanted({}));
    EXPECT_TRUE(CSonafelApp::SplashWanted({"file.txt", "-verbose"}));
    EXPECT_TRUE(CSonafelApp::SplashWanted({"Embedding"}));
    EXPECT_TRUE(CSonafelApp::SplashWanted({"-Embeddings"}));
    for (const char* flag : {"-Embedding", "/embedding", "-AUTOMATION", "/Automation"})
        EXPECT_FALSE(CSonafelApp::SplashWanted({"x", flag})) << flag;
}

TEST_F(Application, StartsWithTheSplashOverTheMainWindow)
{
    Start({}, true);
    CMainFrame* frame = App().MainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), "Sonafel - Auralith - Quorvale");
    EXPECT_TRUE(reports.messages.empty());
    ASSERT_NE(g_pSplashWnd, nullptr);
    EXPECT_TRUE(g_pSplashWnd->isVisible());
    EXPECT_EQ(g_pSplashWnd->size(), QSize(520, 317));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((g_pSplashWnd->geometry().center() - area.center()).manhattanLength(), 2);
    for (int source = 0; source < kSourceCount; ++source)
        EXPECT_GT(App().m_nSourceLen[source], 44100 * 15) << source;

    // Moving the mouse does not close it; a click on a source closes the
    // splash and does nothing else; the next click switches the source on.
    CChildView& view = frame->View();
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 30), view.mapToGlobal(QPointF(100, 30)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    EXPECT_NE(g_pSplashWnd, nullptr);
    Click(&view, QPoint(100, 30));
    Settle();
    EXPECT_EQ(g_pSplashWnd, nullptr);
    EXPECT_EQ(view.Processor().m_bSourceOn[0], 0);
    Click(&view, QPoint(100, 30));
    EXPECT_EQ(view.Processor().m_bSourceOn[0], 1);
    EXPECT_TRUE(g_memPlay.m_bOpen);
}

TEST_F(Application, SplashClosesByItselfAfterFiveSeconds)
{
    QElapsedTimer clock;
    clock.start();
    Start({}, true);
    ASSERT_NE(g_pSplashWnd, nullptr);
    // One precise single shot of 5000 ms, started while the program starts.
    const QTimer* timer = g_pSplashWnd->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 5000);
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_EQ(timer->timerType(), Qt::PreciseTimer);
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([] { return g_pSplashWnd == nullptr; }, kPatienceMs));
    EXPECT_GE(clock.elapsed(), 5000);
}

TEST_F(Application, AKeyWithAltClosesTheSplashAndGoesNowhereElse)
{
    Start({"/EMBEDDING"}, true);
    EXPECT_EQ(g_pSplashWnd, nullptr);
    CChildView& view = App().MainFrame()->View();
    InputSpy toView(view);
    InputSpy toMenu(*App().MainFrame()->menuBar());
    const auto stroke = [&view](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(type, key, modifiers);
        QApplication::sendEvent(&view, &event);
    };

    // Alt+F: the Alt press closes the splash; the F pressed while Alt is
    // held, and both releases, go nowhere either.
    CSplashWnd::SetSplashEnabled(true);
    CSplashWnd::OpenSplash(App().MainFrame());
    ASSERT_NE(g_pSplashWnd, nullptr);
    stroke(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    EXPECT_EQ(g_pSplashWnd, nullptr);
    stroke(QEvent::KeyPress, Qt::Key_F, Qt::AltModifier);
    stroke(QEvent::KeyRelease, Qt::Key_F, Qt::AltModifier);
    stroke(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    Settle();
    EXPECT_EQ(toView.keys, 0);
    EXPECT_EQ(toMenu.keys, 0);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no menu opened";

    // Once the stroke is over, keys reach the window again.
    stroke(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier);
    EXPECT_GT(toView.keys, 0);

    // A plain key: its press closes the splash, its release goes nowhere.
    CSplashWnd::OpenSplash(App().MainFrame());
    ASSERT_NE(g_pSplashWnd, nullptr);
    toView.keys = 0;
    stroke(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    stroke(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier);
    EXPECT_EQ(g_pSplashWnd, nullptr);
    EXPECT_EQ(toView.keys, 0);
}

TEST_F(Application, EveryMouseButtonOnClientOrFrameClosesTheSplashAndGoesNowhereElse)
{
    Start({"-Embedding"}, true);
    CMainFrame& frame = *App().MainFrame();
    CChildView& view = frame.View();
    CSplashWnd::SetSplashEnabled(true);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::NonClientAreaMouseButtonPress})
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            CSplashWnd::OpenSplash(&frame);
            ASSERT_NE(g_pSplashWnd, nullptr);
            QWidget& target = type == QEvent::MouseButtonPress ? static_cast<QWidget&>(view) : frame;
            InputSpy spy(target);
            QMouseEvent press(type, QPointF(100, 30), target.mapToGlobal(QPointF(100, 30)), button, button,
                              Qt::NoModifier);
            QApplication::sendEvent(&target, &press);
            EXPECT_EQ(g_pSplashWnd, nullptr) << type << " " << button;
            EXPECT_EQ(spy.presses, 0) << type << " " << button;
        }
    EXPECT_EQ(view.Processor().m_bSourceOn[0], 0) << "the left click on Sprache went nowhere";
}

TEST_F(Application, MissingRecordingsGiveThreeMessagesInOrderThenTheWindow)
{
    Start({"-Embedding"}, false);
    EXPECT_EQ(reports.messages, (std::vector<std::string>{"Unable to open 'sprache.wav'", "Unable to open 'music.wav'",
                                                          "Unable to open 'noise.wav'"}));
    ASSERT_NE(App().MainFrame(), nullptr);
    EXPECT_TRUE(App().MainFrame()->isVisible());
    // A silent source still starts playback.
    CChildView& view = App().MainFrame()->View();
    Click(&view, QPoint(100, 30));
    EXPECT_TRUE(g_memPlay.m_bOpen);
}

TEST_F(Application, AboutBoxAndMenuCommands)
{
    Start({"-Embedding"}, true);
    ASSERT_NE(MenuAction("&File", "E&xit"), nullptr);
    ASSERT_NE(MenuAction("&Help", "Sonafel Home Page"), nullptr);
    QAction* about = MenuAction("&Help", "&About Sonafel...");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(App().MainFrame()->findChildren<QToolBar*>().size(), 0);
    EXPECT_EQ(App().MainFrame()->findChildren<QStatusBar*>().size(), 0);

    QStringList texts;
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (const QLabel* label : box->findChildren<QLabel*>())
            texts << label->text();
        static_cast<QDialog*>(box)->accept();
    });
    about->trigger();
    EXPECT_EQ(title, "About sonafel");
    EXPECT_TRUE(texts.contains("Auralith Version 1.2"));
    EXPECT_TRUE(texts.filter("2011").size() == 1);
    EXPECT_TRUE(texts.filter("/resource/sonafel/").size() == 1);

    // Exit closes the window, while sound plays.
    Click(&App().MainFrame()->View(), QPoint(100, 30));
    ASSERT_TRUE(g_memPlay.m_bOpen);
    MenuAction("&File", "E&xit")->trigger();
    Settle();
    EXPECT_EQ(App().MainFrame(), nullptr);
    EXPECT_FALSE(g_memPlay.m_bOpen) << "the view closed the player";
}

TEST_F(Application, TheHearingLossMenuChoosesLossesAndComparesWithNormalHearing)
{
    Start({"-Embedding"}, true);
    QStringList menus;
    for (QAction* top : App().MainFrame()->menuBar()->actions())
        menus << top->text();
    EXPECT_EQ(menus, (QStringList{"&File", "Hör&verlust", "&Ansicht", "&Live", "&Help"}));
    CChildView& view = App().MainFrame()->View();
    EXPECT_FALSE(view.Processor().EarChain(Ear::Left).Stage().Active());

    QAction* n3 = SubMenuAction("Hör&verlust", "Standardaudiogramme", "N3: mittlerer Hörverlust");
    QAction* normal = MenuAction("Hör&verlust", "&Normal hören (Vergleich)");
    QAction* none = MenuAction("Hör&verlust", "&Kein Audiogramm");
    ASSERT_NE(n3, nullptr);
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(normal->shortcut(), QKeySequence(Qt::Key_Space));

    n3->trigger();
    EXPECT_TRUE(view.Processor().EarChain(Ear::Left).Stage().Active());
    EXPECT_EQ(view.AudiogramName(), "N3: mittlerer Hörverlust");
    EXPECT_NEAR(view.Processor().EarChain(Ear::Left).Stage().Gains()[2 * 93], 0.00056234f, 1e-8f)
        << "8 kHz: 65 dB HL held: 10^(-65/20)";
    EXPECT_TRUE(n3->isChecked());

    normal->trigger();
    EXPECT_TRUE(view.Processor().NormalHearing());
    EXPECT_EQ(view.Processor().m_dLoudness, 1.0) << "the sliders do not move";
    normal->trigger();
    EXPECT_FALSE(view.Processor().NormalHearing());

    none->trigger();
    EXPECT_FALSE(view.Processor().EarChain(Ear::Left).Stage().Active());
    EXPECT_FALSE(n3->isChecked());
}

TEST_F(Application, TheAudiogramDialogAppliesOnOkOnlyAndOffersTheLastOneAgain)
{
    QSettings().remove(QStringLiteral("audiogram"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QAction* enter = MenuAction("Hör&verlust", "&Audiogramm…");
    ASSERT_NE(enter, nullptr);
    const auto answer = [](int level, bool ok) {
        QTimer::singleShot(0, [level, ok] {
            auto* dialog = dynamic_cast<CAudiogramDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            for (int i = 0; i < dialog->FieldCount(); ++i)
                dialog->Field(i).setValue(level);
            if (!ok)  // asked whether to discard what was typed: yes
                QTimer::singleShot(0, [] {
                    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                    ASSERT_NE(box, nullptr);
                    for (QAbstractButton* button : box->buttons())
                        if (button->text() == QStringLiteral("&Verwerfen"))
                            button->click();
                });
            ok ? dialog->accept() : dialog->reject();
        });
    };
    answer(40, false);
    enter->trigger();
    EXPECT_FALSE(view.Processor().EarChain(Ear::Left).Stage().Active()) << "Cancel changes nothing";
    EXPECT_FALSE(LoadLastAudiogram());

    answer(40, true);
    enter->trigger();
    ASSERT_TRUE(view.Processor().EarChain(Ear::Right).Stage().Active());
    EXPECT_FLOAT_EQ(view.Processor().EarChain(Ear::Right).Stage().Gains()[2 * 12], 0.01f) << "40 dB HL everywhere";
    EXPECT_FLOAT_EQ(view.Processor().EarChain(Ear::Left).Stage().Gains()[2 * 12], 1.0f)
        << "the left ear not edited: 0 dB HL";
    EXPECT_TRUE(view.Processor().Stereo()) << "both ears heard, each on its channel";
    EXPECT_EQ(view.AudiogramName(), "eingegeben");
    ASSERT_TRUE(LoadLastAudiogram());

    // The next time the dialog opens with it.
    int offered = -1;
    QTimer::singleShot(0, [&offered] {
        auto* dialog = dynamic_cast<CAudiogramDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        offered = static_cast<int>(dialog->Field(6).value());
        dialog->reject();
    });
    enter->trigger();
    EXPECT_EQ(offered, 40);
    QSettings().remove(QStringLiteral("audiogram"));
}

TEST_F(Application, TheDialogStartsFromTheActiveLossKeepsTheListenersNameAndEndsTheComparison)
{
    QSettings().remove(QStringLiteral("audiogram"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QAction* enter = MenuAction("Hör&verlust", "&Audiogramm…");
    QAction* normal = MenuAction("Hör&verlust", "&Normal hören (Vergleich)");
    QAction* s2 = SubMenuAction("Hör&verlust", "Standardaudiogramme", "S2: mittlerer Steilabfall");
    ASSERT_TRUE(enter && normal && s2);

    // Choosing a loss during the comparison ends it, so the loss is heard.
    normal->trigger();
    ASSERT_TRUE(view.Processor().NormalHearing());
    s2->trigger();
    EXPECT_FALSE(view.Processor().NormalHearing());
    EXPECT_FALSE(normal->isChecked());

    // The dialog opens with S2 at its own ten frequencies; one change, and
    // a name typed, then OK: the view names the listener.
    std::vector<double> hz;
    QTimer::singleShot(0, [&hz] {
        auto* dialog = dynamic_cast<CAudiogramDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        hz = dialog->Entered().hz;
        EXPECT_EQ(dialog->Entered().right[8], 95.0) << "4 kHz";
        EXPECT_EQ(dialog->NameEdit().text(), "S2: mittlerer Steilabfall");
        dialog->Field(8).setValue(90);
        dialog->NameEdit().setText("Frau M.");
        dialog->EarChoice().setCurrentIndex(1);
        dialog->Field(0).setValue(30);
        dialog->accept();
    });
    normal->trigger();
    enter->trigger();
    EXPECT_EQ(hz, (std::vector<double>{250, 375, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000}));
    EXPECT_EQ(view.AudiogramName(), "Frau M.");
    EXPECT_FALSE(view.Processor().NormalHearing()) << "OK in the dialog ends the comparison too";
    EXPECT_FALSE(s2->isChecked());
    ASSERT_TRUE(view.Processor().EarChain(Ear::Left).ActiveAudiogram());
    EXPECT_EQ(view.Processor().EarChain(Ear::Left).ActiveAudiogram()->LevelAt(250), 30.0);
    EXPECT_EQ(view.Processor().EarChain(Ear::Left).ActiveAudiogram()->LevelAt(4000), 95.0)
        << "the left ear kept S2 at 4 kHz";
    ASSERT_TRUE(view.Processor().EarChain(Ear::Right).ActiveAudiogram());
    EXPECT_EQ(view.Processor().EarChain(Ear::Right).ActiveAudiogram()->LevelAt(4000), 90.0)
        << "the right ear as changed";
    EXPECT_EQ(view.Processor().EarChain(Ear::Right).ActiveAudiogram()->LevelAt(250), 20.0);

    // A damaged stored audiogram is named when the dialog would take it.
    MenuAction("Hör&verlust", "&Kein Audiogramm")->trigger();
    QSettings().setValue(QStringLiteral("audiogram/listener"), QStringLiteral("{\"L\": [[[[[[[[[[1]]]]]]]]]]}"));
    QString message;
    int fields = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            message = box->text();
            box->accept();
        } else if (auto* dialog = dynamic_cast<CAudiogramDialog*>(modal)) {
            fields = dialog->FieldCount();
            dialog->reject();
        }
    });
    answer.start(20);
    enter->trigger();
    EXPECT_EQ(message, "Das zuletzt eingegebene Audiogramm ist in den Einstellungen beschädigt und wird nicht "
                       "verwendet; der Dialog beginnt leer. (mehr als 8 Ebenen tief verschachtelt, keine Hörerdatei)");
    EXPECT_EQ(fields, 11) << "the dialog opens empty";
    QSettings().remove(QStringLiteral("audiogram"));
}

TEST_F(Application, RecruitmentSmearingAndTheCalibratedListeningLevelFromTheMenu)
{
    QSettings().remove(QStringLiteral("calibration"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QAction* recruitment = MenuAction("Hör&verlust", "&Lautheitsausgleich (Recruitment)");
    QAction* smearing = MenuAction("Hör&verlust", "&Verschmierung nach Audiogramm");
    QAction* spl = MenuAction("&Ansicht", "Pegel in dB &SPL am Ohr");
    QAction* level = MenuAction("Hör&verlust", "&Wiedergabepegel…");
    ASSERT_TRUE(recruitment && smearing && spl && level);
    EXPECT_TRUE(recruitment->isChecked());
    EXPECT_FALSE(smearing->isChecked());
    recruitment->trigger();
    EXPECT_FALSE(view.Processor().Recruitment());
    smearing->trigger();
    EXPECT_TRUE(view.Processor().AudiogramSmearing());
    EXPECT_TRUE(spl->isEnabled()) << "nominal levels are shown, and said to be";
    EXPECT_EQ(view.Processor().FullScaleLevel(), 100.0);

    // A meter reading of 85 dB SPL for the tone at -20 dB FS: full scale at
    // 105. The tone plays on the output chosen in Audiogeräte….
    SaveAudioDevices({std::string(), "ALSA: Kopfhörer"});
    QTimer::singleShot(0, [] {
        auto* dialog = dynamic_cast<CListeningLevelDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const auto* device = dynamic_cast<const CClockedWaveOut*>(&dialog->Tone().Device());
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->OutputKey(), "ALSA: Kopfhörer");
        EXPECT_TRUE(dialog->ToneButton().isEnabled());
        dialog->Reading().setText("85");
        dialog->SpeechLevel().setCurrentIndex(3);
        dialog->accept();
    });
    level->trigger();
    EXPECT_EQ(view.Processor().FullScaleLevel(), 105.0);
    EXPECT_EQ(view.Processor().PresentationLevel(), 80.0);
    EXPECT_EQ(LoadLossSettings().Level().fullScale, 105.0);
    spl->trigger();
    EXPECT_TRUE(view.SplDisplay());
    QSettings().remove(QStringLiteral("view"));

    // With a source on, the tone waits, and the dialog says why.
    Click(&view, QPoint(100, 30));
    QString blocked;
    QTimer::singleShot(0, [&blocked] {
        auto* dialog = dynamic_cast<CListeningLevelDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(dialog->ToneButton().isEnabled());
        blocked = dialog->ToneBlocked();
        dialog->reject();
    });
    level->trigger();
    EXPECT_TRUE(blocked.contains(QStringLiteral("wenn alle Quellen aus sind"))) << blocked.toStdString();
    QSettings().remove(QStringLiteral("calibration"));
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("audio"));
}

TEST_F(Application, OwnRecordingsFromTheFileMenuOrDroppedOnAButtonAndBackToTheBundledOnes)
{
    Start({"-Embedding"}, true);
    QStringList entries;
    for (QAction* top : App().MainFrame()->menuBar()->actions())
        if (top->text() == "&File")
            for (QAction* item : top->menu()->actions())
                entries << item->text();
    EXPECT_EQ(entries, (QStringList{"Eigene &Sprache…", "Eigene &Musik…", "Eigene &Hintergrundgeräusche…",
                                    "Mitgelieferte &Aufnahmen", "", "E&xit"}));
    const int bundled = App().m_nSourceLen[1];

    // A 48 kHz stereo FLAC file of two seconds, dropped on "Musik" while
    // speech plays.
    CChildView& view = App().MainFrame()->View();
    Click(&view, QPoint(100, 30));
    ASSERT_TRUE(g_memPlay.m_bOpen);
    // "%1" in a name is the name's, not a place for the message's numbers.
    const std::string flac = dir.Path("own%1.flac").string();
    ASSERT_EQ(std::system(("sox -n -r 48000 -c 2 '" + flac + "' synth 2 sine 500 vol 0.3").c_str()), 0);
    EXPECT_EQ(view.SourceButtonAt(400, 30), 1);
    EXPECT_EQ(view.SourceButtonAt(400, 90), -1) << "below the buttons";
    Drop(flac, QPoint(400, 30));
    EXPECT_TRUE(QTest::qWaitFor([] { return App().m_nSourceLen[1] == 2 * 44100; }, kPatienceMs)) << App().m_nSourceLen[1];
    EXPECT_EQ(*std::max_element(App().m_pSourceData[1], App().m_pSourceData[1] + 2 * 44100), 10000)
        << "the music's level";
    EXPECT_EQ(view.SourceFile(1), QString::fromStdString(flac)) << "the button names the file";
    EXPECT_TRUE(view.SourceToolTip(1).startsWith(QString::fromUtf8("Musik: ") + QString::fromStdString(flac)));
    EXPECT_TRUE(view.SourceToolTip(0).startsWith(QString::fromUtf8("Sprache: mitgelieferte Aufnahme")));

    // A file that cannot be used is named, and the recording plays on.
    std::ofstream(dir.Path("text.wav")) << "kein Klang";
    const MessageAnswer answer;
    Drop(dir.Path("text.wav").string(), QPoint(400, 30));
    EXPECT_TRUE(QTest::qWaitFor([&answer] { return !answer.message.isEmpty(); }, kPatienceMs));
    // In German, what happened and what to do; the library's words after it.
    const QString refused = answer.message;
    EXPECT_TRUE(refused.startsWith(QString::fromUtf8("„%1“ lässt sich nicht als Aufnahme öffnen")
                                       .arg(QString::fromStdString(dir.Path("text.wav").string()))))
        << refused.toStdString();
    EXPECT_TRUE(refused.contains(QString::fromUtf8("Wählen Sie eine Tondatei"))) << refused.toStdString();
    EXPECT_TRUE(refused.contains(QString::fromUtf8("\nDie bisherige Aufnahme spielt weiter.\n("))) << refused.toStdString();
    EXPECT_TRUE(refused.endsWith(QLatin1Char(')')));
    EXPECT_FALSE(refused.contains(QLatin1String("cannot be used"))) << "no English sentence of ours";
    EXPECT_EQ(App().m_nSourceLen[1], 2 * 44100);

    MenuAction("&File", "Mitgelieferte &Aufnahmen")->trigger();
    EXPECT_EQ(App().m_nSourceLen[1], bundled);
    EXPECT_TRUE(view.SourceFile(1).isEmpty());
    EXPECT_TRUE(LoadOwnSound(1).isEmpty()) << "not found again at the next start";
    EXPECT_TRUE(g_memPlay.m_bOpen) << "sound played on throughout";
}

TEST_F(Application, AnOwnRecordingNoDemonstrationNeedsIsRefusedAndClosingDoesNotWaitForADecoding)
{
    Start({"-Embedding"}, true);
    const int bundled = App().m_nSourceLen[0];
    // 2 MB of samples whose header says 1 Hz, dropped on "Sprache".
    WriteWavDeclaringRate(dir.Path("one%1hz.wav"), std::vector<short>(1000000, 1000), 1);
    const MessageAnswer answer;
    Drop(dir.Path("one%1hz.wav").string(), QPoint(100, 30));
    EXPECT_TRUE(QTest::qWaitFor([&answer] { return !answer.message.isEmpty(); }, kPatienceMs));
    EXPECT_TRUE(answer.message.contains(QString::fromUtf8(
        "/one%1hz.wav“ hat einen Kanal bei 1 Hz. Eine Aufnahme darf 1 bis 32 Kanäle bei 8000 bis 192000 Hz haben.")))
        << answer.message.toStdString();
    EXPECT_FALSE(answer.message.contains(QStringLiteral("it declares"))) << "no English reason of ours";
    EXPECT_EQ(App().m_nSourceLen[0], bundled) << "the speech plays on";

    // A named pipe nobody writes to: the decoding thread blocks in opening it.
    // The window closes all the same; the pipe is opened for writing later,
    // so that the thread ends.
    const std::filesystem::path pipe = dir.Path("stuck.wav");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Drop(pipe.string(), QPoint(100, 30));
    Settle();
    std::thread release([pipe] {
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::ofstream writer(pipe);
    });
    QElapsedTimer closing;
    closing.start();
    App().MainFrame()->close();
    Settle();
    EXPECT_LT(closing.elapsed(), 5000) << "closing waited for the decoding";
    EXPECT_EQ(App().MainFrame(), nullptr);
    release.join();
}

TEST_F(Application, ClosingTheWindowWhileSoundPlays)
{
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    Click(&view, QPoint(100, 30));
    Click(&view, QPoint(900, 30));
    // A fifth block follows the first finished buffer.
    ASSERT_TRUE(QTest::qWaitFor([] { return App().m_nSourcePos[0] >= 5 * 3968; }, kPatienceMs));
    ASSERT_TRUE(g_memPlay.m_bOpen);
    App().MainFrame()->close();
    Settle();
    EXPECT_EQ(App().MainFrame(), nullptr);
    EXPECT_FALSE(g_memPlay.m_bOpen);
    EXPECT_EQ(App().ExitInstance(), 0);
    for (int source = 0; source < kSourceCount; ++source)
        EXPECT_EQ(App().m_nSourceLen[source], 0);
}

TEST_F(Application, TheEarsHeardSwitchWhileSoundPlaysAndAreKeptForTheNextStart)
{
    QSettings().remove(QStringLiteral("hearing"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QAction* both = MenuAction("Hör&verlust", "&Beide Ohren");
    QAction* left = MenuAction("Hör&verlust", "Nur l&inks");
    QAction* normal = MenuAction("Hör&verlust", "&Normal hören (Vergleich)");
    ASSERT_TRUE(both && left && normal);
    EXPECT_TRUE(both->isChecked()) << "both ears by default";

    // Speech plays without an audiogram: one channel, as ever.
    Click(&view, QPoint(100, 30));
    ASSERT_TRUE(g_memPlay.m_bOpen);
    EXPECT_EQ(g_memPlay.m_format.channels, 1);
    // An entered audiogram, the ears apart: each ear on its channel.
    QTimer::singleShot(0, [] {
        auto* dialog = dynamic_cast<CAudiogramDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < dialog->FieldCount(); ++i)
            dialog->Field(i).setValue(60);
        dialog->accept();
    });
    MenuAction("Hör&verlust", "&Audiogramm…")->trigger();
    ASSERT_TRUE(g_memPlay.m_bOpen) << "sound plays on";
    EXPECT_EQ(g_memPlay.m_format.channels, 2);
    EXPECT_TRUE(view.Processor().Stereo());

    // One ear alone: one channel again; the comparison changes nothing of that.
    left->trigger();
    EXPECT_TRUE(g_memPlay.m_bOpen);
    EXPECT_EQ(g_memPlay.m_format.channels, 1);
    EXPECT_EQ(view.Processor().Heard(), EarsHeard::Left);
    normal->trigger();
    EXPECT_EQ(g_memPlay.m_format.channels, 1);
    normal->trigger();
    both->trigger();
    EXPECT_EQ(g_memPlay.m_format.channels, 2);
    left->trigger();
    MenuAction("Hör&verlust", "&Kein Audiogramm")->trigger();
    EXPECT_EQ(g_memPlay.m_format.channels, 1);
    EXPECT_TRUE(g_memPlay.m_bOpen) << "sound played on throughout";
    EXPECT_EQ(LoadLossSettings().settings.ears, EarsHeard::Left);

    // The next start hears as the last one did; an unknown entry means both.
    Restart();
    EXPECT_TRUE(MenuAction("Hör&verlust", "Nur l&inks")->isChecked());
    EXPECT_EQ(App().MainFrame()->View().Processor().Heard(), EarsHeard::Left);
    QSettings().setValue(QStringLiteral("hearing/ears"), QStringLiteral("middle"));
    EXPECT_EQ(LoadLossSettings().settings.ears, EarsHeard::Both);
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("audiogram"));
}

TEST_F(Application, ChoicesAreKeptForTheNextStartAndDamagedEntriesAreIgnored)
{
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("activeLoss"));
    QSettings().remove(QStringLiteral("view"));
    Start({"-Embedding"}, true);
    const auto item = [this](const char* menu, const char* text) {
        QAction* const action = MenuAction(QString::fromUtf8(menu), QString::fromUtf8(text));
        EXPECT_NE(action, nullptr) << text;
        return action;
    };
    const auto standardLoss = [](const char* name) -> QAction* {
        for (QAction* top : App().MainFrame()->menuBar()->actions())
            for (QAction* entry : top->menu()->actions())
                if (entry->menu())
                    for (QAction* preset : entry->menu()->actions())
                        if (preset->text() == QString::fromUtf8(name))
                            return preset;
        return nullptr;
    };
    // Nothing stored: the defaults.
    EXPECT_FALSE(item("&Ansicht", "Skala und &Legende")->isChecked());
    EXPECT_TRUE(item("&Ansicht", "&Hörbarkeit (mit Audiogramm)")->isChecked());
    EXPECT_EQ(App().MainFrame()->View().ShownSpectrumView(), CChildView::SpectrumView::Relative)
        << "Hörbarkeit needs an audiogram";
    EXPECT_TRUE(item("Hör&verlust", "&Lautheitsausgleich (Recruitment)")->isChecked());
    EXPECT_FALSE(App().MainFrame()->View().Processor().AnyAudiogram());

    item("&Ansicht", "Skala und &Legende")->trigger();
    item("Hör&verlust", "&Lautheitsausgleich (Recruitment)")->trigger();
    item("Hör&verlust", "&Verschmierung nach Audiogramm")->trigger();
    QAction* const s2 = standardLoss("S2: mittlerer Steilabfall");
    ASSERT_NE(s2, nullptr);
    s2->trigger();
    EXPECT_EQ(App().MainFrame()->View().ShownSpectrumView(), CChildView::SpectrumView::Audibility);
    item("&Ansicht", "Pegel in dB &SPL am Ohr")->trigger();
    item("&Ansicht", "Hörbarkeit wie im &Audiogramm (dB HL, nach unten)")->trigger();
    Restart();
    {
        CChildView& view = App().MainFrame()->View();
        EXPECT_TRUE(view.ScaleAndLegend());
        EXPECT_TRUE(item("&Ansicht", "Skala und &Legende")->isChecked());
        EXPECT_EQ(view.ShownSpectrumView(), CChildView::SpectrumView::Spl);
        EXPECT_TRUE(item("&Ansicht", "Pegel in dB &SPL am Ohr")->isChecked());
        EXPECT_TRUE(view.AudibilityInHearingLevel());
        EXPECT_FALSE(view.Processor().Recruitment());
        EXPECT_FALSE(item("Hör&verlust", "&Lautheitsausgleich (Recruitment)")->isChecked());
        EXPECT_TRUE(view.Processor().AudiogramSmearing());
        EXPECT_TRUE(standardLoss("S2: mittlerer Steilabfall")->isChecked());
        // S2 at 3 kHz: 75 dB HL, in both ears.
        ASSERT_TRUE(view.Processor().EarChain(Ear::Left).ActiveAudiogram());
        EXPECT_EQ(view.Processor().EarChain(Ear::Left).ActiveAudiogram()->LevelAt(3000), 75.0);
        EXPECT_EQ(view.Processor().EarChain(Ear::Right).ActiveAudiogram()->LevelAt(3000), 75.0);
        EXPECT_EQ(view.AudiogramName(), QString::fromUtf8("S2: mittlerer Steilabfall"));
    }

    // An entered audiogram, each ear its own: right sloping 20 to 70 dB HL,
    // left flat at 35.
    QTimer::singleShot(0, [] {
        auto* dialog = dynamic_cast<CAudiogramDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->EarChoice().setCurrentIndex(0);
        for (int i = 0; i < dialog->FieldCount(); ++i)
            dialog->Field(i).setValue(20 + 5 * i);
        dialog->EarChoice().setCurrentIndex(1);
        for (int i = 0; i < dialog->FieldCount(); ++i)
            dialog->Field(i).setValue(35);
        dialog->accept();
    });
    item("Hör&verlust", "&Audiogramm…")->trigger();
    const CAudiogram* entered = &*App().MainFrame()->View().Processor().EarChain(Ear::Right).ActiveAudiogram();
    const double enteredRight4k = entered->LevelAt(4000);
    const double enteredLeft4k =
        App().MainFrame()->View().Processor().EarChain(Ear::Left).ActiveAudiogram()->LevelAt(4000);
    EXPECT_NE(enteredRight4k, enteredLeft4k) << "the ears differ";
    const QString enteredName = App().MainFrame()->View().AudiogramName();
    Restart();
    {
        CChildView& view = App().MainFrame()->View();
        ASSERT_TRUE(view.Processor().EarChain(Ear::Right).ActiveAudiogram());
        EXPECT_EQ(view.Processor().EarChain(Ear::Right).ActiveAudiogram()->LevelAt(4000), enteredRight4k);
        EXPECT_EQ(view.Processor().EarChain(Ear::Left).ActiveAudiogram()->LevelAt(4000), enteredLeft4k);
        EXPECT_EQ(view.AudiogramName(), enteredName);
        EXPECT_EQ(standardLoss("S2: mittlerer Steilabfall")->isChecked(), false);
        // The dialog opens on the ear last edited, the left.
        int earShown = -1;
        QTimer::singleShot(0, [&earShown] {
            auto* dialog = dynamic_cast<CAudiogramDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            earShown = dialog->EarChoice().currentIndex();
            dialog->reject();
        });
        item("Hör&verlust", "&Audiogramm…")->trigger();
        EXPECT_EQ(earShown, 1);
    }

    // Damaged entries: the start is as without them.
    QSettings settings;
    settings.setValue(QStringLiteral("activeLoss/listener"), QStringLiteral("{\"listeners\": [ {\"id\""));
    settings.setValue(QStringLiteral("view/scaleAndLegend"), QStringLiteral("vielleicht"));
    settings.setValue(QStringLiteral("view/spectrum"), QStringLiteral("Hörbarkeit"));
    settings.setValue(QStringLiteral("view/audibilityInHearingLevel"), 1);
    settings.setValue(QStringLiteral("hearing/recruitment"), 7);
    settings.sync();
    Restart();
    EXPECT_FALSE(App().MainFrame()->View().Processor().AnyAudiogram());
    EXPECT_FALSE(App().MainFrame()->View().ScaleAndLegend());
    EXPECT_EQ(App().MainFrame()->View().ChosenSpectrumView(), CChildView::SpectrumView::Audibility);
    EXPECT_FALSE(App().MainFrame()->View().AudibilityInHearingLevel());
    EXPECT_TRUE(App().MainFrame()->View().Processor().Recruitment());

    // A standard loss no longer known, and a name longer than any kept.
    settings.setValue(QStringLiteral("activeLoss/preset"), QStringLiteral("N99"));
    settings.sync();
    Restart();
    EXPECT_FALSE(App().MainFrame()->View().Processor().AnyAudiogram());
    settings.remove(QStringLiteral("activeLoss"));
    SaveActiveLoss(ActiveLoss{std::string(), LoadLastAudiogram().value(), QString(2000, QLatin1Char('x'))});
    EXPECT_FALSE(LoadActiveLoss().has_value()) << "a name of 2000 bytes";
    SaveActiveLoss(ActiveLoss{std::string(), LoadLastAudiogram().value(), QStringLiteral("Frau K.")});
    EXPECT_EQ(LoadActiveLoss()->name, QStringLiteral("Frau K."));

    for (const char* group : {"hearing", "activeLoss", "view", "audiogram"})
        settings.remove(QString::fromUtf8(group));
}

TEST_F(Application, OwnRecordingsAreFoundAgainAtTheNextStartOrQuietlyForgotten)
{
    for (int source = 0; source < kSourceCount; ++source)
        SaveOwnSound(source, QString());
    Start({"-Embedding"}, true);
    // One second of a tone for speech, half a second for the noise.
    const std::string speech = dir.Path("interview.wav").string();
    const std::string noise = dir.Path("cafe.wav").string();
    ASSERT_EQ(std::system(("sox -n -r 44100 -c 1 -b 16 '" + speech + "' synth 1 sine 300 vol 0.5").c_str()), 0);
    ASSERT_EQ(std::system(("sox -n -r 44100 -c 1 -b 16 '" + noise + "' synth 0.5 pinknoise vol 0.5").c_str()), 0);
    Drop(speech, QPoint(100, 30));
    ASSERT_TRUE(QTest::qWaitFor([] { return App().m_nSourceLen[0] == 44100; }, kPatienceMs));
    Drop(noise, QPoint(800, 30));
    ASSERT_TRUE(QTest::qWaitFor([] { return App().m_nSourceLen[2] == 22050; }, kPatienceMs));

    // Both come back, one after the other, named on their buttons.
    Restart();
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return App().m_nSourceLen[0] == 44100 && App().m_nSourceLen[2] == 22050; }, kPatienceMs));
    CChildView& view = App().MainFrame()->View();
    EXPECT_EQ(view.SourceFile(0), QString::fromStdString(speech));
    EXPECT_TRUE(view.SourceFile(1).isEmpty());
    EXPECT_EQ(view.SourceFile(2), QString::fromStdString(noise));
    EXPECT_EQ(view.Processor().m_bSourceOn[0] + view.Processor().m_bSourceOn[2], 0) << "the sources start off, as ever";

    // Mitgelieferte Aufnahmen chosen while they are still being decoded at
    // the next start: the bundled ones stay, and the settings forget both.
    Restart();
    MenuAction("&File", "Mitgelieferte &Aufnahmen")->trigger();
    const int speechLength = App().m_nSourceLen[0];
    const int noiseLength = App().m_nSourceLen[2];
    QTest::qWait(1500);
    EXPECT_EQ(App().m_nSourceLen[0], speechLength);
    EXPECT_EQ(App().m_nSourceLen[2], noiseLength);
    EXPECT_NE(speechLength, 44100);
    EXPECT_TRUE(App().MainFrame()->View().SourceFile(0).isEmpty());
    EXPECT_TRUE(App().MainFrame()->View().SourceFile(2).isEmpty());
    EXPECT_TRUE(LoadOwnSound(0).isEmpty());
    EXPECT_TRUE(LoadOwnSound(2).isEmpty());
    SaveOwnSound(0, QString::fromStdString(speech));
    SaveOwnSound(2, QString::fromStdString(noise));

    // The speech file gone, the noise file spoiled: the bundled recordings,
    // without a word, and neither is looked for again.
    std::filesystem::remove(speech);
    std::ofstream(noise, std::ios::trunc) << "kein Klang";
    const MessageAnswer answer;
    Restart();
    EXPECT_TRUE(QTest::qWaitFor([] { return LoadOwnSound(2).isEmpty(); }, kPatienceMs));
    Settle();
    EXPECT_TRUE(answer.message.isEmpty()) << answer.message.toStdString();
    EXPECT_TRUE(App().MainFrame()->View().SourceFile(0).isEmpty());
    EXPECT_TRUE(App().MainFrame()->View().SourceFile(2).isEmpty());
    EXPECT_TRUE(LoadOwnSound(0).isEmpty());
    EXPECT_NE(App().m_nSourceLen[0], 44100);
    EXPECT_NE(App().m_nSourceLen[2], 22050);

    // A stored entry that is not a path of a sane length is none.
    QSettings().setValue(QStringLiteral("ownSounds/source1"), QString(5000, QLatin1Char('a')));
    EXPECT_TRUE(LoadOwnSound(1).isEmpty());
    QSettings().remove(QStringLiteral("ownSounds"));
}

TEST_F(Application, NoMenuGivesOneKeyTwoEntries)
{
    Start({"-Embedding"}, true);
    // The letter after "&" of each entry, per menu and in the menu bar.
    const auto clashes = [](const QList<QAction*>& entries, const QString& where) {
        std::map<QChar, QString> seen;
        QStringList found;
        for (QAction* entry : entries) {
            const QString text = entry->text();
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (at < 0 || at + 1 >= text.size())
                continue;
            const QChar key = text[at + 1].toLower();
            if (seen.count(key))
                found << where + QStringLiteral(": ") + seen[key] + QStringLiteral(" / ") + text;
            seen[key] = text;
        }
        return found;
    };
    QStringList found = clashes(App().MainFrame()->menuBar()->actions(), QStringLiteral("menu bar"));
    std::function<void(QMenu*)> visit = [&](QMenu* menu) {
        found << clashes(menu->actions(), menu->title());
        for (QAction* entry : menu->actions())
            if (entry->menu())
                visit(entry->menu());
    };
    for (QAction* top : App().MainFrame()->menuBar()->actions())
        visit(top->menu());
    EXPECT_TRUE(found.isEmpty()) << found.join(QStringLiteral("; ")).toStdString();
}

TEST_F(Application, TheManualOpensFromTheHelpMenuOrF1WithoutANetwork)
{
    Start({"-Embedding"}, true);
    QAction* const manual = MenuAction("&Help", "A&nleitung");
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(manual->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(App().MainFrame()->Manual(), nullptr);
    manual->trigger();
    CManualWindow* const window = App().MainFrame()->Manual();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal()) << "it stays open beside the main window";
    EXPECT_EQ(window->Browser().source().scheme(), QStringLiteral("qrc")) << "shipped inside the program";
    const QString text = window->Browser().toPlainText();
    for (const char* chapter : {"Die Bedienelemente", "Ein Audiogramm eingeben", "Den Wiedergabepegel kalibrieren",
                                "Was Recruitment ist", "Ohne Maus"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(chapter))) << chapter;

    // Asked for again: the same window, not a second one.
    manual->trigger();
    EXPECT_EQ(App().MainFrame()->Manual(), window);
    int manuals = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        manuals += dynamic_cast<CManualWindow*>(top) != nullptr;
    EXPECT_EQ(manuals, 1);
    EXPECT_EQ(window->parentWidget(), nullptr) << "not kept over the main window";
    window->close();
    Settle();
    EXPECT_EQ(App().MainFrame()->Manual(), nullptr) << "closed, it is gone";

    // Beside the main window: right of it where there is room, else left,
    // else at the screen's right edge.
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(660, 760);
    EXPECT_EQ(CManualWindow::BesidePosition(QRect(100, 50, 1040, 760), size, screen), QPoint(1150, 50));
    EXPECT_EQ(CManualWindow::BesidePosition(QRect(800, 50, 1040, 760), size, screen), QPoint(130, 50));
    EXPECT_EQ(CManualWindow::BesidePosition(QRect(300, 400, 1400, 760), size, screen), QPoint(1260, 320));

    // Without a browser the home page is named in a message, not lost.
    const MessageAnswer answer;
    MenuAction("&Help", "Sonafel Home Page")->trigger();
    EXPECT_TRUE(answer.message.contains(QStringLiteral("kein Web-Browser"))) << answer.message.toStdString();
}
