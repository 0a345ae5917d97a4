#include "audiogram_settings.h"

#include <QSettings>

namespace {

const QString kListenerKey = QStringLiteral("audiogram/listener");
const QString kEarKey = QStringLiteral("audiogram/edited");
const QString kActiveGroup = QStringLiteral("activeLoss");
const QString kPresetKey = QStringLiteral("activeLoss/preset");
const QString kActiveListenerKey = QStringLiteral("activeLoss/listener");
const QString kActiveNameKey = QStringLiteral("activeLoss/name");
const QString kActiveEarKey = QStringLiteral("activeLoss/edited");
constexpr std::size_t kMaxPresetKey = 64;  // bytes
constexpr std::size_t kMaxName = 1024;     // bytes; a listener file bounds its own

// One listener's ears from a stored listener file, or nothing; the reason
// in German, as the window says it.
std::optional<Listener> OneListener(const QString& text, std::string& error)
{
    ListenerFileRefusal why;
    const auto listeners = ParseListeners(text.toStdString(), why);
    error = why.reason.german;
    if (listeners && listeners->size() != 1)
        error = "es sind " + std::to_string(listeners->size()) + " Hörer, nicht einer";
    if (!listeners || listeners->size() != 1)
        return std::nullopt;
    return listeners->front();
}

// The ear last edited, as stored: the right one unless "left".
Ear StoredEar(const QSettings& settings, const QString& key)
{
    return settings.value(key).toString() == QLatin1String("left") ? Ear::Left : Ear::Right;
}

void StoreEar(QSettings& settings, const QString& key, Ear ear)
{
    settings.setValue(key, ear == Ear::Left ? QStringLiteral("left") : QStringLiteral("right"));
}

}  // namespace

std::optional<StoredAudiogram> LoadLastAudiogram(std::string* damage)
{
    const QSettings settings;
    const QString text = settings.value(kListenerKey).toString();
    if (text.isEmpty())
        return std::nullopt;
    std::string error;
    const auto listener = OneListener(text, error);
    if (!listener) {
        if (damage)
            *damage = error;
        return std::nullopt;  // damaged: the program starts as without one
    }
    return StoredAudiogram{*listener, StoredEar(settings, kEarKey)};
}

void SaveLastAudiogram(const StoredAudiogram& stored)
{
    QSettings settings;
    settings.setValue(kListenerKey, QString::fromStdString(ListenerFileText(stored.listener)));
    StoreEar(settings, kEarKey, stored.edited);
}

std::optional<ActiveLoss> LoadActiveLoss()
{
    const QSettings settings;
    const QVariant preset = settings.value(kPresetKey);
    const QVariant listener = settings.value(kActiveListenerKey);
    const QVariant name = settings.value(kActiveNameKey);
    // Each entry is text of its own bound; anything else is damage.
    const auto text = [](const QVariant& value, std::size_t bound) {
        return value.typeId() == QMetaType::QString &&
               static_cast<std::size_t>(value.toString().toUtf8().size()) <= bound;
    };
    ActiveLoss loss;
    if (text(preset, kMaxPresetKey) && !preset.toString().isEmpty()) {
        loss.presetKey = preset.toString().toStdString();
        return loss;
    }
    if (!text(listener, kMaxListenerFileBytes) || !text(name, kMaxName))
        return std::nullopt;
    std::string error;
    auto ears = OneListener(listener.toString(), error);
    if (!ears)
        return std::nullopt;
    loss.audiogram.listener = std::move(*ears);
    loss.audiogram.edited = StoredEar(settings, kActiveEarKey);
    loss.name = name.toString();
    return loss;
}

void SaveActiveLoss(const std::optional<ActiveLoss>& loss)
{
    QSettings settings;
    settings.remove(kActiveGroup);
    if (!loss)
        return;
    if (!loss->presetKey.empty()) {
        settings.setValue(kPresetKey, QString::fromStdString(loss->presetKey));
        return;
    }
    settings.setValue(kActiveListenerKey, QString::fromStdString(ListenerFileText(loss->audiogram.listener)));
    settings.setValue(kActiveNameKey, loss->name);
    StoreEar(settings, kActiveEarKey, loss->audiogram.edited);
}
