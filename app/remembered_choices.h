#pragma once

// Switches kept between runs in the program's settings. Each is as
// `unchosen` when nothing, or something other than a yes or no, is stored.
enum class Choice { ScaleAndLegend, Recruitment, AudiogramSmearing };

bool LoadChoice(Choice choice, bool unchosen);
void SaveChoice(Choice choice, bool on);
