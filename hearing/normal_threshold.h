#pragma once

// Normal hearing's threshold T0 in dB SPL at `hz`: free field, both ears,
// frontal incidence (the equal-loudness standard's threshold, equal to the
// free-field reference threshold). Interpolated over log frequency between
// the tabulated frequencies (20 Hz to 12.5 kHz) and held beyond them.
// A hearing level of H dB HL is a threshold of T0 + H dB SPL.
double NormalThresholdSpl(double hz);
