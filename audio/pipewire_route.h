#pragma once

#include <optional>
#include <string>

// On a desktop whose sound server is PipeWire, live sound goes through
// PipeWire's JACK library: PortAudio's JACK host API then reaches the
// server's graph directly, at periods of a few samples, instead of through
// the ALSA or PulseAudio layer (tens of milliseconds). The library replaces
// JACK's own by the loader's search path, which is read only when a program
// starts; so the programs that play live sound start themselves once more
// with the path set, as `pw-jack` would.

// The period asked of the server, in samples at 44100 Hz: with the chain's
// hop of 128 it keeps microphone to ear under 10 ms. The server may grant
// another (a smaller one asked by another program, or its own bounds); the
// latency shown is worked out from the period granted.
constexpr int kPipeWirePeriod = 32;

// The folder of PipeWire's JACK library in Debian.
std::string PipeWireJackFolder();

// The loader's search path with `folder` first, from the path `current`
// (may be null); nothing when `folder` is on it already.
std::optional<std::string> SearchPathWith(const char* current, const std::string& folder);

// Called first in main(): where a PipeWire server runs, its JACK library is
// installed, JACK's own is the one loaded and SONAFEL_PIPEWIRE is not "0",
// starts the program again with PipeWire's library (returns only if it does
// not). Asks for kPipeWirePeriod unless PIPEWIRE_LATENCY says otherwise.
void TakePipeWireRoute(char** argv);

// Whether the JACK library this program runs with is PipeWire's.
bool JackIsPipeWire();
