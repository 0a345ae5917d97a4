#include "calibration_settings.h"

#include <QSettings>

namespace {

const QString kFullScaleKey = QStringLiteral("calibration/fullScaleSpl");
const QString kSpeechKey = QStringLiteral("calibration/speechLevelSpl");

std::optional<double> Stored(const QSettings& settings, const QString& key, double lowest, double highest)
{
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    if (!ok || !(value >= lowest && value <= highest))
        return std::nullopt;
    return value;
}

}  // namespace

ListeningLevel LoadListeningLevel()
{
    const QSettings settings;
    ListeningLevel level;
    // Full scale lies 20 dB above the tone the meter reads.
    level.fullScale = Stored(settings, kFullScaleKey, ListeningLevel::kLowestReading + 20.0,
                             ListeningLevel::kHighestReading + 20.0);
    level.speechLevel = Stored(settings, kSpeechKey, 20.0, 100.0);
    return level;
}

void SaveListeningLevel(const ListeningLevel& level)
{
    QSettings settings;
    if (level.fullScale)
        settings.setValue(kFullScaleKey, *level.fullScale);
    else
        settings.remove(kFullScaleKey);
    if (level.speechLevel)
        settings.setValue(kSpeechKey, *level.speechLevel);
    else
        settings.remove(kSpeechKey);
}
