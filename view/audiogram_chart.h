#pragma once

#include "ear.h"

#include <QRectF>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

// The audiogram chart as audiologists draw it: frequency on an octave axis,
// 125 Hz on the left to 8000 Hz on the right (further, to 12.5, 16 or 20 kHz,
// when an audiogram has points beyond 8 kHz); dB HL downward, -10 at the top
// to 120 at the bottom, a grid line every 10 dB. Both ears are drawn at the
// frequencies they were measured at: the right as O in red joined by solid
// lines, the left as X in blue joined by dashed lines, the ear being edited
// over the other. A press or drag sets the edited ear's threshold at the
// nearest measured frequency, in 5 dB steps.
class CAudiogramChart : public QWidget {
public:
    // The audiometric frequencies: the axis's grid, and those offered for
    // adding to an audiogram.
    static constexpr int kPoints = 11;
    static constexpr std::array<double, kPoints> kHz = {125, 250, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000, 8000};
    static constexpr int kTopLevel = -10;
    static constexpr int kBottomLevel = 120;
    static constexpr int kStep = 5;

    // The octaves the axis spans from 125 Hz for an audiogram's frequencies:
    // six, to 8 kHz, unless it has points beyond.
    static double AxisOctaves(const std::vector<double>& hz);
    // The mappings that painting and the pointer share.
    static double XForHz(double hz, const QRectF& plot, double octaves = 6.0);
    // A grid frequency as the axis names it, in German: "750", "1,5k", "8k".
    static QString FrequencyLabel(double hz);
    static double HzForX(double x, const QRectF& plot, double octaves = 6.0);
    static double YForLevel(double level, const QRectF& plot);
    // The level at y, to the nearest 5 dB step within the chart.
    static int LevelForY(double y, const QRectF& plot);
    // The index of the frequency in `hz` nearest to x on the octave axis;
    // -1 when there is none.
    static int PointForX(const std::vector<double>& hz, double x, const QRectF& plot);

    explicit CAudiogramChart(QWidget* parent = nullptr);

    // Both ears at the same frequencies (ascending), and the ear edited.
    void SetEars(std::vector<double> hz, std::vector<double> left, std::vector<double> right, Ear edited);
    // The edited ear's thresholds.
    const std::vector<double>& Levels() const { return m_edited == Ear::Left ? m_left : m_right; }
    Ear Edited() const { return m_edited; }
    // Draws the chart of both ears into `area` of any painter: the window,
    // a printed page. `edited` is drawn last.
    static void Draw(QPainter& painter, const QRectF& area, const std::vector<double>& hz,
                     const std::vector<double>& left, const std::vector<double>& right, Ear edited);
    // Called when the pointer sets a threshold: point index and new level.
    void SetChangedHandler(std::function<void(int, int)> handler) { m_changed = std::move(handler); }
    // The plotting area within the widget, or within an area drawn into.
    QRectF Plot() const;
    static QRectF PlotIn(const QRectF& area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SetFromPointer(QPointF at);

    Ear m_edited = Ear::Right;
    std::vector<double> m_hz;
    std::vector<double> m_left;
    std::vector<double> m_right;
    int m_dragged = -1;
    std::function<void(int, int)> m_changed;
};
