#include "child_view.h"

#include "child_view_accessible.h"
#include "surface.h"

#include <QKeyEvent>

#include <algorithm>

namespace {

constexpr double kKeyStep = 0.05;  // a twentieth of the track per arrow key

}  // namespace

void CChildView::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const int key = event->key();
    if (plain && key >= Qt::Key_1 && key <= Qt::Key_3) {
        ToggleSource(key - Qt::Key_1);
        return;
    }
    if (plain && m_nFocusedSlider >= 0) {
        if (key == Qt::Key_Left)
            m_controls.Step(m_nFocusedSlider, -kKeyStep);
        else if (key == Qt::Key_Right)
            m_controls.Step(m_nFocusedSlider, kKeyStep);
        else if (key == Qt::Key_Home)
            m_controls.SetValue(m_nFocusedSlider, 0.0);
        else if (key == Qt::Key_End)
            m_controls.SetValue(m_nFocusedSlider, 1.0);
        const bool moves = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End;
        if (moves && !m_bFocusShown) {
            m_bFocusShown = true;  // the keys now act: say on which
            update();
        }
        if (moves)
            return;
    }
    QWidget::keyPressEvent(event);
}

bool CChildView::focusNextPrevChild(bool next)
{
    // Tab and Shift+Tab go round the three sliders.
    m_nFocusedSlider = m_nFocusedSlider < 0 ? (next ? 0 : 2) : (m_nFocusedSlider + (next ? 1 : 2)) % 3;
    m_bFocusShown = true;
    update();
    NotifyAccessiblePart(*this, CChildViewAccessible::kFirstSlider + m_nFocusedSlider, true);
    return true;
}

void CChildView::ToggleSource(int source)
{
    if (m_controls.ToggleSource(source))
        m_processor.ControlPlayback(m_poster);
}

QRect CChildView::PartRect(int part) const
{
    // The surface lies at (10, 10) in the view.
    if (part < kSourceCount) {
        const CRect button = SourceButtonRect(part, std::max(width() - 20, 250), std::max(height() - 20, 250) / 10);
        return QRect(button.left + 10, button.top + 10, button.right - button.left, button.bottom - button.top);
    }
    if (part == CChildViewAccessible::kSpectrum) {
        const int w = std::max(width() - 20, 250), h = std::max(height() - 20, 250);
        const int top = h / 10 + 90;
        return QRect(10, 10 + top, w, h - top);
    }
    const CRect& track = this->*kSliders[part - kSourceCount].track;
    return QRect(track.left + 10, track.top + 10, track.right - track.left, track.bottom - track.top);
}

void CChildView::DrawSliderFocus(CSurface& surface)
{
    // Shown once the keys were used, so that a view used by mouse alone
    // looks as it always did.
    if (m_nFocusedSlider < 0 || !m_bFocusShown)
        return;
    const CRect& track = this->*kSliders[m_nFocusedSlider].track;
    const QPoint outline[5] = {{track.left, track.top},
                               {track.right - 1, track.top},
                               {track.right - 1, track.bottom - 1},
                               {track.left, track.bottom - 1},
                               {track.left, track.top}};
    surface.Polyline(outline, 5, 0x00000000, 2, Qt::DotLine);
}
