// The view without a mouse: keys 1, 2 and 3 switch the sources, Tab chooses
// a slider, the arrows, Pos1 and Ende move it.

#include "view_fixture.h"

#include "test_support.h"

#include <QKeyEvent>

#include <tuple>

namespace {

// A view of 1020 x 700 that has been painted once, so its tracks are known.
struct KeysTest : ViewTest {
    void SetUp() override
    {
        ViewTest::SetUp();
        Resize(1020, 700);
        Render();
    }

    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(view.get(), &event);
    }
};

}  // namespace

TEST_F(KeysTest, OneTwoThreeSwitchTheSourcesAsTheirButtonsDo)
{
    Press(Qt::Key_1);
    EXPECT_EQ(view->Processor().m_bSourceOn[0], 1);
    EXPECT_TRUE(g_memPlay.m_bOpen) << "speech plays";
    Press(Qt::Key_3);
    EXPECT_EQ(view->Processor().m_bSourceOn[2], 1);
    Press(Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(view->Processor().m_bSourceOn[1], 1) << "the keypad's 2 as well";
    Press(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(view->Processor().m_bSourceOn[0], 1) << "Ctrl+1 is not 1";
    for (int key : {Qt::Key_1, Qt::Key_2, Qt::Key_3})
        Press(key);
    EXPECT_EQ(view->Processor().m_bSourceOn[0] + view->Processor().m_bSourceOn[1] + view->Processor().m_bSourceOn[2],
              0);
    EXPECT_FALSE(g_memPlay.m_bOpen) << "all off: the player stops";

    // Live sound pauses the recordings: their keys do nothing meanwhile, and
    // afterwards the sources are as before it.
    Press(Qt::Key_2);
    view->SetLive(true);
    Press(Qt::Key_1);
    Press(Qt::Key_2);
    EXPECT_EQ(view->Processor().m_bSourceOn[0] + view->Processor().m_bSourceOn[1], 0);
    view->SetLive(false);
    EXPECT_EQ(view->Processor().m_bSourceOn[0], 0);
    EXPECT_EQ(view->Processor().m_bSourceOn[1], 1);
}

TEST_F(KeysTest, TabGoesRoundTheSlidersAndTheArrowsMoveTheOneChosenByATwentieth)
{
    // Before Tab no slider has the focus: the arrows move nothing.
    Press(Qt::Key_Left);
    EXPECT_EQ(view->Processor().m_dLoudness, 1.0);
    const QImage unfocused = Render();

    Press(Qt::Key_Tab);
    EXPECT_EQ(view->FocusedSlider(), 0);
    Press(Qt::Key_Left);
    Press(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(view->Processor().m_dLoudness, 0.9);
    Press(Qt::Key_Right);
    EXPECT_DOUBLE_EQ(view->Processor().m_dLoudness, 0.95);
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);
    EXPECT_EQ(view->Processor().m_dLoudness, 1.0) << "held at the right end";
    EXPECT_EQ(view->Processor().m_dHighFreq, 1.0) << "the others stay";

    Press(Qt::Key_Tab);
    Press(Qt::Key_Tab);
    EXPECT_EQ(view->FocusedSlider(), 2);
    Press(Qt::Key_Home);
    EXPECT_EQ(view->Processor().m_dResolution, 0.0) << "Pos1: strong losses";
    Press(Qt::Key_Tab);
    EXPECT_EQ(view->FocusedSlider(), 0) << "round again";
    Press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(view->FocusedSlider(), 2);
    Press(Qt::Key_End);
    EXPECT_EQ(view->Processor().m_dResolution, 1.0);

    // The focus shows as a dotted outline round the chosen track, in black
    // where the track's band is otherwise its brown.
    const QImage focused = Render();
    const CRect& track = view->m_rcResolution;
    int outline = 0;
    for (int x = track.left; x < track.right; ++x)
        outline += At(focused, x, track.top) == 0x00000000 && At(unfocused, x, track.top) != 0x00000000;
    EXPECT_GT(outline, (track.right - track.left) / 4) << "dotted along the top";
}

TEST_F(KeysTest, ASliderClickedIsTheOneTheKeysMoveAndTheTracksEndsHold)
{
    const QImage untouched = Render();
    // Tab chose the loudness; a click on the high frequencies' track (at its
    // middle, 0.5) moves the focus there.
    Press(Qt::Key_Tab);
    const CRect highFreq = view->m_rcHighFreq;  // a copy: the view is made anew below
    const int middle = highFreq.left + view->m_nThumbWidth / 2 + (highFreq.right - highFreq.left - view->m_nThumbWidth) / 2;
    view->OnLButtonDown(middle + 10, (highFreq.top + highFreq.bottom) / 2 + 10);
    view->OnLButtonUp();
    EXPECT_EQ(view->FocusedSlider(), 1);
    const double clicked = view->Processor().m_dHighFreq;
    EXPECT_NEAR(clicked, 0.5, 0.01);
    Press(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(view->Processor().m_dHighFreq, clicked - 0.05);
    EXPECT_EQ(view->Processor().m_dLoudness, 1.0) << "not the one Tab chose before";

    // The ends: Pos1 then Left stays at 0, Ende then Right at 1.
    for (const auto& [end, beyond, value] : {std::tuple{Qt::Key_Home, Qt::Key_Left, 0.0},
                                             std::tuple{Qt::Key_End, Qt::Key_Right, 1.0}}) {
        Press(end);
        Press(beyond);
        EXPECT_EQ(view->Processor().m_dHighFreq, value);
    }
    // A view used by mouse alone shows no outline.
    ViewTest::SetUp();
    Resize(1020, 700);
    Render();
    view->OnLButtonDown(middle + 10, (highFreq.top + highFreq.bottom) / 2 + 10);
    view->OnLButtonUp();
    view->Controls().SetValue(CControls::kHighFreq, 1.0);
    EXPECT_EQ(Render(), untouched);
}
