#include "audiogram_choice.h"

#include "audiogram_presets.h"
#include "listener_file.h"

#include <sstream>
#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

std::string Ids(const std::vector<Listener>& listeners)
{
    std::string ids;
    for (const Listener& listener : listeners)
        ids += (ids.empty() ? "" : ", ") + listener.id;
    return ids;
}

}  // namespace

bool ChooseAudiogram(const std::string& argument, AudiogramChoice& choice, std::string& error)
{
    if (const AudiogramPreset* preset = FindAudiogramPreset(argument)) {
        choice = {preset->audiogram, preset->name};
        return true;
    }
    std::vector<std::string> parts = Split(argument, ':');
    if (parts.empty() || parts[0].empty()) {
        error = "--audiogram needs a standard loss or a file, not '" + argument + "'";
        return false;
    }
    Ear ear = Ear::Right;
    if (parts.size() > 1 && (parts.back() == "left" || parts.back() == "right")) {
        ear = parts.back() == "left" ? Ear::Left : Ear::Right;
        parts.pop_back();
    }
    if (parts.size() > 2) {
        error = "--audiogram takes FILE[:LISTENER][:left|right], not '" + argument + "'";
        return false;
    }
    const std::string& path = parts[0];
    const auto listeners = ReadListenerFile(path, error);
    if (!listeners) {
        if (argument.find_first_of("/.:") == std::string::npos)
            error += " (nor is it a standard loss: see --list-presets)";
        return false;
    }
    const Listener* listener = nullptr;
    if (parts.size() == 2) {
        for (const Listener& candidate : *listeners)
            if (candidate.id == parts[1])
                listener = &candidate;
        if (!listener) {
            error = "'" + path + "' holds no listener '" + parts[1] + "' (it holds " + Ids(*listeners) + ")";
            return false;
        }
    } else if (listeners->size() == 1) {
        listener = &listeners->front();
    } else {
        error = "'" + path + "' holds " + std::to_string(listeners->size()) + " listeners: name one as " + path +
                ":LISTENER (" + Ids(*listeners) + ")";
        return false;
    }
    choice = {ListenerAudiogram(*listener, ear), listener->id + (ear == Ear::Left ? ", left ear" : ", right ear")};
    return true;
}

std::string PresetList()
{
    std::string list;
    for (const AudiogramPreset& preset : AudiogramPresets())
        list += preset.key + "\t" + (preset.group.empty() ? "" : preset.group + ": ") + preset.name + "\n";
    return list;
}
