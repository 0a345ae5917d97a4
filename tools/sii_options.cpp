#include "sii_options.h"

#include "level_ranges.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

const char* const kSiiUsage =
    "usage: sonafel-sii (--audiogram A | --audiogram-left A --audiogram-right B)\n"
    "                   [--effort normal|raised|loud|shout] [--distance M] [--aid nal-r|fig6|off]\n"
    "       sonafel-sii --list-presets\n"
    "\n"
    "Prints the speech intelligibility index (0 to 1) of the standard speech spectrum in quiet,\n"
    "for the left ear, the right ear and both, as one line: left 0.412 right 0.605 both 0.630\n"
    "  --audiogram A    a standard loss (--list-presets), the same in both ears; FILE:LISTENER:ear,\n"
    "                   one ear of a listeners.json file in both; or FILE[:LISTENER], both ears\n"
    "  --audiogram-left A, --audiogram-right B  each ear's loss; an ear not given hears normally\n"
    "  --effort E       the talker's vocal effort (default normal)\n"
    "  --distance M     the talker's distance in metres, 0.25 to 20 (default 1)\n"
    "  --aid RULE       a hearing aid in each ear with a loss, fitted by the rule (default off)\n"
    "Exit status: 0 done, 2 bad options.\n";

namespace {

bool ParseEffort(const std::string& text, Sii::VocalEffort& effort)
{
    const std::pair<const char*, Sii::VocalEffort> kEfforts[] = {{"normal", Sii::VocalEffort::Normal},
                                                                 {"raised", Sii::VocalEffort::Raised},
                                                                 {"loud", Sii::VocalEffort::Loud},
                                                                 {"shout", Sii::VocalEffort::Shout}};
    for (const auto& [name, value] : kEfforts)
        if (text == name) {
            effort = value;
            return true;
        }
    return false;
}

bool ParseDistance(const std::string& text, double& metres)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || errno != 0 || *end != '\0' || !(value >= kNearestTalkerM && value <= kFarthestTalkerM))
        return false;
    metres = value;
    return true;
}

}  // namespace

bool ParseSiiOptions(int argc, const char* const* argv, SiiOptions& options, std::string& error)
{
    bool audiogramGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        const bool inlineValue = arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos;
        if (inlineValue) {
            value = arg.substr(arg.find('=') + 1);
            arg.resize(arg.find('='));
        }
        if (arg == "--help" || arg == "-h" || arg == "--list-presets") {
            if (inlineValue) {
                error = arg + " takes no value";
                return false;
            }
            (arg == "--list-presets" ? options.listPresets : options.help) = true;
            continue;
        }
        if (arg != "--audiogram" && arg != "--audiogram-left" && arg != "--audiogram-right" && arg != "--effort" &&
            arg != "--distance" && arg != "--aid") {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (arg == "--effort") {
            if (!ParseEffort(value, options.effort)) {
                error = "--effort is normal, raised, loud or shout, not '" + value + "'";
                return false;
            }
        } else if (arg == "--distance") {
            if (!ParseDistance(value, options.distanceM)) {
                error = "--distance needs metres from 0.25 to 20, not '" + value + "'";
                return false;
            }
        } else if (arg == "--aid") {
            const std::optional<AidRule> rule = AidRuleFromKey(value);
            if (!rule) {
                error = "--aid is nal-r, fig6 or off, not '" + value + "'";
                return false;
            }
            options.aid = *rule;
        } else {
            const bool both = arg == "--audiogram";
            const Ear side = arg == "--audiogram-left" ? Ear::Left : Ear::Right;
            if (both ? audiogramGiven || options.audiogram.Any()
                     : audiogramGiven || (side == Ear::Left ? options.audiogram.left : options.audiogram.right)) {
                error = "give --audiogram once, or --audiogram-left and --audiogram-right once each";
                return false;
            }
            audiogramGiven = both;
            if (!(both ? ChooseAudiogram(value, options.audiogram, error)
                       : ChooseEarAudiogram(value, side, options.audiogram, error)))
                return false;
        }
    }
    if (!options.help && !options.listPresets && !options.audiogram.Any()) {
        error = "no audiogram given (--audiogram)";
        return false;
    }
    return true;
}
