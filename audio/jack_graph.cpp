#include "jack_graph.h"

#include <jack/jack.h>

namespace {

// The client that owns the first port of `ports` whose own name starts with
// `prefix` ("capture_", "playback_": JACK's and PipeWire's names for a
// device's ports; a sink's monitor ports are not a microphone).
std::string FirstClientWith(const char** ports, const std::string& prefix)
{
    for (const char** port = ports; port && *port; ++port) {
        const std::string name = *port;
        const std::size_t colon = name.find(':');
        if (colon != std::string::npos && name.compare(colon + 1, prefix.size(), prefix) == 0)
            return name.substr(0, colon);
    }
    return {};
}

std::string ClientOwning(jack_client_t* client, unsigned long flags, const std::string& prefix)
{
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, flags);
    std::string owner = FirstClientWith(ports, prefix);
    if (ports)
        jack_free(ports);
    return owner;
}

}  // namespace

JackGraph ReadJackGraph()
{
    JackGraph graph;
    jack_status_t status{};
    jack_client_t* const client = jack_client_open("sonafel-probe", JackNoStartServer, &status);
    if (!client)
        return graph;
    graph.period = static_cast<int>(jack_get_buffer_size(client));
    graph.captureClient = ClientOwning(client, JackPortIsOutput, "capture_");
    graph.playbackClient = ClientOwning(client, JackPortIsInput, "playback_");
    jack_client_close(client);
    return graph;
}
