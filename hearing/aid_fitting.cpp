#include "aid_fitting.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kNalRHz[] = {250, 500, 1000, 2000, 4000, 6000};
constexpr double kNalRCorrection[] = {-17, -8, 1, -1, -2, -2};
// Fig6 is a rule per frequency: the audiometric ones.
constexpr double kFig6Hz[] = {250, 500, 1000, 2000, 3000, 4000, 6000, 8000};

}  // namespace

const char* AidRuleKey(AidRule rule)
{
    return rule == AidRule::NalR ? "nal-r" : rule == AidRule::Fig6 ? "fig6" : "off";
}

std::optional<AidRule> AidRuleFromKey(const std::string& key)
{
    for (const AidRule rule : {AidRule::Off, AidRule::NalR, AidRule::Fig6})
        if (key == AidRuleKey(rule))
            return rule;
    return std::nullopt;
}

const char* AidRuleName(AidRule rule)
{
    return rule == AidRule::NalR ? "NAL-R (linear)" : rule == AidRule::Fig6 ? "Fig6 (Kompression)" : "Aus";
}

double NalRGain(double hearingLevel, double sumOfThree, double correction)
{
    const double x = sumOfThree <= 180.0 ? 0.05 * sumOfThree : 9.0 + 0.116 * (sumOfThree - 180.0);
    return std::max(0.0, x + 0.31 * hearingLevel + correction);
}

double Fig6Gain(double hearingLevel, int level)
{
    const double h = hearingLevel;
    switch (level) {
    case 0:  // 40 dB SPL
        return h < 20.0 ? 0.0 : h <= 60.0 ? h - 20.0 : 0.5 * h + 10.0;
    case 1:  // 65 dB SPL
        return h < 20.0 ? 0.0 : h <= 60.0 ? 0.6 * (h - 20.0) : 0.8 * h - 23.0;
    default:  // 95 dB SPL
        return h <= 40.0 ? 0.0 : 0.1 * std::pow(h - 40.0, 1.4);
    }
}

CAidFitting::CAidFitting(AidRule rule, const CAudiogram& audiogram) : m_rule(rule)
{
    if (rule == AidRule::NalR) {
        m_hz.assign(std::begin(kNalRHz), std::end(kNalRHz));
        const double sum = audiogram.LevelAt(500) + audiogram.LevelAt(1000) + audiogram.LevelAt(2000);
        for (std::size_t i = 0; i < m_hz.size(); ++i) {
            const double gain = NalRGain(audiogram.LevelAt(m_hz[i]), sum, kNalRCorrection[i]);
            for (auto& gains : m_gain)
                gains.push_back(gain);
        }
    } else if (rule == AidRule::Fig6) {
        m_hz.assign(std::begin(kFig6Hz), std::end(kFig6Hz));
        for (const double hz : m_hz)
            for (int level = 0; level < kLevels; ++level)
                m_gain[level].push_back(Fig6Gain(audiogram.LevelAt(hz), level));
    }
}

double CAidFitting::GainAtLevel(double hz, int level) const
{
    const std::vector<double>& gains = m_gain[level];
    if (m_hz.empty())
        return 0.0;
    if (hz <= m_hz.front())
        return gains.front();
    if (hz >= m_hz.back())
        return gains.back();
    const auto upper = std::upper_bound(m_hz.begin(), m_hz.end(), hz);
    const std::size_t i = static_cast<std::size_t>(upper - m_hz.begin());
    const double t = std::log(hz / m_hz[i - 1]) / std::log(m_hz[i] / m_hz[i - 1]);
    return gains[i - 1] + t * (gains[i] - gains[i - 1]);
}

double CAidFitting::Gain(double hz, double inputSpl) const
{
    if (inputSpl <= kInputSpl[0])
        return GainAtLevel(hz, 0);
    if (inputSpl >= kInputSpl[kLevels - 1])
        return GainAtLevel(hz, kLevels - 1);
    const int level = inputSpl < kInputSpl[1] ? 0 : 1;
    const double t = (inputSpl - kInputSpl[level]) / (kInputSpl[level + 1] - kInputSpl[level]);
    return GainAtLevel(hz, level) + t * (GainAtLevel(hz, level + 1) - GainAtLevel(hz, level));
}
