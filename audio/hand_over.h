#pragma once

#include <atomic>
#include <memory>

// Hands whole objects from one thread (the user interface) to another (the
// sound thread) with neither side waiting: the newest object posted waits in
// a slot; the taker takes it, uses it and gives it back through a second
// slot; the poster frees it, so the taker never allocates or frees.
template <typename T>
class CHandOver {
public:
    CHandOver() = default;
    CHandOver(const CHandOver&) = delete;
    CHandOver& operator=(const CHandOver&) = delete;
    // Once neither side uses it any more.
    ~CHandOver()
    {
        delete m_posted.load(std::memory_order_acquire);
        delete m_returned.load(std::memory_order_acquire);
    }

    // Poster: frees what came back, and replaces what was posted and not yet taken.
    void Post(std::unique_ptr<T> object)
    {
        Reclaim();
        delete m_posted.exchange(object.release(), std::memory_order_acq_rel);
    }
    // Poster: frees what came back.
    void Reclaim() { delete m_returned.exchange(nullptr, std::memory_order_acq_rel); }
    // Whether something posted waits to be taken.
    bool Waiting() const { return m_posted.load(std::memory_order_acquire) != nullptr; }

    // Taker: the newest object posted, or null. Null also while the last one
    // given back has not been freed: one comes back at a time.
    T* Take()
    {
        if (m_returned.load(std::memory_order_acquire))
            return nullptr;
        return m_posted.exchange(nullptr, std::memory_order_acq_rel);
    }
    // Taker: an object taken, done with.
    void GiveBack(T* object) { m_returned.store(object, std::memory_order_release); }

private:
    std::atomic<T*> m_posted{nullptr};
    std::atomic<T*> m_returned{nullptr};
};
