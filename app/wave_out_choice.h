#pragma once

#include "wave_out_device.h"

#include <memory>

// The sound device the program plays on: the system's default output, or
// with SONAFEL_AUDIO=virtual a silent one paced by the clock.
std::unique_ptr<IWaveOutDevice> MakeWaveOutDevice();
