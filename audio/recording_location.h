#pragma once

#include <filesystem>
#include <string>

// Where a recording named on its own (no folder) is read from: the current
// directory first; when it is not there and the program runs from an
// installed tree, the tree's data directory, found relative to the
// executable so that an installed tree can be moved. A name with a folder,
// or one found nowhere, is returned as it is, so that the loader's messages
// name it as the user gave it.
std::string LocateRecording(const std::string& name);

// The same for an executable in `executableDir`.
std::string LocateRecording(const std::string& name, const std::filesystem::path& executableDir);
