#include "wave_out_choice.h"

#include "clocked_live_stream.h"
#include "clocked_wave_out.h"
#include "live_duplex.h"
#include "portaudio_wave_out.h"
#include "sound_library.h"

#include <cstdlib>
#include <cstring>

namespace {

bool Virtual()
{
    const char* choice = std::getenv("SONAFEL_AUDIO");
    return choice && std::strcmp(choice, "virtual") == 0;
}

}  // namespace

std::unique_ptr<IWaveOutDevice> MakeWaveOutDevice()
{
    if (Virtual())
        return std::make_unique<CClockedWaveOut>();
    return std::make_unique<CPortAudioWaveOut>();
}

std::unique_ptr<ILiveStream> MakeLiveStream()
{
    if (Virtual())
        return std::make_unique<CClockedLiveStream>();
    return std::make_unique<CLiveDuplex>();
}

std::optional<std::vector<SoundDevice>> ListAudioDevices(std::chrono::milliseconds limit)
{
    if (Virtual()) {
        SoundDevice device;
        device.name = "Mikrofon und Kopfhörer";
        device.hostApi = "virtuell";
        device.inputChannels = 1;
        device.outputChannels = 2;
        return std::vector<SoundDevice>{device};
    }
    return CSoundLibrary::Instance().Devices(limit);
}
