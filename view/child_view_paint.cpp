#include "child_view.h"

#include "bark_axis.h"
#include "surface.h"
#include "view_colours.h"

#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr ColorRef kBlack = 0x00000000;
constexpr ColorRef kGrey = 0x00808080;
constexpr ColorRef kSliderBand = 0x006080A0;

struct SourceButton {
    const char* label;
    ColorRef on;
    ColorRef off;
};

const SourceButton kButtons[3] = {
    {"Sprache", 0x0000C800, 0x00006400},
    {"Musik", 0x0000C8C8, 0x00006464},
    {"Hintergrundgeräusche", 0x000000C8, 0x00000064},
};

const char* const kSliderTitles[3] = {"Lautstärke", "höhere Frequenzen", "Frequenzauflösung"};
const char* const kLossLabels[4] = {"starke Verluste", "mittlere Verluste", "geringe Verluste", "keine Verluste"};

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString FileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

}  // namespace

void CChildView::OnPaint()
{
    const int clientWidth = width();
    const int clientHeight = height();
    const int w = std::max(clientWidth - 20, 250);
    const int h = std::max(clientHeight - 20, 250);

    // Compose everything off screen, then copy it in one step.
    QImage image(w, h, QImage::Format_RGB32);
    // Point sizes on the surface measure as on the screen.
    const double dpi = ScreenDpi();
    image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
    {
        CSurface surface(image);
        surface.FillSolidRect(0, 0, w, h, kWhite);
        const int bh = h / 10;
        DrawSourceButtons(surface, w, bh);
        DrawSliders(surface, 0, bh, w, 90);
        DrawSliderFocus(surface);
        const int top = bh + 90;
        m_earLegend = QRect();
        m_indexPanel = QRect();
        int left = 0;
        int width = w;
        int height = h - bh - 90;
        if (m_bScaleAndLegend)
            MakeRoomForScale(surface, left, width, height);
        const SpectrumView shown = ShownSpectrumView();
        if (shown == SpectrumView::Spl)
            DrawSplSpectrum(surface, left, top, width, height);
        else if (shown == SpectrumView::Audibility)
            DrawAudibility(surface, left, top, width, height);
        else
            DrawSpectrum(surface, left, top, width, height);
        DrawGainCurve(surface, left, top, width, height);
        DrawHearingLoss(surface, left, top, width, height);
        DrawAidBanner(surface, left, top, width);
        if (m_bScaleAndLegend)
            DrawScale(surface, left, top, width, height);
        // During the comparison both ears hear alike, under its banner.
        const bool earsKey = m_processor.StereoBlock() && shown != SpectrumView::Spl && !m_processor.NormalHearing();
        if (earsKey)
            DrawEarsKey(surface, left, top + ComparisonBannerHeight(surface));
        if (shown == SpectrumView::Audibility)
            DrawIndexPanel(surface, left, top + ComparisonBannerHeight(surface) + (earsKey ? 30 : 4));
        if (m_bScaleAndLegend)
            DrawLegend(surface, left, top);
        if (m_bLive)
            DrawLiveStatus(surface, 0, top + ComparisonBannerHeight(surface), w);  // under the banner
    }

    QPainter painter(this);
    const QColor margin = palette().color(QPalette::Window);
    painter.fillRect(0, 0, clientWidth, 10, margin);
    painter.fillRect(0, 10, 10, clientHeight - 10, margin);
    painter.fillRect(10 + w, 10, clientWidth - 10 - w, clientHeight - 10, margin);
    painter.fillRect(10, 10 + h, w, clientHeight - 10 - h, margin);
    painter.drawImage(10, 10, image);
}

QString CChildView::SourceName(int source)
{
    return Text(kButtons[source].label);
}

QString CChildView::SliderName(int slider)
{
    return Text(kSliderTitles[slider]);
}

CRect CChildView::SourceButtonRect(int k, int width, int height)
{
    const int bw = (width - 10) / 3;
    const int x = k * (bw + 5);
    return {x, 0, x + bw, height - 5};
}

void CChildView::DrawSourceButtons(CSurface& surface, int width, int height)
{
    const QFont previous = surface.Font();
    surface.SetFont(m_font);
    for (int k = 0; k < 3; ++k) {
        const CRect button = SourceButtonRect(k, width, height);
        const int bw = button.right - button.left;
        const int bb = button.bottom;
        const bool on = m_controls.SourceOn(k);
        // The fill also makes the button's colour the label's background.
        surface.FillSolidRect(button.left, 0, bw, bb, on ? kButtons[k].on : kButtons[k].off);
        // Paused by live sound: those that played say so, and come back as they were.
        const QString label = m_controls.Waiting(k) ? Text(kButtons[k].label) + Text(" – pausiert") : Text(kButtons[k].label);
        const QSize extent = surface.TextExtent(label);
        surface.SetTextColor(on ? kWhite : kGrey);
        if (m_sourceFile[k].isEmpty()) {
            surface.TextOut(button.left + (bw - extent.width()) / 2, (bb - extent.height()) / 2, label);
        } else {
            // An own recording: its file name under the label, in the smaller font.
            surface.SetFont(previous);
            const QString name = FileName(m_sourceFile[k]);
            const QSize nameExtent = surface.TextExtent(name);
            const int top = (bb - extent.height() - nameExtent.height()) / 2;
            surface.TextOut(button.left + (bw - nameExtent.width()) / 2, top + extent.height(), name);
            surface.SetFont(m_font);
            surface.TextOut(button.left + (bw - extent.width()) / 2, top, label);
        }
        if (k == m_nDropTarget) {
            // Where a dragged file will go.
            const QPoint frame[5] = {{button.left + 3, 3}, {button.right - 4, 3}, {button.right - 4, bb - 4},
                                     {button.left + 3, bb - 4}, {button.left + 3, 3}};
            surface.Polyline(frame, 5, kWhite, 3, Qt::DashLine);
        }
    }
    surface.SetFont(previous);
}

