#pragma once

#include "call_aside.h"
#include "sound_devices.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// PortAudio for the program's life: started on first use, ended when the
// program ends. Every call into it that can block (starting, listing,
// opening, starting and stopping streams) runs through here, one at a time
// on a thread aside, with a time limit: a stalled sound server holds that
// call, never the caller. While a call that was late still runs, the
// others are refused at once.
class CSoundLibrary {
public:
    static CSoundLibrary& Instance();
    CSoundLibrary(const CSoundLibrary&) = delete;
    CSoundLibrary& operator=(const CSoundLibrary&) = delete;

    enum class Answer {
        Done,        // the call ran and returned in time
        NotStarted,  // the library did not start; the call did not run
        Late,        // the call goes on by itself; `ifLate` follows it on its thread
        Busy,        // an earlier late call still runs; the call did not run
    };
    // Runs `call` with the library started, waiting at most `limit` for it,
    // and before it at most `earlier` for a late call that may just be ending.
    // What a late call needs must be owned by the call.
    Answer Run(std::function<void()> call, std::function<void()> ifLate, std::chrono::milliseconds limit,
               std::chrono::milliseconds earlier = std::chrono::milliseconds(300));

    // The devices of every host API. Listed afresh while no stream is open
    // (the library restarted, so that devices added or removed since are
    // seen); otherwise as the library found them when it started. Nothing
    // when the server does not answer within `limit` or the library does
    // not start.
    std::optional<std::vector<SoundDevice>> Devices(std::chrono::milliseconds limit);

    // Kept by the calls that open and close streams, so that the library is
    // restarted only while none is open.
    void StreamOpened() { m_openStreams.fetch_add(1); }
    void StreamClosed() { m_openStreams.fetch_sub(1); }

    // PortAudio's reason when it did not start.
    std::string StartError() const;

    // Ends the library, unless a call is still held by the server or a
    // stream is still open.
    void End();

private:
    CSoundLibrary() = default;
    // Within a call: starts the library if it is not; false when it does not start.
    bool Start();

    std::mutex m_mutex;  // one caller at a time
    CCallAside m_aside;
    std::atomic<bool> m_started{false};
    std::atomic<int> m_openStreams{0};
    std::string m_startError;  // written within calls, read after them
};
