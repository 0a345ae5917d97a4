#include "child_view.h"

#include "surface.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr ColorRef kLossColour = 0x00A02070;    // violet, apart from the bars and the curve
constexpr ColorRef kNormalColour = 0x00309030;  // the comparison: green
constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr double kLossOpacity = 0.35;
constexpr int kShownDecibels = 50;  // the spectrum's height

}  // namespace

void CChildView::DrawHearingLoss(CSurface& surface, int left, int top, int width, int height)
{
    if (NormalHearing()) {
        const QString notice = QStringLiteral("Normal hören (Vergleich): alle Verluste aus");
        const QFont previous = surface.Font();
        surface.SetFont(m_font);
        const QSize extent = surface.TextExtent(notice);
        const int band = extent.height() + 10;
        surface.FillSolidRect(left, top, width, band, kNormalColour);
        surface.SetTextColor(kWhite);
        surface.TextOut(left + (width - extent.width()) / 2, top + 5, notice);
        surface.SetFont(previous);
        return;
    }
    if (!Audiogram().Active())
        return;

    // Hanging from the top of the spectrum, as deep as the loss, on the
    // spectrum's decibel scale and Bark axis (the high-frequency curve's).
    const double pxPerBark = width / 23;
    const double pxPerDb = height / kShownDecibels;
    const float* const gains = Audiogram().Gains();
    QPoint outline[kBins + 2];
    int count = 0;
    for (int i = 0; i < kBins; ++i) {
        const double b = m_fBinBark[i];
        if (b < 0.5 || b > 24.0)
            continue;
        const double lossDb = std::clamp(-20.0 * std::log10(gains[2 * i]), 0.0, static_cast<double>(kShownDecibels));
        outline[count++] = QPoint(static_cast<int>((b - 1.0) * pxPerBark + left), static_cast<int>(top + lossDb * pxPerDb));
    }
    if (count == 0)
        return;
    QPoint area[kBins + 2];
    std::copy(outline, outline + count, area);
    area[count] = QPoint(outline[count - 1].x(), top);
    area[count + 1] = QPoint(outline[0].x(), top);
    surface.FillPolygon(area, count + 2, kLossColour, kLossOpacity);
    surface.Polyline(outline, count, kLossColour, 2);

    const QString label = QStringLiteral("Audiogramm: ") + m_audiogramName;
    surface.SetBkColor(kWhite);
    surface.SetTextColor(kLossColour);
    const QSize extent = surface.TextExtent(label);
    surface.TextOut(left + width - extent.width() - 5, top + 5, label);
}
