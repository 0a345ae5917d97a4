#pragma once

#include "audiogram.h"
#include "ear.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The listener file of the public research data set: a JSON object keyed by
// listener id, each with "name", "audiogram_cfs" (Hz, unique and ascending)
// and "audiogram_levels_l" / "audiogram_levels_r" (dB HL, one per frequency).

struct Listener {
    std::string id;
    std::string name;
    std::vector<double> hz;
    std::vector<double> left;
    std::vector<double> right;

    const std::vector<double>& Levels(Ear ear) const { return ear == Ear::Left ? left : right; }
};

// What a listener file may hold. The data set's files are a few tens of kB,
// three levels deep, with at most a dozen frequencies; anything beyond these
// is refused before it is parsed or stored.
constexpr std::size_t kMaxListenerFileBytes = 1 << 20;
constexpr int kMaxListenerFileDepth = 8;
constexpr std::size_t kMaxAudiogramFrequencies = 64;

// Why a text is not a usable listener file, in both languages; whether it is
// one (its listeners keyed by id) with a listener whose values cannot be used.
struct ListenerFileRefusal {
    RefusalReason reason;
    bool listenerFile = false;
};

// The listeners in a file's text, in the file's order; nothing when it is not
// a listener file, with the reason in `error` (which listener, which field).
// Never throws, whatever the text.
std::optional<std::vector<Listener>> ParseListeners(const std::string& text, std::string& error);
std::optional<std::vector<Listener>> ParseListeners(const std::string& text, ListenerFileRefusal& why);

// As ParseListeners, from a file; the reason then names the file.
std::optional<std::vector<Listener>> ReadListenerFile(const std::string& path, std::string& error);

// One ear of a listener as an audiogram.
CAudiogram ListenerAudiogram(const Listener& listener, Ear ear);

// The file text of one listener.
std::string ListenerFileText(const Listener& listener);

// Writes one listener to a file; false with the reason, naming the file.
bool WriteListenerFile(const std::string& path, const Listener& listener, std::string& error);
