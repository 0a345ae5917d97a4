#include "child_view.h"

#include "bark_axis.h"
#include "bark_scale.h"
#include "erb_scale.h"
#include "normal_threshold.h"
#include "surface.h"
#include "view_colours.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr ColorRef kText = 0x00303030;
constexpr ColorRef kNormalThreshold = 0x00505050;
// Below an ear's threshold: grey, the left ear's half lighter as its colours are.
constexpr ColorRef kInaudible[2] = {0x00C4C4C4, 0x00969696};
constexpr double kEarValue[2] = {1.0, 0.6};  // the bands' hue: left lighter, right darker
// The dither's noise, half a step RMS, re an RMS of full scale (audiology
// facts), the band it spreads over, and how far a filter's loudest moment
// in a block reads above its mean.
constexpr double kDitherDbFs = -96.3;
constexpr double kDitherPeakDb = 6.0;
constexpr double kNyquistHz = 22050.0;
// The filters read no level below 0 dB SPL: a band there has had silence.
constexpr double kSilenceSpl = 0.0;
constexpr double kGoodIndex = 0.75;
constexpr double kFairIndex = 0.45;

// Band i spans i + 1 to i + 2 Bark, as the bars lie.
double BandHz(int band)
{
    return BarkToHz(band + 1.5);
}

}  // namespace

int CChildView::AudibilityY(double spl, double hz, int top, int height) const
{
    if (m_bAudibilityInHl) {
        const double hl = std::clamp(spl - NormalThresholdSpl(hz), kAudibilityLowestHl, kAudibilityHighestHl);
        return static_cast<int>(top +
                                (hl - kAudibilityLowestHl) * height / (kAudibilityHighestHl - kAudibilityLowestHl));
    }
    const double clamped = std::clamp(spl, kAudibilityLowestSpl, kAudibilityHighestSpl);
    return static_cast<int>((top + height) -
                            (clamped - kAudibilityLowestSpl) * height / (kAudibilityHighestSpl - kAudibilityLowestSpl));
}

double CChildView::EarBandLevel(Ear ear, int band) const
{
    // Live, the live path measures one ear's levels; they stand for both.
    return m_bLive ? m_dLiveSplPeak[band] : m_processor.EarChain(ear).RecruitmentStage().BlockPeakLevel(band + 1);
}

double CChildView::AudibleFloor(int band) const
{
    const double dither = m_processor.FullScaleLevel() + kDitherDbFs + kDitherPeakDb +
                          10.0 * std::log10(ErbHz(BandHz(band)) / kNyquistHz);
    return std::max(kAudibilityLowestSpl, dither);
}

void CChildView::DrawAudibility(CSurface& surface, int left, int top, int width, int height)
{
    const int bw = width / 23;
    const bool both = m_processor.Heard() == EarsHeard::Both;
    const bool lossy = !m_processor.NormalHearing();
    for (int i = 0; i < kBands; ++i) {
        const double hz = BandHz(i);
        // The soft end of the bar: the scale's, the dither's, whichever is louder.
        double soft = AudibleFloor(i);
        if (m_bAudibilityInHl)
            soft = std::max(soft, NormalThresholdSpl(hz) + kAudibilityLowestHl);
        for (const Ear ear : {Ear::Left, Ear::Right}) {
            // An implanted ear hears no levels against a threshold: not shown.
            if (!EarHeard(ear) || m_processor.EarChain(ear).ImplantStage().Active())
                continue;
            const int e = static_cast<int>(ear);
            const int x = left + i * bw + (both && ear == Ear::Right ? bw / 2 : 0);
            const int w = both ? (ear == Ear::Left ? bw / 2 : bw - bw / 2) : bw;
            const double level = EarBandLevel(ear, i);
            if (!(level > soft) || !(level > kSilenceSpl))
                continue;
            const CEarChain& chain = m_processor.EarChain(ear);
            const std::optional<CAudiogram>& audiogram = chain.ActiveAudiogram();
            const double threshold =
                NormalThresholdSpl(hz) + (lossy && chain.EarLoss() && audiogram ? audiogram->LevelAt(hz) : 0.0);
            const double value = both ? kEarValue[e] : 1.0;
            const auto fill = [&](double from, double to, ColorRef colour) {
                if (!(to > from))
                    return;
                const int y0 = AudibilityY(from, hz, top, height);
                const int y1 = AudibilityY(to, hz, top, height);
                surface.FillSolidRect(x, std::min(y0, y1), w, std::abs(y1 - y0), colour);
            };
            fill(soft, std::min(level, threshold), kInaudible[both ? e : 0]);
            fill(std::max(soft, threshold), level, HsvToRgb((300 * i) / 23, 0.75, value));
        }
    }

    // Normal hearing's threshold, then each ear's over it.
    QPoint line[kBins];
    int count = PointsOnBarkAxis(
        m_processor.m_fBinBark, kBins, left, width,
        [&](int k) {
            const double hz = CAudiogramStage::kBinHz * k;
            return AudibilityY(NormalThresholdSpl(hz), hz, top, height);
        },
        line);
    surface.Polyline(line, count, kNormalThreshold, 2, Qt::DotLine);
    if (!lossy)
        return;
    for (const Ear ear : {Ear::Left, Ear::Right}) {
        const CEarChain& chain = m_processor.EarChain(ear);
        const std::optional<CAudiogram>& audiogram = chain.ActiveAudiogram();
        if (!audiogram || !chain.EarLoss() || !EarHeard(ear) || chain.ImplantStage().Active())
            continue;
        count = PointsOnBarkAxis(
            m_processor.m_fBinBark, kBins, left, width,
            [&](int k) {
                const double hz = CAudiogramStage::kBinHz * k;
                return AudibilityY(NormalThresholdSpl(hz) + audiogram->LevelAt(hz), hz, top, height);
            },
            line);
        surface.Polyline(line, count, ear == Ear::Right ? kRightEarColour : kLeftEarColour, 3,
                         ear == Ear::Right ? Qt::SolidLine : Qt::DashLine);
    }
    DrawEarLegend(surface, left + width - 5, top + 5 + ComparisonBannerHeight(surface),
                  QStringLiteral("Hörbarkeit: ") + m_audiogramName);
}

