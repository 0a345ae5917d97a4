#include "sound_library.h"

#include "quiet_stderr.h"

#include <portaudio.h>

#include <cstdlib>
#include <memory>

namespace {

using std::chrono::milliseconds;

// How long ending the library at exit waits for it.
constexpr milliseconds kEndLimit{500};

}  // namespace

CSoundLibrary& CSoundLibrary::Instance()
{
    // Never destroyed: a call a stalled server still holds may return to it
    // at any time. The library itself ends at exit.
    static CSoundLibrary* const library = [] {
        auto* made = new CSoundLibrary;
        std::atexit([] { Instance().End(); });
        return made;
    }();
    return *library;
}

bool CSoundLibrary::Start()
{
    if (m_started.load())
        return true;
    const PaError error = Pa_Initialize();
    m_startError = error == paNoError ? std::string() : Pa_GetErrorText(error);
    m_started.store(error == paNoError);
    return error == paNoError;
}

CSoundLibrary::Answer CSoundLibrary::Run(std::function<void()> call, std::function<void()> ifLate,
                                         milliseconds limit, milliseconds earlier)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_aside.WaitIdle(earlier))
        return Answer::Busy;
    // The library's probing stays off the console while the caller waits;
    // a call that is late may print later, when the server lets it go.
    const CQuietStderr quiet;
    auto started = std::make_shared<bool>(false);
    const bool inTime = m_aside.Run(
        [this, started, call = std::move(call)] {
            *started = Start();
            if (*started)
                call();
        },
        [started, ifLate = std::move(ifLate)] {
            if (*started && ifLate)
                ifLate();
        },
        limit);
    if (!inTime)
        return Answer::Late;
    return *started ? Answer::Done : Answer::NotStarted;
}

std::optional<std::vector<SoundDevice>> CSoundLibrary::Devices(milliseconds limit)
{
    auto devices = std::make_shared<std::vector<SoundDevice>>();
    auto listed = std::make_shared<bool>(false);
    const Answer answer = Run(
        [this, devices, listed] {
            if (m_openStreams.load() == 0) {
                // PortAudio finds devices only when it starts.
                Pa_Terminate();
                m_started.store(false);
                if (!Start())
                    return;
            }
            *devices = ListSoundDevices();
            *listed = true;
        },
        nullptr, limit);
    if (answer != Answer::Done || !*listed)
        return std::nullopt;
    return std::move(*devices);
}

std::string CSoundLibrary::StartError() const
{
    return m_startError;
}

void CSoundLibrary::End()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // A stream still open is one left to a server that is gone (see
    // CloseOpenedStream); ending the library would close it.
    if (!m_started.load() || !m_aside.WaitIdle(milliseconds(0)) || m_openStreams.load() != 0)
        return;
    const CQuietStderr quiet;
    m_aside.Run(
        [this] {
            Pa_Terminate();
            m_started.store(false);
        },
        nullptr, kEndLimit);
}
