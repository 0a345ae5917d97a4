// The source buttons with the user's own recordings: the file's name on the
// button, and the button a dragged file is over framed.

#include "view_fixture.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

namespace {

constexpr ColorRef kWhite = 0x00FFFFFF;

// White pixels on the surface's row y from x0 to x1.
int WhiteRun(const QImage& image, int y, int x0, int x1)
{
    int white = 0;
    for (int x = x0; x < x1; ++x)
        white += ViewTest::At(image, x, y) == kWhite;
    return white;
}

}  // namespace

TEST_F(ViewTest, AFileDraggedOverAButtonFramesItUntilItLeavesOrIsDropped)
{
    Resize(1020, 700);  // buttons 330 wide, 5 apart, 63 tall on the surface
    QString dropped;
    view->SetDropHandler([&dropped](int, const QString& path) { dropped = path; });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/interview.flac"))});
    const auto drag = [&](QPoint at) {
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &move);
        return move.isAccepted();
    };
    QDragEnterEvent enter(QPoint(400, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &enter);
    EXPECT_TRUE(drag(QPoint(400, 30)));
    EXPECT_EQ(view->DropTarget(), 1);
    // The dashed frame three pixels inside Musik's button (335 to 665): about
    // half of its top row white; none on Sprache's.
    QImage image = Render();
    const int framed = WhiteRun(image, 4, 338, 662);
    EXPECT_GT(framed, 100);
    EXPECT_LT(framed, 300) << "dashed";
    EXPECT_EQ(WhiteRun(image, 4, 3, 327), 0);

    EXPECT_FALSE(drag(QPoint(400, 300))) << "below the buttons";
    EXPECT_EQ(view->DropTarget(), -1);
    EXPECT_EQ(WhiteRun(Render(), 4, 338, 662), 0);

    EXPECT_TRUE(drag(QPoint(100, 30)));
    EXPECT_EQ(view->DropTarget(), 0);
    QDragLeaveEvent leave;
    QApplication::sendEvent(view.get(), &leave);
    EXPECT_EQ(view->DropTarget(), -1);

    QDragEnterEvent again(QPoint(800, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &again);
    EXPECT_TRUE(drag(QPoint(800, 30)));
    QDropEvent drop(QPointF(800, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &drop);
    EXPECT_EQ(dropped, QStringLiteral("/tmp/interview.flac"));
    EXPECT_EQ(view->DropTarget(), -1);
}

TEST_F(ViewTest, AnOwnRecordingsNameIsWrittenOnItsButtonAndNothingElseChanges)
{
    Resize(1020, 700);
    view->Controls().SetSourceOn(0, true);
    const QImage bundled = Render();
    view->SetSourceFile(0, QStringLiteral("/home/k/Aufnahmen/interview.flac"));
    const QImage own = Render();
    int changedInside = 0;
    int changedOutside = 0;
    for (int y = 0; y < 680; ++y)
        for (int x = 0; x < 1000; ++x)
            if (At(bundled, x, y) != At(own, x, y))
                ++(x < 330 && y < 63 ? changedInside : changedOutside);
    EXPECT_GT(changedInside, 100) << "the label moved up, the name under it";
    EXPECT_EQ(changedOutside, 0);
    // Text where the bundled button is bare green, below its centred label.
    const auto lettered = [](const QImage& image) {
        int pixels = 0;
        for (int y = 44; y < 63; ++y)
            for (int x = 0; x < 330; ++x)
                pixels += ViewTest::At(image, x, y) != 0x0000C800u;
        return pixels;
    };
    EXPECT_EQ(lettered(bundled), 0);
    EXPECT_GT(lettered(own), 20);

    view->SetSourceFile(0, QString());
    EXPECT_EQ(Render(), bundled) << "the bundled recording again: drawn as ever";
}
