#pragma once

#include "audiogram.h"

#include <optional>
#include <string>

// The audiogram a command line names: a standard loss by its key, or
// FILE[:LISTENER][:left|right], a listener file with the listener (needed
// when it holds several) and the ear (default right).
struct AudiogramChoice {
    std::optional<CAudiogram> audiogram;
    std::string label;  // what it is: the standard loss's name, or the listener and ear
};

// False with a message naming the file or the name when the choice is unusable.
bool ChooseAudiogram(const std::string& argument, AudiogramChoice& choice, std::string& error);

// The standard losses, one per line: key, group and German name.
std::string PresetList();
