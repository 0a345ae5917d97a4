#pragma once

// Median hearing threshold shifts of the international standards, in dB.

enum class Sex { Male, Female };

// Age-related shift of otologically normal people (ISO 7029:2017) at one of
// the audiometric frequencies 125..8000 Hz, for an age of 18 to 80 years.
double AgeShift(Sex sex, int hz, double years);

// The frequencies at which the noise-induced shift is defined.
constexpr int kNoiseShiftHz[] = {500, 1000, 2000, 3000, 4000, 6000};

// Noise-induced permanent shift (ISO 1999:2013) at one of kNoiseShiftHz after
// `years` (up to 40) of daily exposure at `exposure` dB(A), L_EX,8h.
double NoiseShift(int hz, double years, double exposure);

// Age and noise together: H + N - H·N/120.
double CombinedShift(double age, double noise);
