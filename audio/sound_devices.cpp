#include "sound_devices.h"

#include "pipewire_route.h"

#include <portaudio.h>

std::string SoundDeviceKey(const SoundDevice& device)
{
    return device.hostApi + ": " + device.name;
}

std::string ShownHost(const SoundDevice& device)
{
    return device.pipeWire ? "PipeWire" : device.hostApi;
}

std::vector<SoundDevice> ListSoundDevices()
{
    const bool pipeWire = JackIsPipeWire();
    std::vector<SoundDevice> devices;
    const PaDeviceIndex count = Pa_GetDeviceCount();
    for (PaDeviceIndex index = 0; index < count; ++index) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(index);
        const PaHostApiInfo* host = info ? Pa_GetHostApiInfo(info->hostApi) : nullptr;
        if (!info || !host)
            continue;
        SoundDevice device;
        device.index = index;
        device.name = info->name ? info->name : "";
        device.hostApi = host->name ? host->name : "";
        device.inputChannels = info->maxInputChannels;
        device.outputChannels = info->maxOutputChannels;
        device.lowInputLatency = info->defaultLowInputLatency;
        device.lowOutputLatency = info->defaultLowOutputLatency;
        // The library reads back no figure here; the period it is asked for is the least it gives.
        device.pipeWire = pipeWire && host->type == paJACK;
        if (device.pipeWire)
            device.lowInputLatency = device.lowOutputLatency = kPipeWirePeriod / 44100.0;
        devices.push_back(device);
    }
    return devices;
}

int FindSoundDevice(const std::vector<SoundDevice>& devices, const std::string& key, bool input)
{
    for (const SoundDevice& device : devices)
        if ((input ? device.inputChannels : device.outputChannels) > 0 && SoundDeviceKey(device) == key)
            return device.index;
    return -1;
}
