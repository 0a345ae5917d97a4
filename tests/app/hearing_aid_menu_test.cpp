// "Hörgerät" in the Hörverlust menu: disabled, saying why, until an
// audiogram is chosen; a rule for both ears or one; H compares aided with
// unaided while speech plays; the choice comes back at the next start.

#include "application_fixture.h"
#include "child_view.h"
#include "main_frame.h"
#include "mem_play.h"
#include "sonafel_app.h"
#include "stored_loss_settings.h"

#include <QMenu>
#include <QMenuBar>
#include <QSettings>

namespace {

QMenu* AidMenu()
{
    for (QAction* top : App().MainFrame()->menuBar()->actions())
        if (top->text() == "Hör&verlust")
            for (QAction* item : top->menu()->actions())
                if (item->menu() && item->text() == "Hör&gerät")
                    return item->menu();
    return nullptr;
}

QAction* Item(QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

struct HearingAidMenu : Application {};

}  // namespace

TEST_F(HearingAidMenu, AnAidIsFittedFromTheAudiogramSwitchedByHAndKept)
{
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("activeLoss"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QMenu* const aid = AidMenu();
    ASSERT_NE(aid, nullptr);
    QAction* const fig6 = Item(aid, "&Fig6 (Kompression)");
    QAction* const leftOnly = Item(aid, "nur &links");
    QAction* const aided = MenuAction("Hör&verlust", "Mit Hörgerät &hören (Vergleich)");
    ASSERT_TRUE(fig6 && leftOnly && aided);
    emit aid->aboutToShow();
    EXPECT_FALSE(fig6->isEnabled());
    EXPECT_EQ(aid->actions().front()->text(), "Erst ein Audiogramm wählen: danach wird es angepasst");
    EXPECT_FALSE(aided->isEnabled());

    // N3 in both ears, Fig6 in the left alone; speech playing.
    for (QAction* top : App().MainFrame()->menuBar()->actions())
        if (top->text() == "Hör&verlust")
            for (QAction* item : top->menu()->actions())
                if (item->menu() && item->text() == "Standardaudiogramme")
                    for (QAction* preset : item->menu()->actions())
                        if (preset->text() == "N3: mittlerer Hörverlust")
                            preset->trigger();
    EXPECT_TRUE(fig6->isEnabled());
    view.ToggleSource(0);
    ASSERT_TRUE(g_memPlay.m_bOpen);
    fig6->trigger();
    leftOnly->trigger();
    EXPECT_TRUE(view.Processor().EarChain(Ear::Left).AidFitting().has_value());
    EXPECT_FALSE(view.Processor().EarChain(Ear::Right).AidFitting().has_value());
    EXPECT_TRUE(aided->isEnabled());
    EXPECT_EQ(aided->shortcut(), QKeySequence(Qt::Key_H));

    // H while the sound plays: unaided, then aided again.
    aided->trigger();
    EXPECT_FALSE(view.Processor().Aided());
    EXPECT_EQ(view.AidBanner(), "Ohne Hörgerät");
    aided->trigger();
    EXPECT_TRUE(view.Processor().Aided());
    EXPECT_TRUE(g_memPlay.m_bOpen) << "sound played on throughout";
    EXPECT_EQ(LoadLossSettings().settings.aid[static_cast<int>(Ear::Left)], AidRule::Fig6);
    EXPECT_EQ(LoadLossSettings().settings.aid[static_cast<int>(Ear::Right)], AidRule::Off);

    Restart();
    EXPECT_TRUE(Item(AidMenu(), "&Fig6 (Kompression)")->isChecked());
    EXPECT_TRUE(Item(AidMenu(), "nur &links")->isChecked());
    EXPECT_TRUE(App().MainFrame()->View().Processor().EarChain(Ear::Left).AidFitting().has_value());
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("activeLoss"));
}
