#include "view_fixture.h"

#include "view_colours.h"

#include <vector>

namespace {

constexpr ColorRef kAxis = 0x00404040;
constexpr ColorRef kFrame = 0x00A0A0A0;
constexpr ColorRef kWhite = 0x00FFFFFF;
// A 1020 x 720 view: a surface 1000 x 700, its spectrum below 70 pixels
// of buttons and 90 of sliders.
constexpr int kSurfaceWidth = 1000;
constexpr int kSpectrumTop = 160;

// Where the axes lie on the surface, found from their lines.
struct Axes {
    int left = -1;    // the first column of the spectrum; the axis is one left of it
    int bottom = -1;  // the axis row, just under the bars
};

Axes FindAxes(const QImage& image)
{
    Axes axes;
    for (int x = 0; x < 300 && axes.left < 0; ++x) {
        bool line = true;
        for (int y = kSpectrumTop + 40; y < 600 && line; ++y)
            line = ViewTest::At(image, x, y) == kAxis;
        if (line)
            axes.left = x + 1;
    }
    for (int y = 699; y > 600 && axes.bottom < 0; --y) {
        bool line = true;
        for (int x = axes.left; x < axes.left + 600 && line; ++x)
            line = ViewTest::At(image, x, y) == kAxis;
        if (line)
            axes.bottom = y;
    }
    return axes;
}

// Columns of row y, between x0 and x1, in the axis colour.
std::vector<int> AxisColumns(const QImage& image, int y, int x0, int x1)
{
    std::vector<int> columns;
    for (int x = x0; x < x1; ++x)
        if (ViewTest::At(image, x, y) == kAxis)
            columns.push_back(x);
    return columns;
}

std::vector<int> AxisRows(const QImage& image, int x, int y0, int y1)
{
    std::vector<int> rows;
    for (int y = y0; y < y1; ++y)
        if (ViewTest::At(image, x, y) == kAxis)
            rows.push_back(y);
    return rows;
}

// The height of the legend's frame: its left edge, five pixels into the spectrum.
int LegendHeight(const QImage& image, int left)
{
    int height = 0;
    for (int y = kSpectrumTop; y < 700; ++y)
        height += ViewTest::At(image, left + 5, y) == kFrame;
    return height;
}

// A sloping listener whose right ear has lost 10 dB more than the left.
void SetAsymmetricEars(CChildView& view)
{
    std::string error;
    static const CAudiogram left = *CAudiogram::Make({{250, 20}, {1000, 40}, {4000, 70}}, error);
    static const CAudiogram right = *CAudiogram::Make({{250, 30}, {1000, 50}, {4000, 80}}, error);
    view.Processor().SetEarAudiogram(Ear::Left, &left);
    view.Processor().SetEarAudiogram(Ear::Right, &right);
}

}  // namespace

TEST_F(ViewTest, TheScaleMarksHertzOnTheBarkAxisAndDecibelsOnTheBarsScale)
{
    Resize(1020, 720);
    view->SetScaleAndLegend(true);
    const QImage image = Render();
    const Axes axes = FindAxes(image);
    ASSERT_GT(axes.left, 20) << "room for the level labels";
    ASSERT_GT(axes.bottom, 640) << "the frequency labels under the bars";
    ASSERT_LT(axes.bottom, 680);

    // Ticks under the axis at 6·asinh(f/600) Bark, Bark 1 at the spectrum's
    // left edge: 100 Hz 0.995, 200 Hz 1.965, 500 Hz 4.551, 1 kHz 7.703,
    // 2 kHz 11.513, 5 kHz 16.902, 10 kHz 21.045.
    const int pxPerBark = (kSurfaceWidth - axes.left) / 23;
    std::vector<int> expected;
    for (const double bark : {0.995, 1.965, 4.551, 7.703, 11.513, 16.902, 21.045})
        expected.push_back(static_cast<int>((bark - 1.0) * pxPerBark + axes.left));
    EXPECT_EQ(AxisColumns(image, axes.bottom + 2, 0, kSurfaceWidth), expected);

    // dB below the loudest band on the bars' scale: 0 at the 50 dB range's
    // top, then every 10 dB, whole pixels per dB.
    const int height = axes.bottom - kSpectrumTop;
    ASSERT_NE(height % 50, 0) << "a height on which whole pixels per dB differ from fractional ones";
    const int pxPerDb = height / 50;
    std::vector<int> levels;
    for (int below = 0; below <= 40; below += 10)
        levels.push_back(axes.bottom - (50 - below) * pxPerDb);
    EXPECT_EQ(AxisRows(image, axes.left - 3, kSpectrumTop, axes.bottom), levels);

    // The spectrum in dB SPL: 0 to 140 dB SPL every 20 dB, 150 at the top.
    view->SetSplDisplay(true);
    const QImage spl = Render();
    const Axes splAxes = FindAxes(spl);
    const double pxPerSpl = (splAxes.bottom - kSpectrumTop) / 150.0;
    std::vector<int> splLevels;
    for (int level = 140; level >= 0; level -= 20)
        splLevels.push_back(static_cast<int>(splAxes.bottom - level * pxPerSpl));
    EXPECT_EQ(AxisRows(spl, splAxes.left - 3, kSpectrumTop, splAxes.bottom + 1), splLevels);
}

