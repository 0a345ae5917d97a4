#include "surface.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPen>
#include <QScreen>

#include <algorithm>

double ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

CSurface::CSurface(QImage& image) : m_image(image), m_painter(&image), m_font(QFont())
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setFont(m_font);
}

void CSurface::FillSolidRect(int x, int y, int width, int height, ColorRef color)
{
    m_painter.fillRect(x, y, width, height, ToQColor(color));
    m_background = color;
}

void CSurface::SetFont(const QFont& font)
{
    m_font = font;
    m_painter.setFont(font);
}

QSize CSurface::TextExtent(const QString& text) const
{
    const QFontMetrics metrics(m_font, &m_image);
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

void CSurface::TextOut(int x, int y, const QString& text)
{
    const QFontMetrics metrics(m_font, &m_image);
    m_painter.fillRect(x, y, metrics.horizontalAdvance(text), metrics.height(), ToQColor(m_background));
    m_painter.setPen(ToQColor(m_textColor));
    m_painter.drawText(x, y + metrics.ascent(), text);
}

void CSurface::InvertRect(int left, int top, int right, int bottom)
{
    // Pixels are changed directly, so finish what the painter has queued.
    m_painter.end();
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_image.width());
    bottom = std::min(bottom, m_image.height());
    for (int y = top; y < bottom; ++y) {
        auto* const line = reinterpret_cast<QRgb*>(m_image.scanLine(y));
        for (int x = left; x < right; ++x)
            line[x] = 0xFF000000u | (~line[x] & 0x00FFFFFFu);
    }
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setFont(m_font);
}

void CSurface::Polyline(const QPoint* points, int count, ColorRef color, int width, Qt::PenStyle style)
{
    m_painter.setPen(QPen(ToQColor(color), width, style, Qt::RoundCap, Qt::RoundJoin));
    m_painter.drawPolyline(points, count);
}

void CSurface::FillPolygon(const QPoint* points, int count, ColorRef color, double opacity)
{
    m_painter.save();
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(ToQColor(color));
    m_painter.setOpacity(opacity);
    m_painter.drawPolygon(points, count);
    m_painter.restore();
}
