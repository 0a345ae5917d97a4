#include "audiogram_settings.h"

#include <QSettings>

namespace {

const QString kListenerKey = QStringLiteral("audiogram/listener");
const QString kEarKey = QStringLiteral("audiogram/edited");
const QString kEarsHeardKey = QStringLiteral("hearing/ears");

}  // namespace

std::optional<StoredAudiogram> LoadLastAudiogram(std::string* damage)
{
    const QSettings settings;
    const QString text = settings.value(kListenerKey).toString();
    if (text.isEmpty())
        return std::nullopt;
    std::string error;
    const auto listeners = ParseListeners(text.toStdString(), error);
    if (listeners && listeners->size() != 1)
        error = "it holds " + std::to_string(listeners->size()) + " listeners, not one";
    if (!listeners || listeners->size() != 1) {
        if (damage)
            *damage = error;
        return std::nullopt;  // damaged: the program starts as without one
    }
    return StoredAudiogram{listeners->front(),
                           settings.value(kEarKey).toString() == QLatin1String("left") ? Ear::Left : Ear::Right};
}

void SaveLastAudiogram(const StoredAudiogram& stored)
{
    QSettings settings;
    settings.setValue(kListenerKey, QString::fromStdString(ListenerFileText(stored.listener)));
    settings.setValue(kEarKey, stored.edited == Ear::Left ? QStringLiteral("left") : QStringLiteral("right"));
}

EarsHeard LoadEarsHeard()
{
    const QString stored = QSettings().value(kEarsHeardKey).toString();
    if (stored == QLatin1String("left"))
        return EarsHeard::Left;
    if (stored == QLatin1String("right"))
        return EarsHeard::Right;
    return EarsHeard::Both;
}

void SaveEarsHeard(EarsHeard ears)
{
    QSettings().setValue(kEarsHeardKey, ears == EarsHeard::Left    ? QStringLiteral("left")
                                        : ears == EarsHeard::Right ? QStringLiteral("right")
                                                                   : QStringLiteral("both"));
}
