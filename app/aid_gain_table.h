#pragma once

#include "aid_fitting.h"
#include "listener_file.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

// Each ear's hearing aid, as chosen in the Hörverlust menu.
struct AidRules {
    AidRule left = AidRule::Off;
    AidRule right = AidRule::Off;
};

// The aids' insertion gains as the audiogram dialog and its printed page
// show them: a title naming the rule, then for each aided ear (right
// first, as on an audiogram) a row per input level (one for a linear rule)
// of the gains in dB at the audiometric frequencies.
struct AidGainTable {
    QString title;
    std::vector<double> hz;
    std::vector<std::pair<QString, std::vector<double>>> rows;
};

// Nothing without an aid.
std::optional<AidGainTable> MakeAidGainTable(const Listener& listener, const AidRules& rules);
// A gain as the table writes it: German decimals, one place.
QString GainText(double gain);
