// "Cochleaimplantat" in the Hörverlust menu: an ear hears through it without
// an audiogram while the other keeps its loss; an example or the dialog
// sets it; the choice comes back at the next start; the dialog takes only
// settings that fit together.

#include "application_fixture.h"
#include "child_view.h"
#include "implant_dialog.h"
#include "main_frame.h"
#include "mem_play.h"
#include "sonafel_app.h"
#include "stored_loss_settings.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

namespace {

struct ImplantMenu : Application {
    QAction* Item(const QString& text) { return SubMenuAction("Hör&verlust", "&Cochleaimplantat", text); }
};

}  // namespace

TEST_F(ImplantMenu, AnEarHearsThroughItBesideTheOthersLossAndItIsKept)
{
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("implantLeft"));
    QSettings().remove(QStringLiteral("implantRight"));
    QSettings().remove(QStringLiteral("activeLoss"));
    Start({"-Embedding"}, true);
    CChildView& view = App().MainFrame()->View();
    const CLossProcessor& processor = view.Processor();
    EXPECT_FALSE(processor.AnyImplant());

    // Speech playing, a left implant without any audiogram: two ears heard.
    view.ToggleSource(0);
    Item("&links")->trigger();
    ASSERT_TRUE(processor.EarChain(Ear::Left).Implant());
    EXPECT_FALSE(processor.EarChain(Ear::Right).Implant());
    EXPECT_TRUE(processor.Stereo());
    EXPECT_TRUE(g_memPlay.m_bOpen);
    EXPECT_TRUE(view.ShownNotices().contains("Cochleaimplantat"));

    // An example, then N3 for the right ear's loss: the left keeps the implant.
    Item("&8 Kanäle, 4 mm flacher")->trigger();
    EXPECT_EQ(processor.EarChain(Ear::Left).Implant()->channels, 8);
    EXPECT_EQ(processor.EarChain(Ear::Left).Implant()->shiftMm, 4.0);
    SubMenuAction("Hör&verlust", "Standardaudiogramme", "N3: mittlerer Hörverlust")->trigger();
    EXPECT_TRUE(processor.EarChain(Ear::Left).Implant());
    EXPECT_TRUE(processor.EarChain(Ear::Right).HasLoss());

    Restart();
    const CLossProcessor& again = App().MainFrame()->View().Processor();
    ASSERT_TRUE(again.EarChain(Ear::Left).Implant());
    EXPECT_EQ(again.EarChain(Ear::Left).Implant()->channels, 8);
    EXPECT_FALSE(again.EarChain(Ear::Right).Implant());
    EXPECT_TRUE(Item("&links")->isChecked());
    Item("&Aus")->trigger();
    EXPECT_FALSE(again.AnyImplant());
    EXPECT_FALSE(LoadLossSettings().settings.implant[static_cast<int>(Ear::Left)]);
    QSettings().remove(QStringLiteral("hearing"));
    QSettings().remove(QStringLiteral("activeLoss"));
}

TEST(ImplantDialog, OkOnlyWhileTheSettingsFitTogether)
{
    ImplantSettings start;
    start.spreadDbPerMm = 2.8;
    CImplantDialog dialog(start);
    EXPECT_EQ(dialog.Result(), start);
    EXPECT_TRUE(dialog.OkButton().isEnabled());
    // The spin boxes hold each value to its range.
    dialog.Channels().setValue(30);
    EXPECT_EQ(dialog.Channels().value(), 22);
    const struct {
        int channels, nOfM;
        double low, high;
        bool ok;
    } kCases[] = {{8, 0, 200, 8000, true},  {8, 8, 200, 8000, true},   {8, 9, 200, 8000, false},
                  {4, 0, 1000, 2000, true}, {4, 0, 1000, 1999, false}, {22, 22, 100, 10000, true}};
    for (const auto& c : kCases) {
        dialog.Channels().setValue(c.channels);
        dialog.NOfM().setValue(c.nOfM);
        dialog.LowHz().setValue(c.low);
        dialog.HighHz().setValue(c.high);
        EXPECT_EQ(dialog.OkButton().isEnabled(), c.ok) << c.channels << " " << c.nOfM << " " << c.low << "-" << c.high;
        EXPECT_EQ(dialog.Problem().isEmpty(), c.ok);
    }
    dialog.Spread().setChecked(false);
    EXPECT_FALSE(dialog.Result().spreadDbPerMm);
}
