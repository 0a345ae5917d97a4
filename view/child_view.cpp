#include "child_view.h"

#include "child_view_accessible.h"
#include "mem_play.h"
#include "surface.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <cmath>

namespace {

// A report of the wave output device, delivered to the view as an event.
class CWaveOutReport final : public QEvent {
public:
    static QEvent::Type TypeOf(WaveOutEvent event)
    {
        static const auto done = static_cast<QEvent::Type>(QEvent::registerEventType());
        static const auto closed = static_cast<QEvent::Type>(QEvent::registerEventType());
        return event == WaveOutEvent::BufferDone ? done : closed;
    }

    CWaveOutReport(WaveOutEvent event, int opening) : QEvent(TypeOf(event)), m_opening(opening) {}
    int Opening() const { return m_opening; }

private:
    int m_opening;
};

}  // namespace

CChildView::CChildView(CSourceBank& sources, QWidget* parent)
    : QWidget(parent), m_processor(sources), m_speechMeter(sources)
{
    m_processor.KeepGainCurveSettingInGlobal();
    // Only Hörbarkeit shows the index: the other views cost what they always did.
    m_processor.SetBlockListener([this] {
        if (ShownSpectrumView() == SpectrumView::Audibility)
            m_speechMeter.Measure(m_processor);
    });
    m_controls.SetListener([this](int part) { ShowChange(part); });
    // 14 points at the screen's resolution: 19 pixels at 96 dpi.
    m_font.setFamily(QStringLiteral("Arial"));
    m_font.setPixelSize(static_cast<int>(std::lround(140.0 * ScreenDpi() / 720.0)));
    // Every paint covers the whole view, so nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    // Keys reach the view; its sliders take the focus by Tab.
    setFocusPolicy(Qt::StrongFocus);
    // Screen readers find the hand-painted sources and sliders.
    [[maybe_unused]] static const bool accessible = [] {
        QAccessible::installFactory(&CChildViewAccessible::Factory);
        return true;
    }();
}

void CChildView::SetSpectrumView(SpectrumView view)
{
    m_chosenView = view;
    m_processor.SetLevelMeasurement(view != SpectrumView::Relative);
    m_speechMeter.Clear();
}

CChildView::SpectrumView CChildView::ShownSpectrumView() const
{
    if (m_chosenView == SpectrumView::Audibility && !m_processor.AnyAudiogram())
        return SpectrumView::Relative;
    return m_chosenView;
}

CChildView::~CChildView()
{
    if (g_memPlay.m_bOpen)
        g_memPlay.Close();
}

void CChildView::CPoster::Post(WaveOutEvent event, int opening)
{
    QCoreApplication::postEvent(&m_view, new CWaveOutReport(event, opening));
}

bool CChildView::event(QEvent* event)
{
    if (event->type() == CWaveOutReport::TypeOf(WaveOutEvent::BufferDone)) {
        OnWomDone(static_cast<CWaveOutReport*>(event)->Opening());
        return true;
    }
    if (event->type() == CWaveOutReport::TypeOf(WaveOutEvent::Closed)) {
        OnWomClose(static_cast<CWaveOutReport*>(event)->Opening());
        return true;
    }
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int source = SourceButtonAt(help->pos().x(), help->pos().y());
        if (source >= 0)
            QToolTip::showText(help->globalPos(), SourceToolTip(source), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void CChildView::paintEvent(QPaintEvent*)
{
    OnPaint();
}

void CChildView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->position().toPoint().x(), event->position().toPoint().y());
}

void CChildView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp();
}

void CChildView::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(event->position().toPoint().x(), event->position().toPoint().y());
}

// The second press of a double click does nothing (by default it would be
// handled as another press).
void CChildView::mouseDoubleClickEvent(QMouseEvent*) {}

void CChildView::OnWomDone(int opening)
{
    if (m_processor.HandleBlockFinished(opening))
        update();
}

void CChildView::OnWomClose(int opening)
{
    m_processor.HandleDeviceClosed(opening);
}
