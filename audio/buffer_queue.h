#pragma once

#include <atomic>

// The buffers queued on a device, handed from the user-interface thread to
// the thread that plays them without a lock: one writer (Push) and one reader
// (Front, Pop).
class CBufferQueue {
public:
    static constexpr int kCapacity = 16;

    struct Buffer {
        const short* samples;
        int count;
    };

    bool Push(const short* samples, int count)
    {
        const int tail = m_tail.load(std::memory_order_relaxed);
        if (tail - m_head.load(std::memory_order_acquire) == kCapacity)
            return false;
        m_buffers[tail % kCapacity] = {samples, count};
        m_tail.store(tail + 1, std::memory_order_release);
        return true;
    }

    // The oldest buffer, or false when none is queued.
    bool Front(Buffer& buffer) const
    {
        const int head = m_head.load(std::memory_order_relaxed);
        if (head == m_tail.load(std::memory_order_acquire))
            return false;
        buffer = m_buffers[head % kCapacity];
        return true;
    }

    void Pop() { m_head.store(m_head.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

    int Count() const { return m_tail.load(std::memory_order_acquire) - m_head.load(std::memory_order_acquire); }

    // Empties the queue; only while nothing reads it.
    void Clear() { m_head.store(m_tail.load(std::memory_order_acquire), std::memory_order_release); }

private:
    Buffer m_buffers[kCapacity] = {};
    std::atomic<int> m_head{0};
    std::atomic<int> m_tail{0};
};
