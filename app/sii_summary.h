#pragma once

#include "aid_gain_table.h"
#include "hearing_intelligibility.h"
#include "listener_file.h"

#include <QString>
#include <QStringList>

// The speech intelligibility index as the audiogram dialog and its printed
// page state it: one line per vocal effort (normal, raised, loud; a talker
// at 1 m in quiet), right ear, left ear and both, and with the aids when
// either ear has one: "SII bei normaler Sprechweise: rechts 0,42, links 0,61,
// beide 0,63; mit Hörgerät: …".
QStringList SiiSummary(const Listener& listener, const AidRules& rules);
// An index as those lines write it: German decimals, two places.
QString IndexText(double index);
// The three ears' values of one index: "rechts 0,42, links 0,61, beide 0,63".
QString EarsIndexText(const EarsIndex& index);