QString CChildView::ImplantName(const ImplantSettings& implant)
{
    const QLocale german(QLocale::German);
    QString name =
        QStringLiteral("Cochleaimplantat, %1 Kanäle, %2")
            .arg(implant.channels)
            .arg(implant.carrier == ImplantCarrier::Sine ? QStringLiteral("Sinus") : QStringLiteral("Rauschen"));
    if (implant.shiftMm > 0.0)
        name += QStringLiteral(", %1 mm flacher").arg(german.toString(implant.shiftMm, 'g', 3));
    if (implant.spreadDbPerMm)
        name += QStringLiteral(", Streuung %1 dB/mm").arg(german.toString(*implant.spreadDbPerMm, 'g', 3));
    if (implant.nOfM > 0)
        name += QStringLiteral(", %1 aus %2").arg(implant.nOfM).arg(implant.channels);
    return name;
}

QString CChildView::IndexWord(double index)
{
    return index >= kGoodIndex   ? QStringLiteral("gut")
           : index >= kFairIndex ? QStringLiteral("mäßig")
                                 : QStringLiteral("schlecht");
}

QStringList CChildView::IndexLines() const
{
    if (ShownSpectrumView() != SpectrumView::Audibility)
        return {};
    const QString title = QStringLiteral("SII (Sprache gegen Musik und Geräusch, letzte 4 s)");
    if (m_bLive)
        return {title + QStringLiteral(": nur mit den Aufnahmen")};
    const bool implanted[2] = {m_processor.EarChain(Ear::Left).ImplantStage().Active(),
                               m_processor.EarChain(Ear::Right).ImplantStage().Active()};
    if (implanted[0] && implanted[1])
        return {title + QStringLiteral(": nicht anwendbar, beide Ohren hören mit Cochleaimplantat")};
    const CSpeechMeter::Reading reading = m_speechMeter.Recent();
    if (!reading.speech)
        return {title + QStringLiteral(": keine Sprache")};
    const QLocale german(QLocale::German);
    // The ears heard: each, and both together when both are.
    const auto values = [&](const EarsIndex& index) {
        const auto number = [&](double value) { return german.toString(value, 'f', 2); };
        // The index knows acoustic hearing only: an implanted ear's is not
        // applicable, and both ears' is the other's.
        if (implanted[0] || implanted[1]) {
            const bool left = implanted[1];
            const double value = left ? index.left : index.right;
            return QStringLiteral("%1 %2 – %3; %4 (Implantat): nicht anwendbar")
                .arg(left ? QStringLiteral("links") : QStringLiteral("rechts"), number(value), IndexWord(value),
                     left ? QStringLiteral("rechts") : QStringLiteral("links"));
        }
        switch (m_processor.Heard()) {
        case EarsHeard::Left:
            return QStringLiteral("links %1 – %2").arg(number(index.left), IndexWord(index.left));
        case EarsHeard::Right:
            return QStringLiteral("rechts %1 – %2").arg(number(index.right), IndexWord(index.right));
        case EarsHeard::Both:
            break;
        }
        return QStringLiteral("rechts %1, links %2, beide %3 – %4")
            .arg(number(index.right), number(index.left), number(index.both), IndexWord(index.both));
    };
    if (!reading.aided || m_processor.NormalHearing())
        return {title + QStringLiteral(":"), values(reading.heard)};
    return {title + QStringLiteral(":"), QStringLiteral("ohne Hörgerät: ") + values(reading.unaided),
            QStringLiteral("mit Hörgerät: ") + values(*reading.aided)};
}

void CChildView::DrawIndexPanel(CSurface& surface, int left, int top)
{
    const QStringList lines = IndexLines();
    if (lines.isEmpty())
        return;
    const QFont previous = surface.Font();
    surface.SetFont(m_font);
    int widest = 0;
    int lineHeight = 0;
    for (const QString& line : lines) {
        widest = std::max(widest, surface.TextExtent(line).width());
        lineHeight = std::max(lineHeight, surface.TextExtent(line).height());
    }
    const int x = left + 5;
    // Under the ears' names when it would run into them.
    if (!m_earLegend.isEmpty() && x + widest + 12 > m_earLegend.left())
        top = std::max(top, m_earLegend.bottom() + 6);
    m_indexPanel = QRect(x, top, widest + 12, static_cast<int>(lines.size()) * (lineHeight + 2) + 8);
    surface.FillSolidRect(x, top, m_indexPanel.width(), m_indexPanel.height(), kWhite);
    surface.SetBkColor(kWhite);
    surface.SetTextColor(kText);
    for (int i = 0; i < lines.size(); ++i)
        surface.TextOut(x + 6, top + 4 + i * (lineHeight + 2), lines[i]);
    surface.SetFont(previous);
}
