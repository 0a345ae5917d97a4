#include "audiogram_chart.h"

#include "speech_region.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Where the axis ends beyond 8 kHz, for the points an audiogram has there.
constexpr double kExtendedTopHz[] = {12500, 16000, 20000};
const QColor kRightEar(200, 0, 0);
const QColor kLeftEar(0, 0, 200);

}  // namespace

double CAudiogramChart::AxisOctaves(const std::vector<double>& hz)
{
    const double highest = hz.empty() ? 0.0 : *std::max_element(hz.begin(), hz.end());
    double top = kHz.back();
    for (const double extended : kExtendedTopHz)
        if (highest > top)
            top = extended;
    return std::log2(top / kHz.front());
}

double CAudiogramChart::XForHz(double hz, const QRectF& plot, double octaves)
{
    return plot.left() + std::log2(hz / kHz.front()) / octaves * plot.width();
}

QString CAudiogramChart::FrequencyLabel(double hz)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    return hz < 1000 ? german.toString(hz, 'g', 4) : german.toString(hz / 1000, 'g', 4) + QStringLiteral("k");
}

double CAudiogramChart::HzForX(double x, const QRectF& plot, double octaves)
{
    return kHz.front() * std::exp2((x - plot.left()) / plot.width() * octaves);
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
    const double octave = std::log2(std::max(HzForX(x, plot, AxisOctaves(hz)), 1.0));
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
    return PlotIn(QRectF(rect()));
}

QRectF CAudiogramChart::PlotIn(const QRectF& area)
{
    return QRectF(area.left() + 60, area.top() + 30, area.width() - 90, area.height() - 56);
}

void CAudiogramChart::SetEars(std::vector<double> hz, std::vector<double> left, std::vector<double> right, Ear edited)
{
    m_hz = std::move(hz);
    m_left = std::move(left);
    m_right = std::move(right);
    m_edited = edited;
    update();
}

void CAudiogramChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw(painter, QRectF(rect()), m_hz, m_left, m_right, m_edited);
}

void CAudiogramChart::Draw(QPainter& painter, const QRectF& area, const std::vector<double>& hz,
                           const std::vector<double>& left, const std::vector<double>& right, Ear edited)
{
    painter.save();
    painter.fillRect(area, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF plot = PlotIn(area);

    const QPen grid(QColor(200, 200, 200));
    painter.setPen(grid);
    for (int level = kTopLevel; level <= kBottomLevel; level += 10) {
        const double y = YForLevel(level, plot);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - 10, plot.left() - area.left() - 8, 20),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(level));
        painter.setPen(grid);
    }
    const double octaves = AxisOctaves(hz);
    // Beyond 8 kHz a line at the axis's end, and at 16 kHz before 20: more
    // would crowd their names.
    std::vector<double> gridHzs(kHz.begin(), kHz.end());
    const double topHz = kHz.front() * std::exp2(octaves);
    if (topHz > kHz.back() + 1.0) {
        if (topHz > 16001.0)
            gridHzs.push_back(16000.0);
        gridHzs.push_back(std::round(topHz));
    }
    // Anything beyond the axis's ends sits at them.
    const auto xFor = [&](double at) { return std::clamp(XForHz(at, plot, octaves), plot.left(), plot.right()); };
    for (double gridHz : gridHzs) {
        const double x = xFor(gridHz);
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x - 30, area.top() + 4, 60, 20), Qt::AlignCenter, FrequencyLabel(gridHz));
        painter.setPen(grid);
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.left(), plot.bottom() + 6, plot.left() - area.left(), 20), Qt::AlignCenter,
                     QStringLiteral("dB HL"));
    painter.drawText(QRectF(plot.right() - 60, plot.bottom() + 6, 60, 20), Qt::AlignRight, QStringLiteral("Hz"));
    DrawSpeechRegion(painter, plot, octaves);

    // Right: O, red, solid; left: X, blue, dashed.
    const auto drawEar = [&](Ear ear) {
        const std::vector<double>& levels = ear == Ear::Left ? left : right;
        const int points = static_cast<int>(std::min(hz.size(), levels.size()));
        QPen pen(ear == Ear::Right ? kRightEar : kLeftEar, 2);
        pen.setStyle(ear == Ear::Right ? Qt::SolidLine : Qt::DashLine);
        painter.setPen(pen);
        QPointF previous;
        for (int i = 0; i < points; ++i) {
            const QPointF point(xFor(hz[i]), YForLevel(levels[i], plot));
            if (i > 0)
                painter.drawLine(previous, point);
            previous = point;
        }
        pen.setStyle(Qt::SolidLine);
        painter.setPen(pen);
        constexpr double r = 6.0;
        painter.setBrush(Qt::white);
        for (int i = 0; i < points; ++i) {
            const QPointF point(xFor(hz[i]), YForLevel(levels[i], plot));
            if (ear == Ear::Right) {
                painter.drawEllipse(point, r, r);
            } else {
                painter.drawLine(point + QPointF(-r, -r), point + QPointF(r, r));
                painter.drawLine(point + QPointF(-r, r), point + QPointF(r, -r));
            }
        }
    };
    drawEar(edited == Ear::Left ? Ear::Right : Ear::Left);
    drawEar(edited);
    painter.restore();
}

void CAudiogramChart::SetFromPointer(QPointF at)
{
    const QRectF plot = Plot();
    if (m_dragged < 0 || m_dragged >= static_cast<int>(m_hz.size()))
        m_dragged = PointForX(m_hz, at.x(), plot);
    if (m_dragged < 0)
        return;
    const int level = LevelForY(at.y(), plot);
    std::vector<double>& levels = m_edited == Ear::Left ? m_left : m_right;
    if (m_dragged >= static_cast<int>(levels.size()) || level == levels[m_dragged])
        return;
    levels[m_dragged] = level;
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
