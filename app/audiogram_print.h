#pragma once

#include "aid_gain_table.h"
#include "listener_file.h"

#include <QDate>
#include <QRectF>

class QPagedPaintDevice;
class QPainter;

// An audiogram on paper: the listener's name and the date, the chart with
// both ears and the speech region, its legend, the thresholds of both ears
// in dB HL and the speech intelligibility index; with an aid, the index
// with it and its gains.

// Lays the page out in `page` (logical units, about 800 wide).
void DrawAudiogramPage(QPainter& painter, const QRectF& page, const Listener& listener, const QDate& date,
                       const AidRules& aids = {});

// One page on a printer or a PDF writer; false when the device takes nothing.
bool PrintAudiogram(QPagedPaintDevice& device, const Listener& listener, const QDate& date,
                    const AidRules& aids = {});
