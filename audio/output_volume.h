#pragma once

#include <cstdint>

// The process-wide output volume that every wave output device applies to what
// it plays: a word with the left channel's volume in the low 16 bits and the
// right channel's in the high 16 bits, 0xFFFF being full. It never touches the
// system mixer. Full on both channels at start.
void SetOutputVolume(std::uint32_t volumeWord);
std::uint32_t OutputVolume();

inline unsigned LeftVolume(std::uint32_t volumeWord) { return volumeWord & 0xFFFF; }
inline unsigned RightVolume(std::uint32_t volumeWord) { return volumeWord >> 16; }

// A sample as played at a channel volume of 0..65535, rounded to nearest.
short ScaleByVolume(short sample, unsigned channelVolume);
