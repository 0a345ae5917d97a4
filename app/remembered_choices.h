#pragma once

#include <QString>

// Switches of the view kept between runs in the program's settings (the
// loss's are kept with its settings). Each is as `unchosen` when nothing,
// or something other than a yes or no, is stored.
enum class Choice { ScaleAndLegend };

bool LoadChoice(Choice choice, bool unchosen);
void SaveChoice(Choice choice, bool on);

// The user's own recording last chosen for a source (0 speech, 1 music,
// 2 noise); empty when none, or when the entry is not a path of a sane
// length.
QString LoadOwnSound(int source);
// An empty path forgets it.
void SaveOwnSound(int source, const QString& path);
