#include "calibration_settings.h"

#include "level_ranges.h"

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
    level.fullScale = Stored(settings, kFullScaleKey, kLowestFullScaleSpl, kHighestFullScaleSpl);
    level.speechLevel = Stored(settings, kSpeechKey, kLowestSpeechSpl, kHighestSpeechSpl);
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
