#include "implant_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool Number(const std::string& text, double& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && errno == 0 && *end == '\0' && std::isfinite(value);
}

bool WholeNumber(const std::string& text, int& value)
{
    double number = 0.0;
    if (!Number(text, number) || number != std::floor(number) || std::abs(number) > 1000.0)
        return false;
    value = static_cast<int>(number);
    return true;
}

}  // namespace

bool IsImplantOption(const std::string& option)
{
    for (const char* name : {"--ci", "--ci-channels", "--ci-carrier", "--ci-range", "--ci-envelope", "--ci-shift",
                             "--ci-spread", "--ci-n-of-m"})
        if (option == name)
            return true;
    return false;
}

bool ParseImplantOption(const std::string& option, const std::string& value, ImplantChoice& choice, std::string& error)
{
    ImplantSettings& s = choice.settings;
    bool parsed = true;
    const char* needs = "";
    if (option == "--ci") {
        parsed = value == "both" || value == "left" || value == "right";
        needs = "both, left or right";
        if (parsed) {
            choice.ears[static_cast<int>(Ear::Left)] = value != "right";
            choice.ears[static_cast<int>(Ear::Right)] = value != "left";
        }
    } else {
        if (choice.firstSetting.empty())
            choice.firstSetting = option;
        if (option == "--ci-channels") {
            parsed = WholeNumber(value, s.channels) && s.channels >= ImplantSettings::kFewestChannels &&
                     s.channels <= ImplantSettings::kMostChannels;
            needs = "a whole number of channels from 1 to 22";
        } else if (option == "--ci-carrier") {
            parsed = value == "noise" || value == "sine";
            s.carrier = value == "sine" ? ImplantCarrier::Sine : ImplantCarrier::Noise;
            needs = "noise or sine";
        } else if (option == "--ci-range") {
            const std::size_t dash = value.find('-');
            parsed = dash != std::string::npos && Number(value.substr(0, dash), s.lowHz) &&
                     Number(value.substr(dash + 1), s.highHz);
            needs = "LO-HI in Hz, from 100 to 10000, HI at least twice LO";
        } else if (option == "--ci-envelope") {
            parsed = Number(value, s.envelopeHz) && s.envelopeHz >= ImplantSettings::kSlowestEnvelopeHz &&
                     s.envelopeHz <= ImplantSettings::kFastestEnvelopeHz;
            needs = "a cut-off from 50 to 400 Hz";
        } else if (option == "--ci-shift") {
            parsed = Number(value, s.shiftMm) && s.shiftMm >= 0.0 && s.shiftMm <= ImplantSettings::kDeepestShiftMm;
            needs = "millimetres from 0 to 8 towards the base";
        } else if (option == "--ci-spread") {
            double slope = 0.0;
            parsed = Number(value, slope) && slope >= ImplantSettings::kShallowestSpreadDbPerMm &&
                     slope <= ImplantSettings::kSteepestSpreadDbPerMm;
            s.spreadDbPerMm = slope;
            needs = "a slope from 0.5 to 40 dB per mm";
        } else {
            parsed = WholeNumber(value, s.nOfM) && s.nOfM >= 1 && s.nOfM <= ImplantSettings::kMostChannels;
            needs = "a whole number of channels from 1 to 22";
        }
    }
    if (!parsed)
        error = option + " needs " + needs + ", not '" + value + "'";
    return parsed;
}

bool CheckImplantChoice(const ImplantChoice& choice, std::string& error)
{
    if (!choice.Any() && !choice.firstSetting.empty()) {
        error = choice.firstSetting + " sets an implant: give --ci both, left or right";
        return false;
    }
    if (!choice.Any())
        return true;
    const std::string problem = ImplantSettingsProblem(choice.settings);
    if (!problem.empty())
        error = "the implant's settings: " + problem;
    return problem.empty();
}
