#pragma once

#include <string>
#include <vector>

// A sound device as PortAudio offers it, through one of the host APIs it was
// built with (ALSA, PulseAudio, JACK, ...).
struct SoundDevice {
    int index = -1;  // PortAudio's, valid only until the library lists the devices afresh
    std::string name;
    std::string hostApi;
    int inputChannels = 0;
    int outputChannels = 0;
    double lowInputLatency = 0.0;   // seconds, the device's low-latency default
    double lowOutputLatency = 0.0;
    bool pipeWire = false;  // on the JACK host API through PipeWire's library: `name` is the sink's or source's
};

// The longest device key kept in the settings; anything longer is not one.
constexpr std::size_t kMaxSoundDeviceKey = 512;

// The key a device is kept under in the settings: its host API and name,
// which stay when PortAudio numbers the devices differently.
std::string SoundDeviceKey(const SoundDevice& device);

// The host shown to the user: PipeWire for its devices, else the host API.
std::string ShownHost(const SoundDevice& device);

// Every device of every host API; within a call of the sound library (see
// CSoundLibrary, which also lists them for others).
std::vector<SoundDevice> ListSoundDevices();

// The device with `key` that has inputs (or outputs), or -1.
int FindSoundDevice(const std::vector<SoundDevice>& devices, const std::string& key, bool input);
