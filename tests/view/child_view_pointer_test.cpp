#include "view_fixture.h"

#include "test_support.h"

#include <QMouseEvent>
#include <QTest>

#include <vector>

namespace {

// A view of 1020 x 700 that has been painted once, so its tracks are known.
struct PointerTest : ViewTest {
    void SetUp() override
    {
        ViewTest::SetUp();
        Resize(1020, 700);
        Render();
    }

    void Send(QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPointF position(x, y);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, position, view->mapToGlobal(position), button, held, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }

    // A client x that lands on surface x' on the loudness track.
    int TrackY() const { return view->m_rcLoudness.top + 10 + 10; }
};

}  // namespace

TEST_F(PointerTest, PressZonesOfTheButtonRow)
{
    struct Press {
        int x, y;  // surface coordinates
        int toggled;
    };
    for (const Press& press : {Press{0, 0, 0}, Press{332, 67, 0}, Press{333, 0, 1}, Press{665, 30, 1}, Press{666, 0, 2},
                               Press{999, 67, 2}, Press{-5, -5, 0}, Press{1000, 10, -1}, Press{1005, 0, -1}}) {
        const int before[3] = {view->Processor().m_bSourceOn[0], view->Processor().m_bSourceOn[1],
                               view->Processor().m_bSourceOn[2]};
        view->OnLButtonDown(press.x + 10, press.y + 10);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(view->Processor().m_bSourceOn[k], before[k] ^ (k == press.toggled))
                << press.x << "," << press.y << " source " << k;
    }
    // y' = 68 is below the row: a press there hits no button.
    const int before = view->Processor().m_bSourceOn[0];
    view->OnLButtonDown(10, 78);
    EXPECT_EQ(view->Processor().m_bSourceOn[0], before);
}

TEST_F(PointerTest, OnlyTheLeftButtonAndNotTheSecondPressOfADoubleClick)
{
    Send(QEvent::MouseButtonPress, 100, 30, Qt::RightButton);
    EXPECT_EQ(view->Processor().m_bSourceOn[0], 0);
    // A double click arrives as press, release, double click, release.
    Send(QEvent::MouseButtonPress, 100, 30);
    Send(QEvent::MouseButtonRelease, 100, 30);
    Send(QEvent::MouseButtonDblClick, 100, 30);
    Send(QEvent::MouseButtonRelease, 100, 30);
    EXPECT_EQ(view->Processor().m_bSourceOn[0], 1);

    // The second press of a double click on a slider starts no drag.
    const int x = view->m_rcHighFreq.left + 200 + 10;
    const int y = view->m_rcHighFreq.top + 5 + 10;
    Send(QEvent::MouseButtonPress, x, y);
    Send(QEvent::MouseButtonRelease, x, y);
    Send(QEvent::MouseButtonDblClick, x, y);
    EXPECT_EQ(view->m_bDragHighFreq, 0);
    Send(QEvent::MouseButtonRelease, x, y);
}

TEST_F(PointerTest, ThumbPlacementAndSettingFromPointerAreInverses)
{
    const CRect track = view->m_rcLoudness;
    const int thumb = view->m_nThumbWidth;
    const int travel = track.right - track.left - thumb;
    // A press with the thumb's centre at a place draws the thumb exactly
    // there, also where place / travel * travel comes out a hair below place.
    int hairBelow = 0;
    for (int place = 0; place <= travel; ++place) {
        const bool below = static_cast<double>(place) / travel * travel < place;
        hairBelow += below;
        if (!below && place % 37 != 0 && place != travel)
            continue;
        view->OnLButtonDown(track.left + thumb / 2 + place + 10, track.top + 10);
        view->OnLButtonUp();
        ASSERT_EQ(view->Processor().m_dLoudness, static_cast<double>(place) / travel);
        const QImage image = Render();
        ASSERT_EQ(At(image, track.left + place, track.top), 0x009F7F5Fu) << place;
        if (place > 0) {
            ASSERT_EQ(At(image, track.left + place - 1, track.top), 0x006080A0u) << place;
        }
    }
    EXPECT_GT(hairBelow, 0) << "the places that need care were tried";
    view->OnLButtonDown(track.left + thumb / 2 + 10, track.top + 10);
    EXPECT_EQ(view->Processor().m_dLoudness, 0.0);
    view->OnLButtonDown(track.left + 10, track.top + 10);
    EXPECT_EQ(view->Processor().m_dLoudness, 0.0) << "left of the centre at 0";
    view->OnLButtonDown(track.right - 1 + 10, track.top + 10);
    EXPECT_EQ(view->Processor().m_dLoudness, 1.0) << "the track's last column";
    view->OnLButtonUp();

    const QImage image = Render();
    EXPECT_EQ(At(image, track.right - thumb, track.top), 0x009F7F5Fu);
    EXPECT_EQ(At(image, track.right - thumb - 1, track.top), 0x006080A0u);
}

TEST_F(PointerTest, NarrowTracksStillGiveSettingsWithinRange)
{
    // A track no wider, or narrower, than the thumb.
    for (int extra : {0, -30}) {
        view->m_rcResolution = CRect{100, 200, 100 + view->m_nThumbWidth + extra, 225};
        for (int x : {100, 100 + view->m_nThumbWidth / 2, 100 + view->m_nThumbWidth + extra - 1}) {
            view->OnLButtonDown(x + 10, 210);
            view->OnLButtonUp();
            EXPECT_GE(view->Processor().m_dResolution, 0.0) << extra << " " << x;
            EXPECT_LE(view->Processor().m_dResolution, 1.0) << extra << " " << x;
        }
    }
}

