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

// What an argument names: a standard loss, or a listener and perhaps an ear.
struct Named {
    const AudiogramPreset* preset = nullptr;
    Listener listener;
    std::optional<Ear> ear;
};

bool ReadNamed(const std::string& option, const std::string& argument, Named& named, std::string& error)
{
    if ((named.preset = FindAudiogramPreset(argument)))
        return true;
    std::vector<std::string> parts = Split(argument, ':');
    if (parts.empty() || parts[0].empty()) {
        error = option + " needs a standard loss or a file, not '" + argument + "'";
        return false;
    }
    if (parts.size() > 1 && (parts.back() == "left" || parts.back() == "right")) {
        named.ear = parts.back() == "left" ? Ear::Left : Ear::Right;
        parts.pop_back();
    }
    if (parts.size() > 2) {
        error = option + " takes FILE[:LISTENER][:left|right], not '" + argument + "'";
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
    named.listener = *listener;
    return true;
}

std::string EarLabel(const Listener& listener, Ear ear)
{
    return listener.id + (ear == Ear::Left ? ", left ear" : ", right ear");
}

}  // namespace

bool ChooseAudiogram(const std::string& argument, AudiogramChoice& choice, std::string& error)
{
    Named named;
    if (!ReadNamed("--audiogram", argument, named, error))
        return false;
    if (named.preset) {
        choice = {named.preset->audiogram, named.preset->audiogram, true, named.preset->name};
    } else if (named.ear) {
        const CAudiogram ear = ListenerAudiogram(named.listener, *named.ear);
        choice = {ear, ear, true, EarLabel(named.listener, *named.ear)};
    } else {
        choice = {ListenerAudiogram(named.listener, Ear::Left), ListenerAudiogram(named.listener, Ear::Right), false,
                  named.listener.id};
    }
    return true;
}

bool ChooseEarAudiogram(const std::string& argument, Ear side, AudiogramChoice& choice, std::string& error)
{
    Named named;
    const std::string option = side == Ear::Left ? "--audiogram-left" : "--audiogram-right";
    if (!ReadNamed(option, argument, named, error))
        return false;
    const Ear ear = named.ear.value_or(side);
    const std::string label = named.preset ? named.preset->name : EarLabel(named.listener, ear);
    (side == Ear::Left ? choice.left : choice.right) =
        named.preset ? named.preset->audiogram : ListenerAudiogram(named.listener, ear);
    choice.oneEar = false;
    choice.label += (choice.label.empty() ? "" : "; ") + std::string(side == Ear::Left ? "left: " : "right: ") + label;
    return true;
}

std::string PresetList()
{
    std::string list;
    for (const AudiogramPreset& preset : AudiogramPresets())
        list += preset.key + "\t" + (preset.group.empty() ? "" : preset.group + ": ") + preset.name + "\n";
    return list;
}
