#pragma once

#include <QPoint>

// The points of a curve over the bins on the spectrum's Bark axis, as the
// bars lie: Bark 1 at `left`, width/23 pixels per Bark, bins from 0.5 to 24
// Bark only. `y(bin)` gives each point's height. Returns the point count.
template <typename HeightOf>
int PointsOnBarkAxis(const float* binBark, int bins, int left, int width, HeightOf y, QPoint* points)
{
    const double pxPerBark = width / 23;
    int count = 0;
    for (int i = 0; i < bins; ++i) {
        const double b = binBark[i];
        if (b < 0.5 || b > 24.0)
            continue;
        points[count++] = QPoint(static_cast<int>((b - 1.0) * pxPerBark + left), y(i));
    }
    return count;
}
