#include "call_aside.h"

#include <condition_variable>
#include <mutex>
#include <thread>

struct CCallAside::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool returned = false;  // the call has returned
    bool late = false;      // the caller stopped waiting for it
    bool ended = false;     // the call, and what follows it when late, are over
};

bool CCallAside::Run(std::function<void()> call, std::function<void()> ifLate, std::chrono::milliseconds limit)
{
    if (!WaitIdle(std::chrono::milliseconds(0)))
        return false;
    m_late.reset();
    auto state = std::make_shared<State>();
    std::thread worker([state, call = std::move(call), ifLate = std::move(ifLate)] {
        call();
        std::unique_lock<std::mutex> lock(state->mutex);
        state->returned = true;
        const bool late = state->late;
        lock.unlock();
        state->changed.notify_all();
        if (late && ifLate)
            ifLate();
        lock.lock();
        state->ended = true;
        lock.unlock();
        state->changed.notify_all();
    });
    std::unique_lock<std::mutex> lock(state->mutex);
    if (state->changed.wait_for(lock, limit, [&] { return state->returned; })) {
        lock.unlock();
        worker.join();
        return true;
    }
    state->late = true;
    lock.unlock();
    worker.detach();
    m_late = std::move(state);
    return false;
}

bool CCallAside::WaitIdle(std::chrono::milliseconds limit) const
{
    if (!m_late)
        return true;
    std::unique_lock<std::mutex> lock(m_late->mutex);
    return m_late->changed.wait_for(lock, limit, [&] { return m_late->ended; });
}
