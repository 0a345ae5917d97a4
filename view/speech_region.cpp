#include "speech_region.h"

#include "audiogram_chart.h"
#include "hearing_intelligibility.h"

#include <QPainter>
#include <QPolygonF>

namespace {

const QColor kRegionFill(255, 190, 90, 90);  // a light orange, behind the ears' colours
const QColor kRegionText(150, 90, 0);

}  // namespace

void DrawSpeechRegion(QPainter& painter, const QRectF& plot, double octaves)
{
    const SpeechRegion region = NormalSpeechRegion();
    // Along the softest edge from low to high frequencies, back along the loudest.
    QPolygonF outline;
    for (int i = 0; i < Sii::kBands; ++i)
        outline << QPointF(CAudiogramChart::XForHz(Sii::kCentreHz[i], plot, octaves),
                           CAudiogramChart::YForLevel(region.softest[i], plot));
    for (int i = Sii::kBands - 1; i >= 0; --i)
        outline << QPointF(CAudiogramChart::XForHz(Sii::kCentreHz[i], plot, octaves),
                           CAudiogramChart::YForLevel(region.loudest[i], plot));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRegionFill);
    painter.drawPolygon(outline);
    // The name at 400 Hz, just inside the loud edge, where thresholds cross it least.
    painter.setPen(kRegionText);
    const int band = 4;
    const QPointF at(CAudiogramChart::XForHz(Sii::kCentreHz[band], plot, octaves),
                     CAudiogramChart::YForLevel(region.loudest[band] - 5, plot));
    painter.drawText(QRectF(at.x() - 60, at.y() - 10, 120, 20), Qt::AlignCenter, QStringLiteral("Sprachbereich"));
    painter.restore();
}
