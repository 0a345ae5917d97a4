#include "view_fixture.h"

#include "child_view_accessible.h"

#include <cmath>
#include <QAccessibleValueInterface>
#include <QTest>

namespace {

QString Spoken(QAccessibleInterface* part)
{
    return part->text(QAccessible::Name) + QStringLiteral(", ") + part->text(QAccessible::Value);
}

}  // namespace

TEST_F(ViewTest, AScreenReaderFindsTheSourcesAndSlidersWithTheirNamesAndValues)
{
    Resize(1020, 700);
    Render();  // the sliders' tracks are known once painted
    QAccessibleInterface* const whole = QAccessible::queryAccessibleInterface(view.get());
    ASSERT_NE(whole, nullptr);
    ASSERT_EQ(whole->childCount(), 7);
    EXPECT_EQ(whole->text(QAccessible::Name), QStringLiteral("Hörverlust-Demonstration")) << "no unnamed filler";
    const char* const names[7] = {"Sprache", "Musik", "Hintergrundgeräusche",
                                  "Lautstärke", "höhere Frequenzen", "Frequenzauflösung", "Spektrum"};
    const QAccessible::Role roles[7] = {QAccessible::CheckBox, QAccessible::CheckBox, QAccessible::CheckBox,
                                        QAccessible::Slider,   QAccessible::Slider,   QAccessible::Slider,
                                        QAccessible::StaticText};
    for (int part = 0; part < 7; ++part) {
        QAccessibleInterface* const child = whole->child(part);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->text(QAccessible::Name), QString::fromUtf8(names[part]));
        EXPECT_EQ(child->role(), roles[part]);
        EXPECT_EQ(whole->indexOfChild(child), part);
        EXPECT_EQ(child->parent(), whole);
    }

    // "Sprache, aus"; toggled by its action as by a click.
    QAccessibleInterface* const speech = whole->child(0);
    EXPECT_EQ(Spoken(speech), QStringLiteral("Sprache, aus"));
    EXPECT_FALSE(speech->state().checked);
    speech->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(view->Processor().m_bSourceOn[0], 1);
    EXPECT_EQ(Spoken(speech), QStringLiteral("Sprache, an"));
    EXPECT_TRUE(speech->state().checked);
    EXPECT_TRUE(g_memPlay.m_bOpen) << "the player started as for a click";

    // "höhere Frequenzen, 40 Prozent", set by value or by a step.
    QAccessibleInterface* const highFreq = whole->child(4);
    EXPECT_EQ(Spoken(highFreq), QStringLiteral("höhere Frequenzen, 100 Prozent"));
    highFreq->valueInterface()->setCurrentValue(40);
    EXPECT_DOUBLE_EQ(view->Processor().m_dHighFreq, 0.4);
    EXPECT_EQ(Spoken(highFreq), QStringLiteral("höhere Frequenzen, 40 Prozent"));
    highFreq->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(Spoken(highFreq), QStringLiteral("höhere Frequenzen, 35 Prozent"));
    highFreq->valueInterface()->setCurrentValue(250);
    EXPECT_EQ(view->Processor().m_dHighFreq, 1.0) << "held at the track's end";
    // What an assistive client may send that is no number changes nothing.
    highFreq->valueInterface()->setCurrentValue(30);
    for (const QVariant& odd : {QVariant(std::nan("")), QVariant(QStringLiteral("viel")), QVariant()})
        highFreq->valueInterface()->setCurrentValue(odd);
    EXPECT_DOUBLE_EQ(view->Processor().m_dHighFreq, 0.3);
    view->Controls().SetValue(1, std::nan(""));
    EXPECT_DOUBLE_EQ(view->Processor().m_dHighFreq, 0.3);
    view->Controls().SetValue(2, std::nan(""));
    EXPECT_EQ(view->Processor().m_dResolution, 1.0) << "NaN never reaches the smearing table";

    // Where they lie: Musik's button 330 x 63 from (345, 10) in the view
    // (a 1000-pixel surface at (10, 10), buttons (1000 - 10) / 3 wide, 5 apart,
    // 68 - 5 tall); the loudness track is as painted.
    const QRect music(view->mapToGlobal(QPoint(345, 10)), QSize(330, 63));
    EXPECT_EQ(whole->child(1)->rect(), music);
    EXPECT_EQ(whole->childAt(music.center().x(), music.center().y()), whole->child(1));
    const QRect loudness = whole->child(3)->rect();
    EXPECT_EQ(loudness.topLeft(), view->mapToGlobal(QPoint(view->m_rcLoudness.left + 10, view->m_rcLoudness.top + 10)));
    EXPECT_EQ(whole->childAt(loudness.center().x(), loudness.center().y()), whole->child(3));

    // The spectrum's words: the audiogram's name, the comparison's banner,
    // the live badge and the nominal levels, as drawn.
    QAccessibleInterface* const spectrum = whole->child(6);
    EXPECT_EQ(spectrum->text(QAccessible::Value), QStringLiteral("kein Hörverlust gewählt"));
    std::string error;
    const auto loss = CAudiogram::Make({{1000, 40}}, error);
    view->Processor().SetAudiogram(&*loss);
    view->SetAudiogramName(QStringLiteral("N3"));
    EXPECT_EQ(spectrum->text(QAccessible::Value), QStringLiteral("Audiogramm: N3; Pegel nominell: nicht kalibriert"));
    view->Processor().SetNormalHearing(true);
    view->SetLive(true);
    view->SetLiveStatus(QStringLiteral("Live · 6 ms"), false);
    EXPECT_EQ(spectrum->text(QAccessible::Value),
              QStringLiteral("Normal hören (Vergleich): alle Verluste aus; Live · 6 ms"));
    view->SetLive(false);
    view->Processor().SetNormalHearing(false);
    // Calibrated: what full scale plays at, and the speech's level.
    view->SetCalibrated(true);
    view->Processor().SetFullScaleLevel(105.0);
    view->Processor().SetPresentationLevel(65.0);
    EXPECT_EQ(spectrum->text(QAccessible::Value),
              QStringLiteral("Audiogramm: N3; Pegel kalibriert: 0 dB FS = 105,0 dB SPL, Sprache bei 65 dB SPL"));
    view->Processor().SetPresentationLevel(std::nullopt);
    view->Processor().SetFullScaleLevel(100.0);
    view->SetCalibrated(false);
    view->Processor().SetAudiogram(nullptr);
    EXPECT_EQ(spectrum->rect().top(), view->mapToGlobal(QPoint(0, 10 + 68 + 90)).y()) << "below the sliders";
    // An own recording names its file.
    EXPECT_TRUE(whole->child(2)->text(QAccessible::Description).startsWith(QStringLiteral("mitgelieferte Aufnahme")));
    view->SetSourceFile(2, QStringLiteral("/home/m/Café.wav"));
    EXPECT_TRUE(whole->child(2)->text(QAccessible::Description).startsWith(QStringLiteral("eigene Aufnahme „Café.wav“")));
    view->SetSourceFile(2, QString());

    // The keys each part's actions have, as the view handles them.
    const struct {
        int part;
        QString action;
        QStringList keys;
    } kBindings[] = {
        {0, QAccessibleActionInterface::toggleAction(), {QStringLiteral("1")}},
        {1, QAccessibleActionInterface::toggleAction(), {QStringLiteral("2")}},
        {2, QAccessibleActionInterface::toggleAction(), {QStringLiteral("3")}},
        {3, QAccessibleActionInterface::increaseAction(), {QStringLiteral("Right")}},
        {5, QAccessibleActionInterface::decreaseAction(), {QStringLiteral("Left")}},
    };
    for (const auto& binding : kBindings)
        EXPECT_EQ(whole->child(binding.part)->actionInterface()->keyBindingsForAction(binding.action), binding.keys)
            << binding.part;
    EXPECT_EQ(whole->child(6)->actionInterface(), nullptr) << "the spectrum's words do nothing";

    // Live sound pauses the sources: said so, and their action does nothing.
    view->SetLive(true);
    // Sprache was switched on above, Musik was off: only Sprache is paused.
    EXPECT_EQ(Spoken(whole->child(0)), QStringLiteral("Sprache, pausiert"));
    EXPECT_EQ(Spoken(whole->child(1)), QStringLiteral("Musik, aus"));
    EXPECT_TRUE(whole->child(1)->state().disabled);
    whole->child(1)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(view->Processor().m_bSourceOn[1], 0);
    view->SetLive(false);
}

TEST_F(ViewTest, AScreenReaderFollowsTheFocusThatTabGives)
{
    Resize(1020, 700);
    view->show();
    view->activateWindow();
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    Render();
    QAccessibleInterface* const whole = QAccessible::queryAccessibleInterface(view.get());
    EXPECT_EQ(whole->focusChild(), nullptr) << "no slider before Tab";

    // Tab twice to "höhere Frequenzen", then ←: 95 percent.
    QTest::keyClick(view.get(), Qt::Key_Tab);
    QTest::keyClick(view.get(), Qt::Key_Tab);
    QTest::keyClick(view.get(), Qt::Key_Left);
    EXPECT_EQ(whole->focusChild(), whole->child(4));
    EXPECT_TRUE(whole->child(4)->state().focused);
    EXPECT_FALSE(whole->child(3)->state().focused);
    EXPECT_EQ(Spoken(whole->focusChild()), QStringLiteral("höhere Frequenzen, 95 Prozent"));

    // The focus elsewhere: no part has it.
    view->clearFocus();
    EXPECT_EQ(whole->focusChild(), nullptr);
    EXPECT_FALSE(whole->child(4)->state().focused);
}
