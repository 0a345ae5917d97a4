#pragma once

#include "listener_file.h"

#include <QString>

#include <optional>

// The audiogram last entered in the dialog, both ears, kept between runs in
// the program's settings (under the organisation name) as a one-listener
// file, with the ear last edited.
struct StoredAudiogram {
    Listener listener;
    Ear edited = Ear::Right;
};

// The stored audiogram; nothing when none is stored or the entry is damaged,
// and then, when `damage` is given, why it cannot be used (in German).
std::optional<StoredAudiogram> LoadLastAudiogram(std::string* damage = nullptr);
void SaveLastAudiogram(const StoredAudiogram& stored);

// The loss active when the program last ended: a standard loss by its key,
// or a listener's two ears (entered or imported) with the name the view gave
// them.
struct ActiveLoss {
    std::string presetKey;  // empty: not a standard loss
    StoredAudiogram audiogram;
    QString name;
};

// Nothing when no loss was active, or the entry is damaged.
std::optional<ActiveLoss> LoadActiveLoss();
// Nothing: no loss is active.
void SaveActiveLoss(const std::optional<ActiveLoss>& loss);
