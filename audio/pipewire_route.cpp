#include "pipewire_route.h"

#include <dlfcn.h>
#include <jack/jack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Where a PipeWire server listens: the socket its clients connect to.
bool PipeWireServerRuns()
{
    const char* remote = std::getenv("PIPEWIRE_REMOTE");
    std::string socket = remote && *remote ? remote : "pipewire-0";
    if (socket.front() != '/') {
        const char* folder = std::getenv("PIPEWIRE_RUNTIME_DIR");
        if (!folder || !*folder)
            folder = std::getenv("XDG_RUNTIME_DIR");
        if (!folder || !*folder)
            return false;
        socket = std::string(folder) + "/" + socket;
    }
    struct stat status {};
    return stat(socket.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

}  // namespace

std::string PipeWireJackFolder()
{
    return "/usr/lib/" SONAFEL_LIBRARY_ARCHITECTURE "/pipewire-0.3/jack";
}

std::optional<std::string> SearchPathWith(const char* current, const std::string& folder)
{
    const std::string path = current ? current : "";
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        if (path.compare(start, end - start, folder) == 0 && end - start == folder.size())
            return std::nullopt;
        start = end + 1;
    }
    return path.empty() ? folder : folder + ":" + path;
}

bool JackIsPipeWire()
{
    Dl_info library{};
    return dladdr(reinterpret_cast<void*>(&jack_client_open), &library) != 0 && library.dli_fname &&
           std::strstr(library.dli_fname, "/pipewire-") != nullptr;
}

void TakePipeWireRoute(char** argv)
{
    const char* wanted = std::getenv("SONAFEL_PIPEWIRE");
    if ((wanted && std::strcmp(wanted, "0") == 0) || !PipeWireServerRuns())
        return;
    const std::string folder = PipeWireJackFolder();
    if (access((folder + "/libjack.so.0").c_str(), R_OK) != 0)
        return;
    // Only asked for: another program may ask for less, or the user for more.
    setenv("PIPEWIRE_LATENCY", (std::to_string(kPipeWirePeriod) + "/44100").c_str(), 0);
    if (JackIsPipeWire())
        return;
    const char* const before = std::getenv("LD_LIBRARY_PATH");
    const std::optional<std::string> path = SearchPathWith(before, folder);
    if (!path)
        return;  // on the path and still JACK's own: starting again would not help
    const std::optional<std::string> kept = before ? std::optional<std::string>(before) : std::nullopt;
    // By its own file's name, which the process is known by (not "exe").
    char* const self = realpath("/proc/self/exe", nullptr);
    if (!self)
        return;
    setenv("LD_LIBRARY_PATH", path->c_str(), 1);
    execv(self, argv);
    std::free(self);
    // Not started again: today's route, with the path as it was.
    if (kept)
        setenv("LD_LIBRARY_PATH", kept->c_str(), 1);
    else
        unsetenv("LD_LIBRARY_PATH");
}
