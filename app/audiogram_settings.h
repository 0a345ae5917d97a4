#pragma once

#include "listener_file.h"

#include <optional>

// The audiogram last entered in the dialog, kept between runs in the
// program's settings (under the organisation name) as a one-listener file.
struct StoredAudiogram {
    Listener listener;
    Ear heard = Ear::Right;
};

// The stored audiogram; nothing when none is stored or the entry is damaged,
// and then, when `damage` is given, why it cannot be used.
std::optional<StoredAudiogram> LoadLastAudiogram(std::string* damage = nullptr);
void SaveLastAudiogram(const StoredAudiogram& stored);
