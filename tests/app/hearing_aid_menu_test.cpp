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
#include <QSettings>

namespace {

struct HearingAidMenu : Application {
    QAction* Item(const QString& text) { return SubMenuAction("Hör&verlust", "Hör&gerät", text); }
};

}  // namespace

TEST_F(HearingAidMenu, AnAidIsFittedFromTheAudiogramSwitchedByHAndKept)
{
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("activeLoss"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    QAction* const fig6 = Item("&Fig6 (Kompression)");
    QAction* const leftOnly = Item("nur &links");
    QAction* const aided = MenuAction("Hör&verlust", "Mit Hörgerät &hören (Vergleich)");
    ASSERT_TRUE(fig6 && leftOnly && aided);
    QMenu* const aid = MenuAction("Hör&verlust", "Hör&gerät")->menu();
    emit aid->aboutToShow();
    EXPECT_FALSE(fig6->isEnabled());
    EXPECT_EQ(aid->actions().front()->text(), "Erst ein Audiogramm wählen: danach wird es angepasst");
    EXPECT_FALSE(aided->isEnabled());

    // N3 in both ears, Fig6 in the left alone; speech playing.
    SubMenuAction("Hör&verlust", "Standardaudiogramme", "N3: mittlerer Hörverlust")->trigger();
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
    EXPECT_TRUE(Item("&Fig6 (Kompression)")->isChecked());
    EXPECT_TRUE(Item("nur &links")->isChecked());
    EXPECT_TRUE(App().MainFrame()->View().Processor().EarChain(Ear::Left).AidFitting().has_value());
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("activeLoss"));
}
