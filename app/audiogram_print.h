#pragma once

#include "aid_gain_table.h"
#include "listener_file.h"

#include <QDate>
#include <QRectF>

class QPagedPaintDevice;
class QPainter;

// An audiogram on paper: the listener's name and the date, the chart with
// both ears, its legend and the thresholds of both ears in dB HL; with an
// aid, its gains under them.

// Lays the page out in `page` (logical units, about 800 wide).
void DrawAudiogramPage(QPainter& painter, const QRectF& page, const Listener& listener, const QDate& date,
                       const std::optional<AidGainTable>& aid = std::nullopt);

// One page on a printer or a PDF writer; false when the device takes nothing.
bool PrintAudiogram(QPagedPaintDevice& device, const Listener& listener, const QDate& date,
                    const std::optional<AidGainTable>& aid = std::nullopt);
