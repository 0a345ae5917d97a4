#include "implant_settings.h"

#include <cmath>

bool ImplantSettings::operator==(const ImplantSettings& other) const
{
    return channels == other.channels && carrier == other.carrier && lowHz == other.lowHz && highHz == other.highHz &&
           envelopeHz == other.envelopeHz && shiftMm == other.shiftMm && spreadDbPerMm == other.spreadDbPerMm &&
           nOfM == other.nOfM;
}

std::string ImplantSettingsProblem(const ImplantSettings& s)
{
    using S = ImplantSettings;
    const auto within = [](double value, double low, double high) { return value >= low && value <= high; };
    if (!(s.channels >= S::kFewestChannels && s.channels <= S::kMostChannels))
        return "the channels are 1 to 22";
    if (!within(s.lowHz, S::kLowestHz, S::kHighestHz / S::kNarrowestRange) ||
        !within(s.highHz, S::kLowestHz * S::kNarrowestRange, S::kHighestHz) ||
        !(s.highHz >= S::kNarrowestRange * s.lowHz))
        return "the range runs from 100 to 10000 Hz, its upper end at least twice its lower";
    if (!within(s.envelopeHz, S::kSlowestEnvelopeHz, S::kFastestEnvelopeHz))
        return "the envelope's cut-off is 50 to 400 Hz";
    if (!within(s.shiftMm, 0.0, S::kDeepestShiftMm))
        return "the shift is 0 to 8 mm towards the base";
    if (s.spreadDbPerMm && !within(*s.spreadDbPerMm, S::kShallowestSpreadDbPerMm, S::kSteepestSpreadDbPerMm))
        return "the spread is 0.5 to 40 dB per mm, or off";
    if (!(s.nOfM >= 0 && s.nOfM <= s.channels))
        return "n of m takes at most as many channels as there are, or 0 for all";
    return std::string();
}
