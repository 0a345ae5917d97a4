#include "child_view.h"

#include "child_view_accessible.h"

// The sliders in the order every handler examines them.
const CChildView::Slider CChildView::kSliders[3] = {
    {&CChildView::m_rcLoudness, &CChildView::m_bDragLoudness},
    {&CChildView::m_rcHighFreq, &CChildView::m_bDragHighFreq},
    {&CChildView::m_rcResolution, &CChildView::m_bDragResolution},
};

// The inverse of the thumb placement: the thumb's centre lands under the
// pointer.
void CChildView::SetFromPointer(const Slider& slider, int x)
{
    const CRect& track = this->*slider.track;
    const int numerator = x - m_nThumbWidth / 2 - track.left;
    const int denominator = track.right - track.left - m_nThumbWidth;
    // A track no wider than the thumb: its left half means 0, the rest 1.
    double value = denominator != 0 ? static_cast<double>(numerator) / denominator : (numerator > 0 ? 1.0 : 0.0);
    if (value < 0.0)
        value = 0.0;
    if (value > 1.0)
        value = 1.0;
    m_controls.SetValue(static_cast<int>(&slider - kSliders), value);
}

// The gain curve follows at the next paint, which the change requests.
void CChildView::ShowChange(int part)
{
    update();
    NotifyAccessiblePart(*this, part);
}

void CChildView::OnLButtonDown(int x, int y)
{
    const int w = width();
    const int h = height();
    const int sx = x - 10;
    const int sy = y - 10;
    // The button row comes from the client size itself, margins included.
    if (sy < (h - 20) / 10) {
        int source = -1;
        if (sx < (w - 20) / 3)
            source = 0;
        else if (sx < (2 * (w - 20)) / 3)
            source = 1;
        else if (sx < w - 20)
            source = 2;
        if (source >= 0)
            m_controls.ToggleSource(source);  // held while live
    } else {
        for (const Slider& slider : kSliders) {
            if (!(this->*slider.track).Contains(sx, sy))
                continue;
            SetFromPointer(slider, sx);
            // What was touched is what the keys move next.
            const int index = static_cast<int>(&slider - kSliders);
            if (m_nFocusedSlider != index) {
                m_nFocusedSlider = index;
                NotifyAccessiblePart(*this, CChildViewAccessible::kFirstSlider + index, true);
            }
            // Moves and the release keep coming here while the button is held,
            // also outside the view.
            this->*slider.drag = 1;
            break;
        }
    }
    m_processor.ControlPlayback(m_poster);
}

void CChildView::OnMouseMove(int x, int /*y*/)
{
    for (const Slider& slider : kSliders) {
        if (!(this->*slider.drag))
            continue;
        const CRect& track = this->*slider.track;
        const int sx = x - 10;
        if (track.left <= sx && sx < track.right) {
            SetFromPointer(slider, sx);
            // What was touched is what the keys move next.
            const int index = static_cast<int>(&slider - kSliders);
            if (m_nFocusedSlider != index) {
                m_nFocusedSlider = index;
                NotifyAccessiblePart(*this, CChildViewAccessible::kFirstSlider + index, true);
            }
        }
        return;
    }
}

void CChildView::OnLButtonUp()
{
    for (const Slider& slider : kSliders) {
        if (this->*slider.drag) {
            update();
            this->*slider.drag = 0;
            return;
        }
    }
}
