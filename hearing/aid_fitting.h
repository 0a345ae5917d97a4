#pragma once

#include "audiogram.h"

#include <optional>
#include <string>
#include <vector>

// The rules a hearing aid is fitted by: NAL-R (with its extension for
// severe losses), the same gain at every input level; Fig6, less gain for
// louder inputs.
enum class AidRule { Off, NalR, Fig6 };

// The rule's name as the tools take it ("nal-r", "fig6"), and back; nothing
// for a name that is none ("off" is Off).
const char* AidRuleKey(AidRule rule);
std::optional<AidRule> AidRuleFromKey(const std::string& key);
// As the window and the printed page name it: "NAL-R (linear)", "Fig6 (Kompression)".
const char* AidRuleName(AidRule rule);

// One ear's insertion gains, in dB, fitted from its audiogram by a rule: at
// each of the rule's frequencies, for inputs at 40, 65 and 95 dB SPL (the
// same three for a linear rule). The audiogram is read at the rule's
// frequencies as everywhere (linear over log frequency, held at the ends).
class CAidFitting {
public:
    static constexpr int kLevels = 3;
    static constexpr double kInputSpl[kLevels] = {40.0, 65.0, 95.0};

    CAidFitting(AidRule rule, const CAudiogram& audiogram);

    AidRule Rule() const { return m_rule; }
    const std::vector<double>& Frequencies() const { return m_hz; }
    // The gain at the rule's `point`-th frequency for input level `level`.
    double PointGain(int point, int level) const { return m_gain[level][point]; }
    // The gain at any frequency (over log frequency between the rule's,
    // held beyond them) for an input at `inputSpl` dB SPL (linear in dB
    // between the three levels, held outside them).
    double Gain(double hz, double inputSpl) const;

    bool operator==(const CAidFitting& other) const
    {
        return m_rule == other.m_rule && m_hz == other.m_hz && m_gain[0] == other.m_gain[0] &&
               m_gain[1] == other.m_gain[1] && m_gain[2] == other.m_gain[2];
    }

private:
    double GainAtLevel(double hz, int level) const;

    AidRule m_rule;
    std::vector<double> m_hz;
    std::vector<double> m_gain[kLevels];
};

// The rules' gains at one frequency, from the hearing level there (dB HL).
// NAL-R also takes S = H500 + H1000 + H2000 and the frequency's own
// correction k; negative gains are none.
double NalRGain(double hearingLevel, double sumOfThree, double correction);
double Fig6Gain(double hearingLevel, int level);
