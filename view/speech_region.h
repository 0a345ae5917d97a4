#pragma once

#include <QRectF>

class QPainter;

// The region of average speech at normal effort 1 m away on the audiogram
// chart (dB HL downwards): each band's 30 dB range from where a threshold
// hears all of it to where it hears none, shaded, with its name, under
// everything else the chart draws.
void DrawSpeechRegion(QPainter& painter, const QRectF& plot, double octaves);
