#pragma once

#include "live_stream.h"
#include "wave_out_device.h"

#include <memory>

// The sound device the program plays on: the system's default output, or
// with SONAFEL_AUDIO=virtual a silent one paced by the clock.
std::unique_ptr<IWaveOutDevice> MakeWaveOutDevice();

// The live stream: the system's sound devices, or with SONAFEL_AUDIO=virtual
// one paced by the clock whose microphone hears a steady tone.
std::unique_ptr<ILiveStream> MakeLiveStream();
