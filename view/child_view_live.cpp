#include "child_view.h"

#include "child_view_accessible.h"
#include "surface.h"

#include <algorithm>

namespace {

constexpr ColorRef kLiveFill = 0x002020B0;   // a red "on air" badge
constexpr ColorRef kAlarmFill = 0x00000080;  // darker when something went wrong
constexpr ColorRef kWhite = 0x00FFFFFF;

}  // namespace

void CChildView::SetLive(bool on)
{
    if (on == m_bLive)
        return;
    m_bLive = on;
    if (on) {
        m_controls.HoldSources();
        std::copy(m_processor.m_dBandLevel, m_processor.m_dBandLevel + kBands, m_bandsBeforeLive.left);
        std::copy(m_processor.RightBandLevel(), m_processor.RightBandLevel() + kBands, m_bandsBeforeLive.right);
        m_bandsBeforeLive.stereo = m_processor.StereoBlock();
        m_bandsBeforeLive.maxLevel = m_processor.m_dMaxLevel;
    } else {
        m_controls.ReleaseSources();
        // No bar of live sound stays once it has ended.
        m_processor.m_dMaxLevel = m_bandsBeforeLive.maxLevel;
        m_processor.ShowBands(m_bandsBeforeLive.left, m_bandsBeforeLive.right, m_bandsBeforeLive.stereo);
        std::fill(m_dLiveSplPeak, m_dLiveSplPeak + kBands, 0.0);
        m_liveStatus.clear();
        m_bLiveAlarm = false;
    }
    m_processor.ControlPlayback(m_poster);
    update();
}

void CChildView::SetLiveStatus(const QString& status, bool alarm)
{
    if (status == m_liveStatus && alarm == m_bLiveAlarm)
        return;
    m_liveStatus = status;
    m_bLiveAlarm = alarm;
    update();
    NotifyAccessiblePart(*this, CChildViewAccessible::kSpectrum);
}

void CChildView::ShowLiveSplLevels(const double* levels)
{
    std::copy(levels, levels + kBands, m_dLiveSplPeak);
}

void CChildView::DrawLiveStatus(CSurface& surface, int left, int top, int width)
{
    if (m_liveStatus.isEmpty())
        return;
    const QSize extent = surface.TextExtent(m_liveStatus);
    const int x = left + (width - extent.width()) / 2;
    const ColorRef fill = m_bLiveAlarm ? kAlarmFill : kLiveFill;
    surface.FillSolidRect(x - 8, top + 4, extent.width() + 16, extent.height() + 4, fill);
    surface.SetTextColor(kWhite);
    surface.TextOut(x, top + 6, m_liveStatus);
}