TEST_F(PointerTest, DragsFollowThePointerWithinTheTrackUntilRelease)
{
    const CRect track = view->m_rcResolution;
    const int thumb = view->m_nThumbWidth;
    const int travel = track.right - track.left - thumb;
    view->OnLButtonDown(track.left + thumb / 2 + travel / 2 + 10, track.top + 10);
    EXPECT_EQ(view->m_bDragResolution, 1);
    EXPECT_NEAR(view->Processor().m_dResolution, 0.5, 0.01);
    const int highBefore = view->Processor().m_nSmearHigh[100];

    // Far above the row, the setting still follows.
    view->OnMouseMove(track.left + thumb / 2 + 10, -200);
    EXPECT_EQ(view->Processor().m_dResolution, 0.0);
    EXPECT_GT(view->Processor().m_nSmearHigh[100], highBefore) << "the smearing table follows at once";
    // Past the right end nothing changes, so a fast drag can stop short of 1.
    view->OnMouseMove(track.left + thumb / 2 + travel - 20 + 10, track.top + 10);
    const double nearEnd = view->Processor().m_dResolution;
    view->OnMouseMove(track.right + 10 + 50, track.top + 10);
    EXPECT_EQ(view->Processor().m_dResolution, nearEnd);
    EXPECT_LT(nearEnd, 1.0);
    view->OnMouseMove(track.right - 1 + 10, track.top + 10);
    EXPECT_EQ(view->Processor().m_dResolution, 1.0);

    view->OnLButtonUp();
    EXPECT_EQ(view->m_bDragResolution, 0);
    view->OnMouseMove(track.left + 10 + thumb / 2, track.top + 10);
    EXPECT_EQ(view->Processor().m_dResolution, 1.0) << "no drag after the release";

    // Through Qt: moves go on reaching the view outside it while the button
    // is held.
    Send(QEvent::MouseButtonPress, track.left + thumb / 2 + 10, track.top + 12);
    Send(QEvent::MouseMove, track.left + thumb / 2 + travel / 4 + 10, 5000);
    EXPECT_NEAR(view->Processor().m_dResolution, 0.25, 0.01);
    Send(QEvent::MouseButtonRelease, -100, 5000);
    EXPECT_EQ(view->m_bDragResolution, 0);
}

TEST_F(PointerTest, PlaybackStartsStopsAndKeepsFourBlocksQueued)
{
    sources.m_pSourceData[0] = NewSamples(std::vector<short>(20000, 300));
    sources.m_nSourceLen[0] = 20000;
    view->show();
    int paints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    view->installEventFilter(&counter);
    QApplication::processEvents(QEventLoop::AllEvents, 100);

    view->OnLButtonDown(100, 30);  // speech on
    ASSERT_TRUE(g_memPlay.m_bOpen);
    EXPECT_EQ(device.QueuedCount(), 4);
    EXPECT_EQ(sources.m_nSourcePos[0], 4 * 3968 % 20000);

    view->OnLButtonDown(400, 30);  // music on as well: no reopening
    EXPECT_EQ(device.QueuedCount(), 4);
    for (int block = 1; block <= 3; ++block) {
        QApplication::processEvents(QEventLoop::AllEvents, 100);
        paints = 0;
        device.FinishNext();
        // The report arrives as an event; wait for its block and its paint.
        EXPECT_TRUE(QTest::qWaitFor([&] { return device.QueuedCount() == 4 && paints > 0; }, 30000)) << block;
        EXPECT_EQ(sources.m_nSourcePos[0], (4 + block) * 3968 % 20000) << "one block per finished buffer";
        EXPECT_EQ(paints, 1) << "one repaint per finished buffer";
    }

    view->OnLButtonDown(100, 30);  // speech off: music still on
    EXPECT_TRUE(g_memPlay.m_bOpen);
    view->OnLButtonDown(400, 30);  // music off: the last source, sound stops at once
    EXPECT_FALSE(g_memPlay.m_bOpen);
    EXPECT_EQ(device.QueuedCount(), 0);

    // The stopped opening's reports arrive after a new one has started.
    view->OnLButtonDown(100, 30);
    const int position = sources.m_nSourcePos[0];
    QApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_TRUE(g_memPlay.m_bOpen);
    EXPECT_EQ(g_memPlay.m_nQueued, 4);
    EXPECT_EQ(sources.m_nSourcePos[0], position);
    view->removeEventFilter(&counter);
}

TEST_F(PointerTest, ClosingTheViewWhileSoundPlays)
{
    sources.m_pSourceData[0] = NewSamples(std::vector<short>(5000, 300));
    sources.m_nSourceLen[0] = 5000;
    view->OnLButtonDown(100, 30);
    ASSERT_TRUE(g_memPlay.m_bOpen);
    view.reset();
    EXPECT_FALSE(g_memPlay.m_bOpen);
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.QueuedCount(), 0) << "no buffer is left with the device";
    QApplication::processEvents(QEventLoop::AllEvents, 100);  // reports for the destroyed view are dropped
}
