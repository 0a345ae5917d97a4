#include "stored_loss_settings.h"

#include "level_ranges.h"

#include <QSettings>

namespace {

const QString kEarsKey = QStringLiteral("hearing/ears");
const QString kRecruitmentKey = QStringLiteral("hearing/recruitment");
const QString kSmearingKey = QStringLiteral("hearing/audiogramSmearing");
const QString kFullScaleKey = QStringLiteral("calibration/fullScaleSpl");
const QString kSpeechKey = QStringLiteral("calibration/speechLevelSpl");
const QString kAidKeys[2] = {QStringLiteral("hearing/aidLeft"), QStringLiteral("hearing/aidRight")};  // by Ear

std::optional<double> StoredLevel(const QSettings& settings, const QString& key, double lowest, double highest)
{
    bool ok = false;
    const double value = settings.value(key).toDouble(&ok);
    if (!ok || !(value >= lowest && value <= highest))
        return std::nullopt;
    return value;
}

void StoreLevel(QSettings& settings, const QString& key, std::optional<double> level)
{
    if (level)
        settings.setValue(key, *level);
    else
        settings.remove(key);
}

// Only the two words it writes.
bool StoredSwitch(const QSettings& settings, const QString& key, bool unchosen)
{
    const QString stored = settings.value(key).toString();
    if (stored == QLatin1String("true"))
        return true;
    if (stored == QLatin1String("false"))
        return false;
    return unchosen;
}

QString SwitchWord(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

EarsHeard StoredEars(const QSettings& settings)
{
    const QString stored = settings.value(kEarsKey).toString();
    if (stored == QLatin1String("left"))
        return EarsHeard::Left;
    if (stored == QLatin1String("right"))
        return EarsHeard::Right;
    return EarsHeard::Both;
}

QString EarsWord(EarsHeard ears)
{
    return ears == EarsHeard::Left    ? QStringLiteral("left")
           : ears == EarsHeard::Right ? QStringLiteral("right")
                                      : QStringLiteral("both");
}

// A rule by the word the tools take; none for anything else.
AidRule StoredAid(const QSettings& settings, const QString& key)
{
    const QString stored = settings.value(key).toString();
    if (stored.size() > 8)
        return AidRule::Off;
    return AidRuleFromKey(stored.toStdString()).value_or(AidRule::Off);
}

}  // namespace

ListeningLevel StoredLossSettings::Level() const
{
    return {calibrated ? std::optional<double>(settings.fullScaleSpl) : std::nullopt, settings.listeningSpl};
}

StoredLossSettings LoadLossSettings()
{
    const QSettings settings;
    StoredLossSettings stored;
    LossSettings& value = stored.settings;
    value.ears = StoredEars(settings);
    value.recruitment = StoredSwitch(settings, kRecruitmentKey, value.recruitment);
    value.smearingFromAudiogram = StoredSwitch(settings, kSmearingKey, value.smearingFromAudiogram);
    const auto fullScale = StoredLevel(settings, kFullScaleKey, kLowestFullScaleSpl, kHighestFullScaleSpl);
    stored.calibrated = fullScale.has_value();
    value.fullScaleSpl = fullScale.value_or(ListeningLevel::kNominalFullScale);
    value.listeningSpl = StoredLevel(settings, kSpeechKey, kLowestSpeechSpl, kHighestSpeechSpl);
    for (int ear = 0; ear < 2; ++ear)
        value.aid[ear] = StoredAid(settings, kAidKeys[ear]);
    return stored;
}

void SaveLossSettings(const StoredLossSettings& stored)
{
    QSettings settings;
    const LossSettings& value = stored.settings;
    settings.setValue(kEarsKey, EarsWord(value.ears));
    settings.setValue(kRecruitmentKey, SwitchWord(value.recruitment));
    settings.setValue(kSmearingKey, SwitchWord(value.smearingFromAudiogram));
    StoreLevel(settings, kFullScaleKey, stored.calibrated ? std::optional<double>(value.fullScaleSpl) : std::nullopt);
    StoreLevel(settings, kSpeechKey, value.listeningSpl);
    for (int ear = 0; ear < 2; ++ear)
        settings.setValue(kAidKeys[ear], QLatin1String(AidRuleKey(value.aid[ear])));
}
