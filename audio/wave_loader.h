#pragma once

// Loads a 44.1 kHz 16-bit RIFF WAVE file (mono, or the first channel of a
// multi-channel file) and scales it so that its loudest sample has the
// magnitude `target`. On success stores a new[]-allocated buffer through
// `buffer` and returns the number of samples. On failure returns 0, reports
// why (some failures are silent) and leaves `*buffer` untouched.
int LoadWave(const char* path, short** buffer, int target);
