#include "child_view.h"

#include "audiogram_chart.h"
#include "bark_scale.h"
#include "surface.h"
#include "view_colours.h"

#include <algorithm>
#include <limits>

namespace {

constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr ColorRef kAxis = 0x00404040;
constexpr ColorRef kFrame = 0x00A0A0A0;
constexpr int kTick = 4;      // pixels
constexpr int kLabelGap = 4;  // pixels kept between names on the axis

// Where the frequency axis is labelled: a 1-2-5 series over the bars'
// 1 to 24 Bark (100 Hz lies at 1.0 Bark).
constexpr double kAxisHz[] = {100, 200, 500, 1000, 2000, 5000, 10000};

QString Minus(int decibels)
{
    // A true minus sign, as German typesetting has it.
    return decibels < 0 ? QString(QChar(0x2212)) + QString::number(-decibels) : QString::number(decibels);
}

}  // namespace

void CChildView::MakeRoomForScale(CSurface& surface, int& left, int& width, int& height) const
{
    const QSize label = surface.TextExtent(ShownSpectrumView() != SpectrumView::Relative ? QStringLiteral("dB SPL")
                                                                                           : Minus(-50));
    const int axisWidth = label.width() + kTick + 6;
    left += axisWidth;
    width -= axisWidth;
    height -= label.height() + kTick + 4;
}

void CChildView::DrawScale(CSurface& surface, int left, int top, int width, int height)
{
    // A tick is a filled rectangle, which also sets the background colour:
    // labels set theirs each time.
    const auto label = [&surface](int x, int y, const QString& text) {
        surface.SetBkColor(kWhite);
        surface.SetTextColor(kAxis);
        surface.TextOut(x, y, text);
    };
    const int bottom = top + height;
    surface.FillSolidRect(left, bottom, width, 1, kAxis);
    surface.FillSolidRect(left - 1, top, 1, height + 1, kAxis);

    // Hz under the bands, on the bars' Bark axis: Bark 1 at `left`.
    const double pxPerBark = width / 23;
    const QString hzUnit = QStringLiteral("Hz");
    const int unitLeft = left + width - surface.TextExtent(hzUnit).width();
    // A name that would run into the one before (or the unit) is left out:
    // in a narrow view 100 and 200 would read "10200".
    int lastRight = std::numeric_limits<int>::min();
    for (const double hz : kAxisHz) {
        const int x = static_cast<int>((HzToBark(hz) - 1.0) * pxPerBark + left);
        surface.FillSolidRect(x, bottom, 1, kTick, kAxis);
        const QString text = CAudiogramChart::FrequencyLabel(hz);
        const int textWidth = surface.TextExtent(text).width();
        const int textLeft = std::max(left, x - textWidth / 2);
        if (textLeft < lastRight + kLabelGap || textLeft + textWidth + kLabelGap > unitLeft)
            continue;
        label(textLeft, bottom + kTick, text);
        lastRight = textLeft + textWidth;
    }
    label(unitLeft, bottom + kTick, hzUnit);

    // The level: dB SPL at the ear, dB HL, or dB below the loudest band so
    // far, each on the bars' own scale.
    const bool audibility = ShownSpectrumView() == SpectrumView::Audibility;
    const QString levelUnit = audibility && m_bAudibilityInHl ? QStringLiteral("dB HL")
                              : audibility || SplDisplay()    ? QStringLiteral("dB SPL")
                                                              : QStringLiteral("dB");
    label(left - kTick - 2 - surface.TextExtent(levelUnit).width(), bottom + kTick, levelUnit);
    const auto levelTick = [&](int y, const QString& text) {
        surface.FillSolidRect(left - 1 - kTick, y, kTick, 1, kAxis);
        const QSize extent = surface.TextExtent(text);
        label(left - kTick - 2 - extent.width(), std::max(top, y - extent.height() / 2), text);
    };
    if (audibility) {
        // dB HL is read off at 1 kHz, where the scales' steps are alike.
        const double lowest = m_bAudibilityInHl ? kAudibilityLowestHl : kAudibilityLowestSpl;
        const double highest = m_bAudibilityInHl ? kAudibilityHighestHl : kAudibilityHighestSpl;
        for (int level = 0; level <= highest; level += 20) {
            const double fraction = (level - lowest) / (highest - lowest);
            const int y = static_cast<int>(m_bAudibilityInHl ? top + fraction * height : bottom - fraction * height);
            levelTick(y, QString::number(level));
        }
    } else if (SplDisplay()) {
        const double pxPerDb = height / kHighestDisplayedSpl;
        for (int spl = 0; spl <= kHighestDisplayedSpl; spl += 20)
            levelTick(static_cast<int>(bottom - spl * pxPerDb), QString::number(spl));
    } else {
        const double pxPerDb = height / 50;
        for (int below = 0; below <= 40; below += 10)
            levelTick(static_cast<int>(bottom - (50 - below) * pxPerDb), Minus(-below));
    }
}

