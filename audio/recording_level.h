#pragma once

// Levels of a recording, measured once when it is loaded.

// The level of speech while it is spoken, in dB relative to full scale (RMS
// 32768): the RMS of the 20 ms pieces louder than 50 dB below full scale,
// which leaves the pauses' room tone out. -100 when nothing is that loud.
double ActiveSpeechLevelDbFs(const short* samples, int count);
