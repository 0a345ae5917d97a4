#include "remembered_choices.h"

#include <QSettings>

namespace {

constexpr int kMaxPathBytes = 4096;  // as the system's own path limit

QString OwnSoundKey(int source)
{
    return QStringLiteral("ownSounds/source%1").arg(source);
}

QString KeyOf(Choice choice)
{
    switch (choice) {
    case Choice::ScaleAndLegend:
        return QStringLiteral("view/scaleAndLegend");
    case Choice::AudibilityInHearingLevel:
        return QStringLiteral("view/audibilityInHearingLevel");
    }
    return QString();
}

}  // namespace

bool LoadChoice(Choice choice, bool unchosen)
{
    // Only the two words it writes: a damaged entry is as none.
    const QString stored = QSettings().value(KeyOf(choice)).toString();
    if (stored == QLatin1String("true"))
        return true;
    if (stored == QLatin1String("false"))
        return false;
    return unchosen;
}

void SaveChoice(Choice choice, bool on)
{
    QSettings().setValue(KeyOf(choice), on ? QStringLiteral("true") : QStringLiteral("false"));
}

namespace {

const QLatin1String kSpectrumViewWords[] = {QLatin1String("audibility"), QLatin1String("relative"),
                                            QLatin1String("spl")};
const QString kSpectrumViewKey = QStringLiteral("view/spectrum");

}  // namespace

StoredSpectrumView LoadSpectrumView()
{
    const QString stored = QSettings().value(kSpectrumViewKey).toString();
    for (int i = 0; i < 3; ++i)
        if (stored == kSpectrumViewWords[i])
            return static_cast<StoredSpectrumView>(i);
    return StoredSpectrumView::Audibility;
}

void SaveSpectrumView(StoredSpectrumView view)
{
    QSettings().setValue(kSpectrumViewKey, QString(kSpectrumViewWords[static_cast<int>(view)]));
}

QString LoadOwnSound(int source)
{
    const QVariant stored = QSettings().value(OwnSoundKey(source));
    if (stored.typeId() != QMetaType::QString || stored.toString().toUtf8().size() > kMaxPathBytes)
        return QString();
    return stored.toString();
}

void SaveOwnSound(int source, const QString& path)
{
    QSettings settings;
    if (path.isEmpty())
        settings.remove(OwnSoundKey(source));
    else
        settings.setValue(OwnSoundKey(source), path);
}
