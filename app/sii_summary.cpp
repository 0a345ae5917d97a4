#include "sii_summary.h"

#include <QLocale>

#include <optional>

QString IndexText(double index)
{
    return QLocale(QLocale::German).toString(index, 'f', 2);
}

QString EarsIndexText(const EarsIndex& index)
{
    return QStringLiteral("rechts %1, links %2, beide %3")
        .arg(IndexText(index.right), IndexText(index.left), IndexText(index.both));
}

QStringList SiiSummary(const Listener& listener, const AidRules& rules)
{
    const CAudiogram audiogram[2] = {ListenerAudiogram(listener, Ear::Left), ListenerAudiogram(listener, Ear::Right)};
    const AidRule rule[2] = {rules.left, rules.right};
    ListenerEars unaided;
    ListenerEars aided;
    std::optional<CAidFitting> fitting[2];
    for (int e = 0; e < 2; ++e) {
        unaided.audiogram[e] = aided.audiogram[e] = &audiogram[e];
        if (rule[e] != AidRule::Off)
            aided.aid[e] = &fitting[e].emplace(rule[e], audiogram[e]);
    }
    const bool anyAid = aided.aid[0] || aided.aid[1];
    const struct {
        Sii::VocalEffort effort;
        const char* name;
    } kEfforts[] = {{Sii::VocalEffort::Normal, "normaler"},
                    {Sii::VocalEffort::Raised, "angehobener"},
                    {Sii::VocalEffort::Loud, "lauter"}};
    QStringList lines;
    for (const auto& effort : kEfforts) {
        QString line = QStringLiteral("SII bei %1 Sprechweise: ").arg(QLatin1String(effort.name)) +
                       EarsIndexText(StandardSpeechIndex(unaided, effort.effort, 1.0));
        if (anyAid)
            line += QStringLiteral("; mit Hörgerät: ") + EarsIndexText(StandardSpeechIndex(aided, effort.effort, 1.0));
        lines << line;
    }
    return lines;
}