TEST_F(ViewTest, TheLegendNamesTheLossOnlyWhileOneIsShown)
{
    Resize(1020, 720);
    view->SetScaleAndLegend(true);
    QImage image = Render();
    const int left = FindAxes(image).left;
    const int twoLines = LegendHeight(image, left);
    EXPECT_GT(twoLines, 30) << "bars and the filter curve";

    // A sloping loss: its shading is named too, one line more.
    std::string error;
    const auto sloping = CAudiogram::Make({{500, 20}, {2000, 50}, {4000, 70}}, error);
    view->Processor().SetAudiogram(&*sloping);
    const int threeLines = LegendHeight(Render(), left);
    EXPECT_GT(threeLines, twoLines + 10);
    EXPECT_LT(threeLines, twoLines * 2);

    // The comparison shows no loss, and the legend names none.
    view->Processor().SetNormalHearing(true);
    EXPECT_EQ(LegendHeight(Render(), left), twoLines);

    // Switched off, no frame is left.
    view->Processor().SetNormalHearing(false);
    view->SetScaleAndLegend(false);
    EXPECT_EQ(LegendHeight(Render(), left), 0);
}

TEST_F(ViewTest, AtASmallSizeNamesDoNotRunTogetherAndTheLegendKeepsClearOfTheEars)
{
    // 700 x 500: a surface 680 x 480, the spectrum from 48 + 90 = 138.
    SetAsymmetricEars(*view);
    view->SetAudiogramName(QStringLiteral("Frau M."));
    Resize(700, 500);
    view->SetScaleAndLegend(true);
    const QImage image = Render();

    // The names under the axis, as runs of columns with ink, 4 pixels apart
    // at least: the first (100) is as narrow as the second (500), not
    // "10200".
    int axisRow = -1;
    for (int y = 479; y > 300 && axisRow < 0; --y)
        if (At(image, 300, y) == kAxis && At(image, 400, y) == kAxis)
            axisRow = y;
    ASSERT_GT(axisRow, 0);
    std::vector<std::pair<int, int>> runs;  // first and last column
    int blank = 100;
    for (int x = 40; x < 680; ++x) {
        bool ink = false;
        for (int y = axisRow + 5; y < std::min(480, axisRow + 22); ++y)
            ink = ink || At(image, x, y) != kWhite;
        if (ink && blank >= 4)
            runs.push_back({x, x});
        if (ink)
            runs.back().second = x;
        blank = ink ? 0 : blank + 1;
    }
    ASSERT_GE(runs.size(), 3u);
    const int first = runs[0].second - runs[0].first, second = runs[1].second - runs[1].first;
    EXPECT_LE(first, second + 2) << "the first name is " << first << " pixels wide, the second " << second;

    // The frame's top edge lies below the ears' names at the right.
    int frameTop = -1;
    for (int y = 138; y < 300 && frameTop < 0; ++y)
        if (At(image, 200, y) == kFrame && At(image, 300, y) == kFrame)
            frameTop = y;
    int namesBottom = -1;
    for (int y = 138; y < 300; ++y)
        for (int x = 500; x < 680; ++x)
            if (At(image, x, y) == kLeftEarColour)
                namesBottom = y;
    ASSERT_GT(namesBottom, 0);
    EXPECT_GT(frameTop, namesBottom);
}

TEST_F(ViewTest, TheLegendDrawsWithTheColoursOfWhatItNames)
{
    SetAsymmetricEars(*view);
    Resize(1020, 720);
    view->SetScaleAndLegend(true);

    // The legend's patches: from its frame's left edge to 80 pixels on.
    const auto patches = [&](const QImage& image, int& top, int& bottom) {
        const int x = FindAxes(image).left + 5;
        top = bottom = -1;
        for (int y = kSpectrumTop; y < 700; ++y)
            if (At(image, x, y) == kFrame)
                (top < 0 ? top : bottom) = y;
        return x;
    };
    const auto rowsOf = [&](const QImage& image, ColorRef colour) {
        int top = 0, bottom = 0;
        const int x0 = patches(image, top, bottom);
        std::vector<int> rows;
        for (int y = top + 1; y < bottom; ++y)
            for (int x = x0 + 1; x < x0 + 80; ++x)
                if (At(image, x, y) == colour) {
                    rows.push_back(y);
                    break;
                }
        return rows;
    };

    // Shading: red for the right ear, blue for the left, violet where both
    // lie, as the patch's thirds from left to right; the filter's yellow.
    const QImage shading = Render();
    EXPECT_FALSE(rowsOf(shading, kFilterCurveColour).empty());
    const std::vector<int> edge = rowsOf(shading, kRightEarColour);
    ASSERT_FALSE(edge.empty()) << "the shading's edge";
    int top = 0, bottom = 0;
    const int x0 = patches(shading, top, bottom);
    const int y = edge.front() - 4;
    int first = x0 + 1;
    while (first < x0 + 80 && At(shading, first, y) == kWhite)
        ++first;
    int last = first;
    while (last + 1 < x0 + 80 && At(shading, last + 1, y) != kWhite)
        ++last;
    ASSERT_GT(last - first, 12);
    const auto red = [](ColorRef c) { return static_cast<int>(c & 0xFF); };
    const auto blue = [](ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); };
    const ColorRef rightOnly = At(shading, first + (last - first) / 6, y);
    const ColorRef both = At(shading, first + (last - first) / 2, y);
    const ColorRef leftOnly = At(shading, first + 5 * (last - first) / 6, y);
    EXPECT_GT(red(rightOnly), blue(rightOnly) + 20);
    EXPECT_GT(blue(leftOnly), red(leftOnly) + 20);
    EXPECT_NEAR(red(both), blue(both), 20);
    EXPECT_LT(red(both), red(rightOnly)) << "both shades lie over each other";

    // dB SPL: the right ear's threshold line above the left's.
    view->SetSplDisplay(true);
    const QImage spl = Render();
    const std::vector<int> rightRows = rowsOf(spl, kRightEarColour);
    const std::vector<int> leftRows = rowsOf(spl, kLeftEarColour);
    ASSERT_FALSE(rightRows.empty());
    ASSERT_FALSE(leftRows.empty());
    EXPECT_LT(rightRows.back(), leftRows.front());
}
