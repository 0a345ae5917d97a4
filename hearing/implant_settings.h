#pragma once

#include <optional>
#include <string>

// What a cochlear implant in one ear is set to, with the one range each
// setting has in the dialog, the stored settings and the tools.
enum class ImplantCarrier { Noise, Sine };

struct ImplantSettings {
    static constexpr int kFewestChannels = 1;
    static constexpr int kMostChannels = 22;
    static constexpr double kLowestHz = 100.0;      // the analysed range's lower end, at least
    static constexpr double kHighestHz = 10000.0;   // and its upper end, at most
    static constexpr double kNarrowestRange = 2.0;  // its upper end at least twice its lower
    static constexpr double kSlowestEnvelopeHz = 50.0;
    static constexpr double kFastestEnvelopeHz = 400.0;
    static constexpr double kDeepestShiftMm = 8.0;  // towards the base
    static constexpr double kShallowestSpreadDbPerMm = 0.5;
    static constexpr double kSteepestSpreadDbPerMm = 40.0;

    int channels = 12;
    ImplantCarrier carrier = ImplantCarrier::Noise;
    double lowHz = 200.0;
    double highHz = 8000.0;
    double envelopeHz = 160.0;            // the envelope's cut-off
    double shiftMm = 0.0;                 // of the electrodes from the bands' places, towards the base
    std::optional<double> spreadDbPerMm;  // the current's spread along the cochlea; none: no spread
    int nOfM = 0;                         // the strongest channels each frame; 0: all

    bool operator==(const ImplantSettings& other) const;
    bool operator!=(const ImplantSettings& other) const { return !(*this == other); }
};

// Empty when every setting lies in its range; otherwise which does not and why.
std::string ImplantSettingsProblem(const ImplantSettings& settings);
