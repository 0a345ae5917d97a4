#pragma once

#include <string>

// What the JACK server (JACK's own, or PipeWire through its JACK library)
// runs at and offers, read by a client of its own that comes and goes.
struct JackGraph {
    int period = 0;              // samples each cycle; 0: no server answered
    std::string captureClient;   // the first client with capture ports (a microphone), or empty
    std::string playbackClient;  // the first with playback ports (loudspeakers, headphones), or empty
};

// Within a call of the sound library (the server may stall it). Never
// starts a server.
JackGraph ReadJackGraph();