void CChildView::DrawLegend(CSurface& surface, int left, int top)
{
    const bool lossShown = m_processor.AnyAudiogram() && !m_processor.NormalHearing();
    const bool aidShown = SplDisplay() && m_processor.AnyAid() && m_processor.Aided() && !m_processor.NormalHearing();
    QString lines[4];
    int count = 0;
    const bool audibility = ShownSpectrumView() == SpectrumView::Audibility;
    lines[count++] =
        audibility ? QStringLiteral("Balken: Pegel je Frequenzband am Ohr, vor dem Hörverlust: farbig hörbar, "
                                    "grau unter der Hörschwelle")
        : !SplDisplay() ? QStringLiteral("Balken: Pegel je Frequenzband, wie gehört (dB unter dem lautesten bisher)")
        : aidShown
            ? QStringLiteral("Balken: Pegel je Frequenzband am Ohr, nach dem Hörgerät, vor dem Hörverlust (dB SPL)")
            : QStringLiteral("Balken: Pegel je Frequenzband am Ohr, vor dem Hörverlust (dB SPL)");
    lines[count++] = QStringLiteral("Gelbe Linie: Filter der Regler Lautstärke und höhere Frequenzen");
    if (audibility)
        lines[count++] = QStringLiteral("Linien: Hörschwelle je Ohr; punktiert: normale Hörschwelle");
    else if (lossShown)
        lines[count++] = SplDisplay()
                             ? QStringLiteral("Linien: Hörschwelle je Ohr (normale Schwelle + Hörverlust)")
                             : QStringLiteral("Schattierung: was das Audiogramm wegnimmt, bis 50 dB "
                                              "(rot rechts, blau links, violett beide)");
    const int aidLine = aidShown ? count : -1;
    if (aidShown)
        lines[count++] = QStringLiteral("Punktiert: Verstärkung des Hörgeräts je Ohr bei 65 dB SPL (dB, von unten)");

    const int lineHeight = surface.TextExtent(lines[0]).height();
    const int patch = 2 * lineHeight;
    int textWidth = 0;
    for (int i = 0; i < count; ++i)
        textWidth = std::max(textWidth, surface.TextExtent(lines[i]).width());
    // Below the line the ears' key or the comparison's banner takes, and
    // below the aid's banner.
    const int x = left + 5;
    const int boxWidth = patch + 18 + textWidth;
    const int boxHeight = count * (lineHeight + 4) + 8;
    // In a narrow view it goes under the ears' names rather than over them.
    int y = top + lineHeight + 14;
    if (!AidBanner().isEmpty())
        y = std::max(y, top + ComparisonBannerHeight(surface) + 4);
    if (!m_earLegend.isEmpty() && x + boxWidth > m_earLegend.left() && y < m_earLegend.bottom() + 1)
        y = m_earLegend.bottom() + 6;
    if (!m_indexPanel.isEmpty())
        y = std::max(y, m_indexPanel.bottom() + 6);
    surface.FillSolidRect(x, y, boxWidth, boxHeight, kWhite);
    const QPoint frame[5] = {
        {x, y}, {x + boxWidth - 1, y}, {x + boxWidth - 1, y + boxHeight - 1}, {x, y + boxHeight - 1}, {x, y}};
    surface.Polyline(frame, 5, kFrame, 1);

    for (int i = 0; i < count; ++i) {
        const int px = x + 6;
        const int py = y + 6 + i * (lineHeight + 4);
        const int middle = py + lineHeight / 2;
        if (i == 0) {
            // Three bands' hues, low to high.
            for (int band = 0; band < 3; ++band)
                surface.FillSolidRect(px + band * patch / 3, py + 2, patch / 3, lineHeight - 4,
                                      HsvToRgb(300.0 * band * 10 / 23, 0.75, 1.0));
        } else if (i == 1) {
            const QPoint line[2] = {{px, middle}, {px + patch, middle}};
            surface.Polyline(line, 2, kFilterCurveColour, 4);
        } else if (i == aidLine) {
            const QPoint right[2] = {{px, middle - 3}, {px + patch, middle - 3}};
            const QPoint leftEar[2] = {{px, middle + 3}, {px + patch, middle + 3}};
            surface.Polyline(right, 2, kRightEarColour, 2, Qt::DotLine);
            surface.Polyline(leftEar, 2, kLeftEarColour, 2, Qt::DotLine);
        } else if (SplDisplay() || audibility) {
            const QPoint right[2] = {{px, middle - 3}, {px + patch, middle - 3}};
            const QPoint leftEar[2] = {{px, middle + 3}, {px + patch, middle + 3}};
            surface.Polyline(right, 2, kRightEarColour, 3);
            surface.Polyline(leftEar, 2, kLeftEarColour, 3, Qt::DashLine);
        } else {
            // The ears' shades as the spectrum lays them: red, blue, and
            // where they overlap the violet that both make.
            const QPoint rightShade[4] = {{px, py + 2}, {px + 2 * patch / 3, py + 2},
                                          {px + 2 * patch / 3, py + lineHeight - 2}, {px, py + lineHeight - 2}};
            const QPoint leftShade[4] = {{px + patch / 3, py + 2}, {px + patch, py + 2},
                                         {px + patch, py + lineHeight - 2}, {px + patch / 3, py + lineHeight - 2}};
            surface.FillPolygon(rightShade, 4, kRightEarColour, 0.2);
            surface.FillPolygon(leftShade, 4, kLeftEarColour, 0.2);
            const QPoint edge[2] = {{px, py + lineHeight - 2}, {px + patch, py + lineHeight - 2}};
            surface.Polyline(edge, 2, kRightEarColour, 2);
        }
        surface.SetBkColor(kWhite);
        surface.SetTextColor(kAxis);
        surface.TextOut(px + patch + 8, py, lines[i]);
    }
}
