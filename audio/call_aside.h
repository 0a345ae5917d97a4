#pragma once

#include <chrono>
#include <functional>
#include <memory>

// Runs a call that may block for good (a stalled sound server can hold the
// sound library's calls indefinitely) on a thread of its own, and waits for it
// only so long. A call that is late goes on by itself; what it needs must be
// owned by the call.
class CCallAside {
public:
    CCallAside() = default;
    CCallAside(const CCallAside&) = delete;
    CCallAside& operator=(const CCallAside&) = delete;

    // Runs `call` and waits at most `limit` for it: true when it returned in
    // time. When it is late, `ifLate` runs on its thread after it returns.
    // False at once while a late call is still running.
    bool Run(std::function<void()> call, std::function<void()> ifLate, std::chrono::milliseconds limit);

    // Waits at most `limit` for a late call to end: true when none runs.
    bool WaitIdle(std::chrono::milliseconds limit) const;

private:
    struct State;
    std::shared_ptr<State> m_late;  // the call that was late, while it may run
};
