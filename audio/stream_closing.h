#pragma once

#include <portaudio.h>

// Within a call of the sound library: closes a stream that PortAudio opened
// (and stopped) and tells the library. A stream on a JACK server that is
// gone is left open for good, as is the library: PortAudio's JACK host
// stops the whole program when it cannot take a stream's ports off a dead
// server.
void CloseOpenedStream(PaStream* stream);
