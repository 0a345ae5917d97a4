#include "child_view.h"

#include "bark_axis.h"
#include "normal_threshold.h"
#include "surface.h"
#include "view_colours.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

constexpr ColorRef kLabelColour = 0x00A02070;   // violet, apart from the bars and the curve
constexpr ColorRef kNormalColour = 0x00309030;  // the comparison: green
constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr double kLossOpacity = 0.2;
constexpr int kShownDecibels = 50;  // the spectrum's height
const char* const kComparisonNotice = "Normal hören (Vergleich): alle Verluste aus";
const char* const kNominalNotice = "Pegel nominell: nicht kalibriert";

// Each ear as on an audiogram: right red and solid, left blue and dashed.
struct EarStyle {
    Ear ear;
    ColorRef colour;
    Qt::PenStyle line;
    const char* name;
};
constexpr EarStyle kEarStyles[2] = {
    {Ear::Right, kRightEarColour, Qt::SolidLine, "rechtes Ohr (durchgezogen)"},
    {Ear::Left, kLeftEarColour, Qt::DashLine, "linkes Ohr (gestrichelt)"},
};

}  // namespace

bool CChildView::EarHeard(Ear ear) const
{
    return m_processor.Heard() == EarsHeard::Both || (ear == Ear::Left) == (m_processor.Heard() == EarsHeard::Left);
}

void CChildView::DrawEarLegend(CSurface& surface, int right, int top, const QString& title)
{
    surface.SetBkColor(kWhite);
    QString lines[3] = {title, QString(), QString()};
    ColorRef colours[3] = {kLabelColour, 0, 0};
    for (int e = 0; e < 2; ++e) {
        const EarStyle& style = kEarStyles[e];
        lines[e + 1] = QString::fromUtf8(style.name);
        const CEarChain& chain = m_processor.EarChain(style.ear);
        if (chain.ImplantStage().Active())
            lines[e + 1] += QStringLiteral(": ") + ImplantName(chain.ImplantStage().Settings());
        else if (!chain.HasLoss())
            lines[e + 1] += QStringLiteral(": kein Verlust");
        if (!EarHeard(style.ear))
            lines[e + 1] += QStringLiteral(", nicht gehört");
        colours[e + 1] = style.colour;
    }
    int y = top;
    int widest = 0;
    for (int i = 0; i < 3; ++i) {
        const QSize extent = surface.TextExtent(lines[i]);
        surface.SetTextColor(colours[i]);
        surface.TextOut(right - extent.width(), y, lines[i]);
        y += extent.height() + 2;
        widest = std::max(widest, extent.width());
    }
    m_earLegend = QRect(right - widest, top, widest, y - top);
}

bool CChildView::LevelsMatter() const
{
    return (ShownSpectrumView() != SpectrumView::Relative || m_processor.PresentationLevel() ||
            (m_processor.AnyAudiogram() && m_processor.Recruitment())) &&
           !m_processor.NormalHearing();
}

QString CChildView::LevelNotice() const
{
    if (!LevelsMatter())
        return QString();
    // The absolute displays say what level the speech plays at, measured
    // when no level is set; the others only a level that is set.
    const QLocale german(QLocale::German);
    const bool absolute = ShownSpectrumView() != SpectrumView::Relative;
    const std::optional<double> speech = absolute ? m_processor.SpeechLevel() : m_processor.PresentationLevel();
    const QString speechNotice =
        !speech ? QString()
        : m_processor.PresentationLevel()
            ? QStringLiteral(", Sprache bei %1 dB SPL").arg(german.toString(*speech, 'f', 0))
            : QStringLiteral(", Sprache bei etwa %1 dB SPL").arg(german.toString(*speech, 'f', 0));
    if (!m_bCalibrated)
        return QString::fromUtf8(kNominalNotice) + (absolute ? speechNotice : QString());
    // Calibrated: what full scale plays at, and the speech's level.
    return QStringLiteral("Pegel kalibriert: 0 dB FS = %1 dB SPL")
               .arg(german.toString(m_processor.FullScaleLevel(), 'f', 1)) +
           speechNotice;
}

QStringList CChildView::ShownNotices() const
{
    QStringList notices;
    if (m_processor.NormalHearing())
        notices << QString::fromUtf8(kComparisonNotice);
    else if (m_processor.AnyImplant() && !m_processor.AnyAudiogram())
        notices << QStringLiteral("Cochleaimplantat");
    else if (m_processor.AnyAudiogram())
        notices << (ShownSpectrumView() == SpectrumView::Spl          ? QStringLiteral("Hörschwelle: ")
                    : ShownSpectrumView() == SpectrumView::Audibility ? QStringLiteral("Hörbarkeit: ")
                                                                      : QStringLiteral("Audiogramm: ")) +
                   m_audiogramName;
    if (!AidBanner().isEmpty())
        notices << AidBanner();
    if (m_bLive && !m_liveStatus.isEmpty())
        notices << m_liveStatus;
    if (!LevelNotice().isEmpty())
        notices << LevelNotice();
    notices << IndexLines();
    return notices;
}

int CChildView::ComparisonBannerHeight(CSurface& surface) const
{
    const QString banner = m_processor.NormalHearing() ? QString::fromUtf8(kComparisonNotice) : AidBanner();
    if (banner.isEmpty())
        return 0;
    const QFont previous = surface.Font();
    surface.SetFont(m_font);
    const int height = surface.TextExtent(banner).height() + 10;
    surface.SetFont(previous);
    return height;
}

