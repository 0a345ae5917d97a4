#pragma once

#include "ear.h"
#include "implant_settings.h"

#include <optional>
#include <string>

// The implant a command line asks for: --ci both|left|right and the
// --ci-… settings, each refused with the reason when out of its range.
struct ImplantChoice {
    bool ears[2] = {false, false};  // by Ear
    ImplantSettings settings;
    std::string firstSetting;  // the first --ci-… option given, for the message when --ci is not

    bool Any() const { return ears[0] || ears[1]; }
};

// Whether `option` is one of the implant's.
bool IsImplantOption(const std::string& option);
// Takes one of them with its value; false with the reason.
bool ParseImplantOption(const std::string& option, const std::string& value, ImplantChoice& choice, std::string& error);
// After the whole command line: the settings checked together (a range's
// ends, n of m within the channels), and none of them without --ci.
bool CheckImplantChoice(const ImplantChoice& choice, std::string& error);
