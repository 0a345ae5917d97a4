#include "remembered_choices.h"

#include <QSettings>

namespace {

QString KeyOf(Choice choice)
{
    switch (choice) {
    case Choice::ScaleAndLegend:
        return QStringLiteral("view/scaleAndLegend");
    case Choice::Recruitment:
        return QStringLiteral("hearing/recruitment");
    case Choice::AudiogramSmearing:
        return QStringLiteral("hearing/audiogramSmearing");
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