void CChildView::DrawHearingLoss(CSurface& surface, int left, int top, int width, int height)
{
    if (!LevelNotice().isEmpty()) {
        const QString nominal = LevelNotice();
        surface.SetBkColor(kWhite);
        surface.SetTextColor(0x00404040);
        surface.TextOut(left + 5, top + height - surface.TextExtent(nominal).height() - 5, nominal);
    }
    if (m_processor.NormalHearing()) {
        const QString notice = QString::fromUtf8(kComparisonNotice);
        const QFont previous = surface.Font();
        surface.SetFont(m_font);
        const QSize extent = surface.TextExtent(notice);
        const int band = ComparisonBannerHeight(surface);
        surface.FillSolidRect(left, top, width, band, kNormalColour);
        surface.SetTextColor(kWhite);
        surface.TextOut(left + (width - extent.width()) / 2, top + 5, notice);
        surface.SetFont(previous);
        return;
    }
    if (ShownSpectrumView() != SpectrumView::Relative || !(m_processor.AnyAudiogram() || m_processor.AnyImplant()))
        return;  // the absolute displays draw the thresholds themselves

    // Each ear's loss hangs from the top of the spectrum, as deep as the
    // loss, on the spectrum's decibel scale and Bark axis (the
    // high-frequency curve's).
    const double pxPerDb = height / kShownDecibels;
    // The bars' 0 dB line: their scale is in whole pixels per dB, so it lies
    // below the top when the height is not a multiple of 50.
    const int zero = static_cast<int>((top + height) - kShownDecibels * pxPerDb);
    for (const EarStyle& style : kEarStyles) {
        const CEarChain& chain = m_processor.EarChain(style.ear);
        if (!chain.HasLoss() || chain.ImplantStage().Active())
            continue;  // an implanted ear does not hear through its audiogram
        const float* const gains = chain.Stage().Gains();
        QPoint outline[kBins];
        const int count = PointsOnBarkAxis(
            m_processor.m_fBinBark, kBins, left, width,
            [&](int i) {
                const double lossDb =
                    std::clamp(-20.0 * std::log10(gains[2 * i]), 0.0, static_cast<double>(kShownDecibels));
                return static_cast<int>(zero + lossDb * pxPerDb);
            },
            outline);
        if (count == 0)
            continue;
        QPoint area[kBins + 2];
        std::copy(outline, outline + count, area);
        area[count] = QPoint(outline[count - 1].x(), zero);
        area[count + 1] = QPoint(outline[0].x(), zero);
        // An ear not heard is shown faintly: its loss is not what plays.
        surface.FillPolygon(area, count + 2, style.colour, EarHeard(style.ear) ? kLossOpacity : kLossOpacity / 3);
        surface.Polyline(outline, count, style.colour, 2, style.line);
    }
    DrawEarLegend(surface, left + width - 5, top + 5 + ComparisonBannerHeight(surface),
                  m_processor.AnyAudiogram() ? QStringLiteral("Audiogramm: ") + m_audiogramName
                                             : QStringLiteral("Cochleaimplantat"));
}

void CChildView::DrawSplSpectrum(CSurface& surface, int left, int top, int width, int height)
{
    const double pxPerDb = height / kHighestDisplayedSpl;
    const int bw = width / 23;
    // The loudest auditory filter in each of the recruitment stage's Bark
    // bands, measured before the loss, at its highest in the last block:
    // band b spans b to b + 1 Bark, and the display's axis starts at 1 Bark.
    // Both ears hear the same sound before their losses. Live, the live
    // path measures them.
    const CRecruitmentStage& levels = m_processor.EarChain(m_processor.FirstEar()).RecruitmentStage();
    for (int i = 0; i < kBands; ++i) {
        const double level = m_bLive ? m_dLiveSplPeak[i] : levels.BlockPeakLevel(i + 1);
        if (!(level > 0.0))
            continue;
        const int barTop = static_cast<int>((top + height) - std::min(level, kHighestDisplayedSpl) * pxPerDb);
        surface.FillSolidRect(left + i * bw, barTop, bw, top + height - barTop, HsvToRgb((300 * i) / 23, 0.75, 1.0));
    }

    // Skala und Legende draws a fuller axis of its own. The top 30 dB stay
    // free for the ears' legend.
    surface.SetBkColor(kWhite);
    surface.SetTextColor(0x00404040);
    for (int spl = 20; !m_bScaleAndLegend && spl <= kHighestDisplayedSpl - 30; spl += 20) {
        const QString tick = QString::number(spl) + QStringLiteral(" dB SPL");
        const int y = static_cast<int>((top + height) - spl * pxPerDb);
        surface.TextOut(left + width - surface.TextExtent(tick).width() - 2, y - surface.TextExtent(tick).height() / 2, tick);
    }
    if (!m_processor.AnyAudiogram() || m_processor.NormalHearing())
        return;
    // Each ear's threshold in dB SPL: normal hearing's plus its audiogram's
    // hearing level in dB HL.
    for (const EarStyle& style : kEarStyles) {
        const std::optional<CAudiogram>& audiogram = m_processor.EarChain(style.ear).ActiveAudiogram();
        if (!audiogram)
            continue;
        QPoint threshold[kBins];
        const int count = PointsOnBarkAxis(
            m_processor.m_fBinBark, kBins, left, width,
            [&](int i) {
                const double hz = CAudiogramStage::kBinHz * i;
                const double hearing =
                    std::clamp(NormalThresholdSpl(hz) + audiogram->LevelAt(hz), 0.0, kHighestDisplayedSpl);
                return static_cast<int>((top + height) - hearing * pxPerDb);
            },
            threshold);
        surface.Polyline(threshold, count, style.colour, 3, style.line);
    }
    DrawAidGains(surface, left, top, width, height);
    DrawEarLegend(surface, left + width - 5, top + 5 + ComparisonBannerHeight(surface),
                  QStringLiteral("Hörschwelle: ") + m_audiogramName);
}
