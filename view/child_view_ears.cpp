#include "child_view.h"

#include "surface.h"

namespace {

constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr ColorRef kKeyText = 0x00404040;
// Grey, so that the key takes no ear's colour (right red, left blue).
constexpr ColorRef kKeyPatch[2] = {0x00C0C0C0, 0x00606060};

}  // namespace

void CChildView::DrawEarsSpectrum(CSurface& surface, int left, int top, int width, int height)
{
    // The 50 dB below the highest level met so far, as for one ear. Each
    // band keeps its hue: the left ear's half lighter, the right ear's darker.
    const double floor = m_processor.m_dMaxLevel - 50.0;
    const double pxPerDb = height / 50;
    const int bw = width / 23;
    const int half = bw / 2;
    const double* const ears[2] = {m_processor.m_dBandLevel, m_processor.RightBandLevel()};
    const double value[2] = {1.0, 0.6};
    for (int i = 0; i < kBands; ++i) {
        for (int e = 0; e < 2; ++e) {
            const double level = ears[e][i];
            if (!(level > floor))
                continue;
            const int x0 = left + i * bw + e * half;
            const int barTop = static_cast<int>((top + height) - (level - floor) * pxPerDb);
            surface.FillSolidRect(x0, barTop, e == 0 ? half : bw - half, top + height - barTop,
                                  HsvToRgb((300 * i) / 23, 0.75, value[e]));
        }
    }
}

void CChildView::DrawEarsKey(CSurface& surface, int left, int top)
{
    const QString keys[2] = {QStringLiteral("heller: linkes Ohr"), QStringLiteral("dunkler: rechtes Ohr")};
    int x = left + 5;
    const int y = top + 5;
    for (int e = 0; e < 2; ++e) {
        const QSize extent = surface.TextExtent(keys[e]);
        surface.FillSolidRect(x, y, extent.height(), extent.height(), kKeyPatch[e]);
        x += extent.height() + 4;
        surface.SetBkColor(kWhite);
        surface.SetTextColor(kKeyText);
        surface.TextOut(x, y, keys[e]);
        x += extent.width() + 12;
    }
}
