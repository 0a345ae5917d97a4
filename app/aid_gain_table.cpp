#include "aid_gain_table.h"

#include <QLocale>

namespace {

constexpr double kAudiometricHz[] = {250, 500, 1000, 2000, 3000, 4000, 6000, 8000};

}  // namespace

QString GainText(double gain)
{
    return QLocale(QLocale::German).toString(gain, 'f', 1);
}

std::optional<AidGainTable> MakeAidGainTable(const Listener& listener, const AidRules& rules)
{
    if (rules.left == AidRule::Off && rules.right == AidRule::Off)
        return std::nullopt;
    AidGainTable table;
    table.hz.assign(std::begin(kAudiometricHz), std::end(kAudiometricHz));
    const QString names[2] = {QString::fromUtf8(AidRuleName(rules.right)), QString::fromUtf8(AidRuleName(rules.left))};
    table.title = QStringLiteral("Hörgerät, Einfügungsverstärkung in dB: ");
    if (rules.left == rules.right)
        table.title += names[0] + QStringLiteral(", beide Ohren");
    else if (rules.left == AidRule::Off || rules.right == AidRule::Off)
        table.title += (rules.right != AidRule::Off ? names[0] + QStringLiteral(", rechtes Ohr")
                                                    : names[1] + QStringLiteral(", linkes Ohr"));
    else
        table.title += QStringLiteral("rechts ") + names[0] + QStringLiteral(", links ") + names[1];
    const struct {
        Ear ear;
        AidRule rule;
        const char* name;
    } ears[2] = {{Ear::Right, rules.right, "rechts"}, {Ear::Left, rules.left, "links"}};
    for (const auto& ear : ears) {
        if (ear.rule == AidRule::Off)
            continue;
        const CAidFitting fitting(ear.rule, ListenerAudiogram(listener, ear.ear));
        const bool linear = ear.rule == AidRule::NalR;
        for (int level = 0; level < (linear ? 1 : CAidFitting::kLevels); ++level) {
            std::vector<double> gains;
            for (const double hz : table.hz)
                gains.push_back(fitting.Gain(hz, CAidFitting::kInputSpl[level]));
            const QString label =
                linear
                    ? QString::fromLatin1(ear.name)
                    : QStringLiteral("%1, %2 dB SPL").arg(QLatin1String(ear.name)).arg(CAidFitting::kInputSpl[level]);
            table.rows.emplace_back(label, std::move(gains));
        }
    }
    return table;
}
