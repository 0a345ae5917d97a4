#pragma once

#include "audiogram.h"
#include "ear.h"

#include <optional>
#include <string>

// The audiograms a command line names for the two ears. A standard loss by
// its key, or one ear of a listener file (FILE[:LISTENER]:left|right), is one
// ear's loss, heard alone; a listener (FILE[:LISTENER], the listener needed
// when the file holds several) gives each ear its own.
struct AudiogramChoice {
    std::optional<CAudiogram> left;
    std::optional<CAudiogram> right;
    bool oneEar = true;  // the same loss in both chains, heard as one ear, mono
    std::string label;   // what it is: the standard loss's name, or the listener and ear

    bool Any() const { return left || right; }
};

// --audiogram: false with a message naming the file or the name when the
// choice is unusable.
bool ChooseAudiogram(const std::string& argument, AudiogramChoice& choice, std::string& error);
// --audiogram-left and --audiogram-right: a standard loss or a file's ear
// for the ear `side`; a file without an ear named gives its `side` ear.
bool ChooseEarAudiogram(const std::string& argument, Ear side, AudiogramChoice& choice, std::string& error);

// The standard losses, one per line: key, group and German name.
std::string PresetList();
