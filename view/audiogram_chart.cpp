#include "audiogram_chart.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kOctaves = 6.0;  // 125 Hz to 8000 Hz
const QColor kRightEar(200, 0, 0);
const QColor kLeftEar(0, 0, 200);

}  // namespace

double CAudiogramChart::XForHz(double hz, const QRectF& plot)
{
    return plot.left() + std::log2(hz / kHz.front()) / kOctaves * plot.width();
}

double CAudiogramChart::HzForX(double x, const QRectF& plot)
{
    return kHz.front() * std::exp2((x - plot.left()) / plot.width() * kOctaves);
}

double CAudiogramChart::YForLevel(double level, const QRectF& plot)
{
    return plot.top() + (level - kTopLevel) / (kBottomLevel - kTopLevel) * plot.height();
}

int CAudiogramChart::LevelForY(double y, const QRectF& plot)
{
    const double level = kTopLevel + (y - plot.top()) / plot.height() * (kBottomLevel - kTopLevel);
    const int stepped = static_cast<int>(std::lround(level / kStep)) * kStep;
    return std::clamp(stepped, kTopLevel, kBottomLevel);
}

int CAudiogramChart::PointForX(const std::vector<double>& hz, double x, const QRectF& plot)
{
    const double octave = std::log2(std::max(HzForX(x, plot), 1.0));
    int nearest = -1;
    for (int i = 0; i < static_cast<int>(hz.size()); ++i)
        if (nearest < 0 || std::abs(std::log2(hz[i]) - octave) < std::abs(std::log2(hz[nearest]) - octave))
            nearest = i;
    return nearest;
}

CAudiogramChart::CAudiogramChart(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(520, 360);
    setCursor(Qt::CrossCursor);
}

QRectF CAudiogramChart::Plot() const
{
    return QRectF(60, 30, width() - 90, height() - 56);
}

void CAudiogramChart::SetEar(bool right, std::vector<double> hz, std::vector<double> levels)
{
    m_right = right;
    m_hz = std::move(hz);
    m_levels = std::move(levels);
    update();
}

void CAudiogramChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF plot = Plot();

    painter.setPen(QColor(200, 200, 200));
    for (int level = kTopLevel; level <= kBottomLevel; level += 10) {
        const double y = YForLevel(level, plot);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y - 10, plot.left() - 8, 20), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(level));
        painter.setPen(QColor(200, 200, 200));
    }
    for (double hz : kHz) {
        const double x = XForHz(hz, plot);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(Qt::black);
        const QString label = hz < 1000 ? QString::number(hz) : QString::number(hz / 1000) + QStringLiteral("k");
        painter.drawText(QRectF(x - 30, 4, 60, 20), Qt::AlignCenter, label);
        painter.setPen(QColor(200, 200, 200));
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, plot.bottom() + 6, plot.left(), 20), Qt::AlignCenter, QStringLiteral("dB HL"));
    painter.drawText(QRectF(plot.right() - 60, plot.bottom() + 6, 60, 20), Qt::AlignRight, QStringLiteral("Hz"));

    const QColor colour = m_right ? kRightEar : kLeftEar;
    painter.setPen(QPen(colour, 2));
    const int points = static_cast<int>(std::min(m_hz.size(), m_levels.size()));
    QPointF previous;
    for (int i = 0; i < points; ++i) {
        const QPointF point(XForHz(m_hz[i], plot), YForLevel(m_levels[i], plot));
        if (i > 0)
            painter.drawLine(previous, point);
        previous = point;
    }
    constexpr double r = 6.0;
    painter.setBrush(Qt::white);
    for (int i = 0; i < points; ++i) {
        const QPointF point(XForHz(m_hz[i], plot), YForLevel(m_levels[i], plot));
        if (m_right) {
            painter.drawEllipse(point, r, r);
        } else {
            painter.drawLine(point + QPointF(-r, -r), point + QPointF(r, r));
            painter.drawLine(point + QPointF(-r, r), point + QPointF(r, -r));
        }
    }
}

void CAudiogramChart::SetFromPointer(QPointF at)
{
    const QRectF plot = Plot();
    if (m_dragged < 0 || m_dragged >= static_cast<int>(m_hz.size()))
        m_dragged = PointForX(m_hz, at.x(), plot);
    if (m_dragged < 0)
        return;
    const int level = LevelForY(at.y(), plot);
    if (level == m_levels[m_dragged])
        return;
    m_levels[m_dragged] = level;
    update();
    if (m_changed)
        m_changed(m_dragged, level);
}

void CAudiogramChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragged = -1;
    SetFromPointer(event->position());
}

void CAudiogramChart::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        SetFromPointer(event->position());
}
