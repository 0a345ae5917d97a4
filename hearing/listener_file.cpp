#include "listener_file.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

using json = nlohmann::ordered_json;  // listeners in the file's order

namespace {

// A value as an error message shows it: short, whatever the file holds.
std::string Shown(const json& value)
{
    constexpr std::size_t kLongest = 40;
    std::string text = value.dump();
    if (text.size() > kLongest)
        text = text.substr(0, kLongest) + "...";
    return text;
}

// How deeply the text nests arrays and objects, outside strings, counted
// before parsing so that no parser recurses into a hostile file.
bool NestsTooDeeply(const std::string& text)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxListenerFileDepth)
                return true;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return false;
}

bool ReadNumbers(const json& entry, const char* field, std::vector<double>& numbers, RefusalReason& why)
{
    const std::string name = field;
    const auto found = entry.find(field);
    if (found == entry.end()) {
        why = {name + " is missing", name + " fehlt"};
        return false;
    }
    if (!found->is_array()) {
        why = {name + " is not a list", name + " ist keine Liste"};
        return false;
    }
    if (found->size() > kMaxAudiogramFrequencies) {
        const std::string count = std::to_string(found->size()), most = std::to_string(kMaxAudiogramFrequencies);
        why = {name + " holds " + count + " values, more than the " + most + " an audiogram may have",
               name + " hat " + count + " Werte, mehr als die " + most + ", die ein Audiogramm haben darf"};
        return false;
    }
    for (const json& value : *found) {
        if (!value.is_number()) {
            why = {name + " holds " + Shown(value) + ", not a number", name + " enthält " + Shown(value) + ", keine Zahl"};
            return false;
        }
        numbers.push_back(value.get<double>());
    }
    return true;
}

bool ReadListener(const std::string& id, const json& entry, Listener& listener, RefusalReason& why)
{
    if (!entry.is_object()) {
        why = {"is not an object", "ist kein Objekt"};
        return false;
    }
    listener.id = id;
    listener.name = id;
    if (const auto name = entry.find("name"); name != entry.end()) {
        if (!name->is_string()) {
            why = {"name is not a text", "name ist kein Text"};
            return false;
        }
        listener.name = name->get<std::string>();
    }
    if (!ReadNumbers(entry, "audiogram_cfs", listener.hz, why) ||
        !ReadNumbers(entry, "audiogram_levels_l", listener.left, why) ||
        !ReadNumbers(entry, "audiogram_levels_r", listener.right, why))
        return false;
    for (const Ear ear : {Ear::Left, Ear::Right}) {
        const char* const side = ear == Ear::Left ? "left" : "right";
        const std::string seite = ear == Ear::Left ? "linke" : "rechte";
        const std::vector<double>& levels = listener.Levels(ear);
        if (levels.size() != listener.hz.size()) {
            const std::string count = std::to_string(levels.size()), frequencies = std::to_string(listener.hz.size());
            why = {count + " " + side + " levels for " + frequencies + " frequencies",
                   count + " Werte für das " + seite + " Ohr bei " + frequencies + " Frequenzen"};
            return false;
        }
        std::vector<AudiogramPoint> points;
        for (std::size_t i = 0; i < levels.size(); ++i)
            points.push_back({listener.hz[i], levels[i]});
        RefusalReason reason;
        if (!CAudiogram::Make(points, reason)) {
            why = reason.Prefixed(std::string(side) + " ear: ", seite + "s Ohr: ");
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::vector<Listener>> ParseListeners(const std::string& text, std::string& error)
{
    ListenerFileRefusal why;
    auto listeners = ParseListeners(text, why);
    if (!listeners)
        error = why.reason.english;
    return listeners;
}

std::optional<std::vector<Listener>> ParseListeners(const std::string& text, ListenerFileRefusal& why)
{
    why = {};
    if (text.size() > kMaxListenerFileBytes) {
        const std::string most = std::to_string(kMaxListenerFileBytes);
        why.reason = {"larger than " + most + " bytes, far more than a listener file holds",
                      "größer als " + most + " Bytes, weit mehr, als eine Hörerdatei enthält"};
        return std::nullopt;
    }
    if (NestsTooDeeply(text)) {
        const std::string most = std::to_string(kMaxListenerFileDepth);
        why.reason = {"nested more than " + most + " levels deep, not a listener file",
                      "mehr als " + most + " Ebenen tief verschachtelt, keine Hörerdatei"};
        return std::nullopt;
    }
    json document;
    try {
        document = json::parse(text);
    } catch (const json::exception& failure) {  // syntax, and numbers beyond a double's range
        // The parser's own words, in both.
        why.reason = {std::string("not JSON: ") + failure.what(), std::string("kein JSON: ") + failure.what()};
        return std::nullopt;
    }
    if (!document.is_object() || document.empty()) {
        why.reason = {"not a listener file: no listeners keyed by id", "keine Hörerdatei: keine Hörer unter einer Kennung"};
        return std::nullopt;
    }
    std::vector<Listener> listeners;
    for (const auto& [id, entry] : document.items()) {
        Listener listener;
        RefusalReason reason;
        if (!ReadListener(id, entry, listener, reason)) {
            why.reason = reason.Prefixed("listener " + id + ": ", "Hörer " + id + ": ");
            why.listenerFile = true;
            return std::nullopt;
        }
        listeners.push_back(std::move(listener));
    }
    return listeners;
}

std::optional<std::vector<Listener>> ReadListenerFile(const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "Cannot read '" + path + "': " + std::strerror(errno);
        return std::nullopt;
    }
    // One byte more than allowed is enough to refuse a larger file.
    std::string text(kMaxListenerFileBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    std::string reason;
    auto listeners = ParseListeners(text, reason);
    if (!listeners)
        error = "'" + path + "' is not a usable audiogram file: " + reason;
    return listeners;
}

CAudiogram ListenerAudiogram(const Listener& listener, Ear ear)
{
    std::vector<AudiogramPoint> points;
    for (std::size_t i = 0; i < listener.hz.size(); ++i)
        points.push_back({listener.hz[i], listener.Levels(ear)[i]});
    std::string error;
    return *CAudiogram::Make(points, error);  // checked when read
}

std::string ListenerFileText(const Listener& listener)
{
    // Whole numbers are written as the data set writes them, without ".0".
    const auto numbers = [](const std::vector<double>& values) {
        json list = json::array();
        for (double value : values)
            if (std::abs(value) < 1e15 && value == std::trunc(value))
                list.push_back(static_cast<long long>(value));
            else
                list.push_back(value);
        return list;
    };
    json entry = json::object();
    entry["name"] = listener.name;
    entry["audiogram_cfs"] = numbers(listener.hz);
    entry["audiogram_levels_l"] = numbers(listener.left);
    entry["audiogram_levels_r"] = numbers(listener.right);
    json document = json::object();
    document[listener.id] = entry;
    return document.dump(2) + "\n";
}

bool WriteListenerFile(const std::string& path, const Listener& listener, std::string& error)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file << ListenerFileText(listener);
    if (!file || !file.flush()) {
        error = "Cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}
