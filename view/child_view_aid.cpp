#include "child_view.h"

#include "bark_axis.h"
#include "surface.h"
#include "view_colours.h"

#include <algorithm>

namespace {

constexpr ColorRef kAidColour = 0x00906020;  // the aid's banner: steel blue, apart from the comparison's green
constexpr ColorRef kWhite = 0x00FFFFFF;
constexpr double kGainInputSpl = 65.0;  // the input level the curves show the gain for

const char* ShortName(AidRule rule)
{
    return rule == AidRule::NalR ? "NAL-R" : "Fig6";
}

}  // namespace

QString CChildView::AidBanner() const
{
    // The ears heard, and the aid each wears.
    // An implanted ear hears no aid.
    const auto wears = [this](Ear ear) {
        const CEarChain& chain = m_processor.EarChain(ear);
        return EarHeard(ear) && chain.AidFitting() && !chain.ImplantStage().Active();
    };
    const bool left = wears(Ear::Left);
    const bool right = wears(Ear::Right);
    if (m_processor.NormalHearing() || !(left || right))
        return QString();
    if (!m_processor.Aided())
        return QStringLiteral("Ohne Hörgerät");
    const AidRule leftRule = m_processor.EarChain(Ear::Left).AidRuleChosen();
    const AidRule rightRule = m_processor.EarChain(Ear::Right).AidRuleChosen();
    if (left && right && leftRule == rightRule)
        return QStringLiteral("Mit Hörgerät: %1, beide Ohren").arg(QLatin1String(ShortName(leftRule)));
    if (left != right)
        return QStringLiteral("Mit Hörgerät: %1, %2")
            .arg(QLatin1String(ShortName(left ? leftRule : rightRule)),
                 left ? QStringLiteral("linkes Ohr") : QStringLiteral("rechtes Ohr"));
    return QStringLiteral("Mit Hörgerät: links %1, rechts %2")
        .arg(QLatin1String(ShortName(leftRule)), QLatin1String(ShortName(rightRule)));
}

void CChildView::DrawAidBanner(CSurface& surface, int left, int top, int width)
{
    const QString banner = AidBanner();
    if (banner.isEmpty())
        return;
    const QFont previous = surface.Font();
    surface.SetFont(m_font);
    const QSize extent = surface.TextExtent(banner);
    surface.FillSolidRect(left, top, width, extent.height() + 10, kAidColour);
    surface.SetTextColor(kWhite);
    surface.TextOut(left + (width - extent.width()) / 2, top + 5, banner);
    surface.SetFont(previous);
}

void CChildView::DrawAidGains(CSurface& surface, int left, int top, int width, int height)
{
    if (!SplDisplay() || m_processor.NormalHearing() || !m_processor.Aided())
        return;
    // On the display's decibel scale, from its bottom: each ear's insertion
    // gain in dB for an input at 65 dB SPL.
    const double pxPerDb = height / kHighestDisplayedSpl;
    for (const Ear ear : {Ear::Right, Ear::Left}) {
        const std::optional<CAidFitting>& fitting = m_processor.EarChain(ear).AidFitting();
        if (!fitting)
            continue;
        QPoint curve[kBins];
        const int count = PointsOnBarkAxis(
            m_processor.m_fBinBark, kBins, left, width,
            [&](int i) {
                const double gain = fitting->Gain(CAudiogramStage::kBinHz * i, kGainInputSpl);
                return static_cast<int>((top + height) - std::clamp(gain, 0.0, kHighestDisplayedSpl) * pxPerDb);
            },
            curve);
        surface.Polyline(curve, count, ear == Ear::Right ? kRightEarColour : kLeftEarColour, 2, Qt::DotLine);
    }
}
