#pragma once

#include "listener_file.h"

#include <optional>

// The audiogram last entered in the dialog, both ears, kept between runs in
// the program's settings (under the organisation name) as a one-listener
// file, with the ear last edited.
struct StoredAudiogram {
    Listener listener;
    Ear edited = Ear::Right;
};

// The stored audiogram; nothing when none is stored or the entry is damaged,
// and then, when `damage` is given, why it cannot be used.
std::optional<StoredAudiogram> LoadLastAudiogram(std::string* damage = nullptr);
void SaveLastAudiogram(const StoredAudiogram& stored);

// How the ears are heard; both when nothing or something unknown is stored.
EarsHeard LoadEarsHeard();
void SaveEarsHeard(EarsHeard ears);
