#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

// Pixels per inch of the screen the program appears on, 96 when there is none.
double ScreenDpi();

// A colour value in the 0x00BBGGRR layout.
using ColorRef = unsigned int;

inline QColor ToQColor(ColorRef color)
{
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// The off-screen surface the view composes itself on, with the few raster
// operations its layout needs. Texts are drawn opaque: their cell is filled
// with the current background colour.
class CSurface {
public:
    explicit CSurface(QImage& image);

    void FillSolidRect(int x, int y, int width, int height, ColorRef color);  // also sets the background colour
    void SetBkColor(ColorRef color) { m_background = color; }
    void SetTextColor(ColorRef color) { m_textColor = color; }
    void SetFont(const QFont& font);
    const QFont& Font() const { return m_font; }
    // Width and height of a text in the current font.
    QSize TextExtent(const QString& text) const;
    void TextOut(int x, int y, const QString& text);
    // Bitwise complement of every pixel of the rectangle (right and bottom
    // exclusive).
    void InvertRect(int left, int top, int right, int bottom);
    // A solid polyline `width` pixels wide, without antialiasing.
    void Polyline(const QPoint* points, int count, ColorRef color, int width, Qt::PenStyle style = Qt::SolidLine);
    // A polygon filled with `color` laid over what is there at `opacity`
    // (0..1), without antialiasing and without an outline.
    void FillPolygon(const QPoint* points, int count, ColorRef color, double opacity);

private:
    QImage& m_image;
    QPainter m_painter;
    QFont m_font;
    ColorRef m_background = 0x00FFFFFF;
    ColorRef m_textColor = 0;
};
