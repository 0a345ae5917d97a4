#include "stored_loss_settings.h"

#include "level_ranges.h"

#include <QSettings>

#include <cmath>

namespace {

const QString kEarsKey = QStringLiteral("hearing/ears");
const QString kRecruitmentKey = QStringLiteral("hearing/recruitment");
const QString kSmearingKey = QStringLiteral("hearing/audiogramSmearing");
const QString kFullScaleKey = QStringLiteral("calibration/fullScaleSpl");
const QString kSpeechKey = QStringLiteral("calibration/speechLevelSpl");
const QString kAidKeys[2] = {QStringLiteral("hearing/aidLeft"), QStringLiteral("hearing/aidRight")};  // by Ear
// Each ear's implant, a field per key in a group of its own; no group, no implant.
const QString kImplantGroups[2] = {QStringLiteral("implantLeft"), QStringLiteral("implantRight")};  // by Ear

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

// An implant whose every field is stored in its range; none otherwise.
std::optional<ImplantSettings> StoredImplant(QSettings& settings, const QString& group)
{
    using S = ImplantSettings;
    settings.beginGroup(group);
    ImplantSettings implant;
    const auto channels = StoredLevel(settings, QStringLiteral("channels"), S::kFewestChannels, S::kMostChannels);
    const QString carrier = settings.value(QStringLiteral("carrier")).toString();
    const auto low = StoredLevel(settings, QStringLiteral("lowHz"), S::kLowestHz, S::kHighestHz);
    const auto high = StoredLevel(settings, QStringLiteral("highHz"), S::kLowestHz, S::kHighestHz);
    const auto envelope =
        StoredLevel(settings, QStringLiteral("envelopeHz"), S::kSlowestEnvelopeHz, S::kFastestEnvelopeHz);
    const auto shift = StoredLevel(settings, QStringLiteral("shiftMm"), 0.0, S::kDeepestShiftMm);
    const bool spreadStored = settings.contains(QStringLiteral("spreadDbPerMm"));
    implant.spreadDbPerMm = StoredLevel(settings, QStringLiteral("spreadDbPerMm"), S::kShallowestSpreadDbPerMm,
                                        S::kSteepestSpreadDbPerMm);
    const auto nOfM = StoredLevel(settings, QStringLiteral("nOfM"), 0, S::kMostChannels);
    settings.endGroup();
    const bool whole = channels && (carrier == QLatin1String("noise") || carrier == QLatin1String("sine")) && low &&
                       high && envelope && shift && (!spreadStored || implant.spreadDbPerMm) && nOfM &&
                       *channels == std::floor(*channels) && *nOfM == std::floor(*nOfM);
    if (!whole)
        return std::nullopt;
    implant.channels = static_cast<int>(*channels);
    implant.carrier = carrier == QLatin1String("sine") ? ImplantCarrier::Sine : ImplantCarrier::Noise;
    implant.lowHz = *low;
    implant.highHz = *high;
    implant.envelopeHz = *envelope;
    implant.shiftMm = *shift;
    implant.nOfM = static_cast<int>(*nOfM);
    if (!ImplantSettingsProblem(implant).empty())
        return std::nullopt;
    return implant;
}

void StoreImplant(QSettings& settings, const QString& group, const std::optional<ImplantSettings>& implant)
{
    settings.remove(group);
    if (!implant)
        return;
    settings.beginGroup(group);
    settings.setValue(QStringLiteral("channels"), implant->channels);
    settings.setValue(QStringLiteral("carrier"),
                      implant->carrier == ImplantCarrier::Sine ? QStringLiteral("sine") : QStringLiteral("noise"));
    settings.setValue(QStringLiteral("lowHz"), implant->lowHz);
    settings.setValue(QStringLiteral("highHz"), implant->highHz);
    settings.setValue(QStringLiteral("envelopeHz"), implant->envelopeHz);
    settings.setValue(QStringLiteral("shiftMm"), implant->shiftMm);
    if (implant->spreadDbPerMm)
        settings.setValue(QStringLiteral("spreadDbPerMm"), *implant->spreadDbPerMm);
    settings.setValue(QStringLiteral("nOfM"), implant->nOfM);
    settings.endGroup();
}

}  // namespace

ListeningLevel StoredLossSettings::Level() const
{
    return {calibrated ? std::optional<double>(settings.fullScaleSpl) : std::nullopt, settings.listeningSpl};
}

StoredLossSettings LoadLossSettings()
{
    QSettings settings;
    StoredLossSettings stored;
    LossSettings& value = stored.settings;
    value.ears = StoredEars(settings);
    value.recruitment = StoredSwitch(settings, kRecruitmentKey, value.recruitment);
    value.smearingFromAudiogram = StoredSwitch(settings, kSmearingKey, value.smearingFromAudiogram);
    const auto fullScale = StoredLevel(settings, kFullScaleKey, kLowestFullScaleSpl, kHighestFullScaleSpl);
    stored.calibrated = fullScale.has_value();
    value.fullScaleSpl = fullScale.value_or(ListeningLevel::kNominalFullScale);
    value.listeningSpl = StoredLevel(settings, kSpeechKey, kLowestSpeechSpl, kHighestSpeechSpl);
    for (int ear = 0; ear < 2; ++ear) {
        value.aid[ear] = StoredAid(settings, kAidKeys[ear]);
        value.implant[ear] = StoredImplant(settings, kImplantGroups[ear]);
    }
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
    for (int ear = 0; ear < 2; ++ear) {
        settings.setValue(kAidKeys[ear], QLatin1String(AidRuleKey(value.aid[ear])));
        StoreImplant(settings, kImplantGroups[ear], value.implant[ear]);
    }
}
