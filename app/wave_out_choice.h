#pragma once

#include "live_stream.h"
#include "sound_devices.h"
#include "wave_out_device.h"

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

// The sound device the program plays on: the system's default output, or
// with SONAFEL_AUDIO=virtual a silent one paced by the clock.
std::unique_ptr<IWaveOutDevice> MakeWaveOutDevice();

// The live stream: the system's sound devices, or with SONAFEL_AUDIO=virtual
// one paced by the clock whose microphone hears a steady tone.
std::unique_ptr<ILiveStream> MakeLiveStream();

// The devices to choose from: the sound library's, asked for at most
// `limit` (nothing when the server does not answer), or with
// SONAFEL_AUDIO=virtual the one virtual device.
std::optional<std::vector<SoundDevice>> ListAudioDevices(std::chrono::milliseconds limit);
