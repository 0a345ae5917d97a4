#pragma once

#include <QRectF>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

// The audiogram chart as audiologists draw it: frequency on an octave axis,
// 125 Hz on the left to 8000 Hz on the right; dB HL downward, -10 at the top
// to 120 at the bottom, a grid line every 10 dB. The ear shown is drawn at
// the frequencies it was measured at, as O in red (right) or X in blue
// (left), joined by lines; a press or drag sets the nearest measured
// frequency's threshold in 5 dB steps.
class CAudiogramChart : public QWidget {
public:
    // The audiometric frequencies: the axis's grid, and those offered for
    // adding to an audiogram.
    static constexpr int kPoints = 11;
    static constexpr std::array<double, kPoints> kHz = {125, 250, 500, 750, 1000, 1500, 2000, 3000, 4000, 6000, 8000};
    static constexpr int kTopLevel = -10;
    static constexpr int kBottomLevel = 120;
    static constexpr int kStep = 5;

    // The mappings that painting and the pointer share.
    static double XForHz(double hz, const QRectF& plot);
    static double HzForX(double x, const QRectF& plot);
    static double YForLevel(double level, const QRectF& plot);
    // The level at y, to the nearest 5 dB step within the chart.
    static int LevelForY(double y, const QRectF& plot);
    // The index of the frequency in `hz` nearest to x on the octave axis;
    // -1 when there is none.
    static int PointForX(const std::vector<double>& hz, double x, const QRectF& plot);

    explicit CAudiogramChart(QWidget* parent = nullptr);

    // The ear shown: its frequencies (ascending) and thresholds.
    void SetEar(bool right, std::vector<double> hz, std::vector<double> levels);
    const std::vector<double>& Levels() const { return m_levels; }
    // Called when the pointer sets a threshold: point index and new level.
    void SetChangedHandler(std::function<void(int, int)> handler) { m_changed = std::move(handler); }
    // The plotting area within the widget.
    QRectF Plot() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void SetFromPointer(QPointF at);

    bool m_right = true;
    std::vector<double> m_hz;
    std::vector<double> m_levels;
    int m_dragged = -1;
    std::function<void(int, int)> m_changed;
};
