#pragma once

#include <QString>

// Switches of the view kept between runs in the program's settings (the
// loss's are kept with its settings). Each is as `unchosen` when nothing,
// or something other than a yes or no, is stored.
enum class Choice { ScaleAndLegend, AudibilityInHearingLevel };

bool LoadChoice(Choice choice, bool unchosen);
void SaveChoice(Choice choice, bool on);

// What the spectrum shows, stored as a word: "audibility" (the default:
// Hörbarkeit while an audiogram is chosen), "relative" or "spl"; anything
// else is as nothing stored.
enum class StoredSpectrumView { Audibility, Relative, Spl };
StoredSpectrumView LoadSpectrumView();
void SaveSpectrumView(StoredSpectrumView view);

// The user's own recording last chosen for a source (0 speech, 1 music,
// 2 noise); empty when none, or when the entry is not a path of a sane
// length.
QString LoadOwnSound(int source);
// An empty path forgets it.
void SaveOwnSound(int source, const QString& path);
