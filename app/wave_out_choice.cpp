#include "wave_out_choice.h"

#include "clocked_wave_out.h"
#include "portaudio_wave_out.h"

#include <cstdlib>
#include <cstring>

std::unique_ptr<IWaveOutDevice> MakeWaveOutDevice()
{
    const char* choice = std::getenv("SONAFEL_AUDIO");
    if (choice && std::strcmp(choice, "virtual") == 0)
        return std::make_unique<CClockedWaveOut>();
    return std::make_unique<CPortAudioWaveOut>();
}
