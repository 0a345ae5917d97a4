#include "stream_closing.h"

#include "jack_graph.h"
#include "sound_library.h"

void CloseOpenedStream(PaStream* stream)
{
    if (Pa_GetStreamHostApiType(stream) == paJACK && ReadJackGraph().period == 0)
        return;
    Pa_CloseStream(stream);
    CSoundLibrary::Instance().StreamClosed();
}
