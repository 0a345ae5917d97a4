#pragma once

// One range for each level a user sets, the same in the dialogs, the stored
// settings, the tools and the processing. A stored value outside its range
// is ignored, not clamped. Hearing levels keep theirs in CAudiogram
// (-10 to 120 dB HL).

// The calibration: the dB SPL that digital RMS 1 (0 dB FS) plays at. The
// dialog takes it as the reading of a tone 20 dB below, 20 to 130 dB SPL on
// the meter.
constexpr double kLowestFullScaleSpl = 40.0;
constexpr double kHighestFullScaleSpl = 150.0;

// The level the speech is presented at, in dB SPL.
constexpr double kLowestSpeechSpl = 20.0;
constexpr double kHighestSpeechSpl = 100.0;

// The talker's distance for the index of standard speech, in metres.
constexpr double kNearestTalkerM = 0.25;
constexpr double kFarthestTalkerM = 20.0;