void CChildView::DrawSliders(CSurface& surface, int left, int top, int width, int height)
{
    const int rh = (height - 15) / 3;
    int labelW = 0;
    for (const char* title : kSliderTitles)
        labelW = std::max(labelW, surface.TextExtent(Text(title)).width());
    labelW += 10;
    int thumb = 0;
    for (const char* label : kLossLabels)
        thumb = std::max(thumb, surface.TextExtent(Text(label)).width());
    m_nThumbWidth = thumb + 10;
    const int span = width - labelW - 20;
    const int third = span / 3;
    const int twoThirds = (2 * span) / 3;

    CRect* const tracks[3] = {&m_rcLoudness, &m_rcHighFreq, &m_rcResolution};
    const double settings[3] = {m_controls.Value(0), m_controls.Value(1), m_controls.Value(2)};
    for (int r = 0; r < 3; ++r) {
        const int tr = top + r * (rh + 5);
        surface.FillSolidRect(left, tr, width, rh, kSliderBand);

        surface.SetBkColor(kSliderBand);
        surface.SetTextColor(kWhite);
        const QString title = Text(kSliderTitles[r]);
        const QSize titleSize = surface.TextExtent(title);
        surface.TextOut(left + labelW - titleSize.width() - 5, tr + (rh - titleSize.height()) / 2, title);

        surface.SetBkColor(kSliderBand);
        surface.SetTextColor(kBlack);
        for (int l = 0; l < 4; ++l) {
            const QString label = Text(kLossLabels[l]);
            const QSize size = surface.TextExtent(label);
            const int x = l == 0   ? left + labelW + 10
                          : l == 1 ? left + labelW + 10 + third - size.width() / 2
                          : l == 2 ? left + labelW - 10 + twoThirds - size.width() / 2
                                   : left + width - size.width() - 10;
            surface.TextOut(x, tr + (rh - size.height()) / 2, label);
        }

        // The thumb inverts what lies under it, label text included. The
        // small allowance keeps a setting made by pointing at place p (p/D)
        // at place p, where p/D*D comes out a hair below p.
        const int pos = static_cast<int>(settings[r] * (width - m_nThumbWidth - labelW) + 1e-9);
        surface.InvertRect(left + labelW + pos, tr, left + labelW + pos + m_nThumbWidth, tr + rh);
        *tracks[r] = CRect{left + labelW, tr, left + width, tr + rh};
    }
}

void CChildView::DrawSpectrum(CSurface& surface, int left, int top, int width, int height)
{
    if (m_processor.StereoBlock()) {
        DrawEarsSpectrum(surface, left, top, width, height);
        return;
    }
    // The 50 dB below the highest level met so far.
    const double floor = m_processor.m_dMaxLevel - 50.0;
    const double pxPerDb = height / 50;
    const int bw = width / 23;
    for (int i = 0; i < kBands; ++i) {
        if (!(m_processor.m_dBandLevel[i] > floor))
            continue;
        const int x0 = left + i * bw;
        const int barTop = static_cast<int>((top + height) - (m_processor.m_dBandLevel[i] - floor) * pxPerDb);
        surface.FillSolidRect(x0, barTop, bw, top + height - barTop, HsvToRgb((300 * i) / 23, 0.75, 1.0));
    }
}

void CChildView::DrawGainCurve(CSurface& surface, int left, int top, int width, int height)
{
    m_processor.BuildHighFreqGain();
    // During the comparison the curve is the one heard: no loss at all.
    const double yScale = (height - 4) * (m_processor.NormalHearing() ? 1.0 : m_processor.m_dLoudness);
    const float* const gains =
        m_processor.NormalHearing() ? m_processor.NormalHighFreqGain() : m_processor.m_fHighFreqGain;
    // Bark 1 to 24 on the same scale as the bars.
    QPoint points[kBins];
    const int count = PointsOnBarkAxis(
        m_processor.m_fBinBark, kBins, left, width,
        [&](int i) { return static_cast<int>((top + height - 2) - gains[2 * i] * yScale); }, points);
    surface.Polyline(points, count, kFilterCurveColour, 4);
}

unsigned int CChildView::HsvToRgb(double h, double s, double v)
{
    if (v == 0.0)
        return 0;
    const double m = v - s * v;  // the smallest channel
    const double d = v - m;
    double r, g, b;
    if (h < 60) {
        r = v, g = v - d * (1 - h / 60), b = m;
    } else if (h < 120) {
        r = v - d * (1 - (120 - h) / 60), g = v, b = m;
    } else if (h < 180) {
        r = m, g = v, b = v - d * (1 - (h - 120) / 60);
    } else if (h < 240) {
        r = m, g = v - d * (1 - (240 - h) / 60), b = v;
    } else if (h < 300) {
        r = v - d * (1 - (h - 240) / 60), g = m, b = v;
    } else {
        r = v, g = m, b = v - d * (1 - (360 - h) / 60);
    }
    const auto byte = [](double c) { return static_cast<unsigned int>(static_cast<int>(c * 255 + 0.5)) & 0xFF; };
    return byte(r) + 256 * byte(g) + 65536 * byte(b);
}
