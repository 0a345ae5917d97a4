#pragma once

#include <atomic>

// The newest of a series of values that one thread writes and another reads,
// neither waiting for the other: three slots, the writer filling one, the
// reader holding one, the third the newest complete value. A value is never
// read half written.
template <typename T>
class CLatestValue {
public:
    // Writer: the slot to fill, then Publish.
    T& Back() { return m_slot[m_back]; }
    void Publish() { m_back = m_middle.exchange(m_back | kFresh, std::memory_order_acq_rel) & kIndex; }

    // Reader: the newest value, when one came since the last read.
    bool Read(T& value)
    {
        if (!(m_middle.load(std::memory_order_acquire) & kFresh))
            return false;
        m_front = m_middle.exchange(m_front, std::memory_order_acq_rel) & kIndex;
        value = m_slot[m_front];
        return true;
    }

private:
    static constexpr int kIndex = 3;
    static constexpr int kFresh = 4;
    T m_slot[3] = {};
    int m_back = 0;
    std::atomic<int> m_middle{1};
    int m_front = 2;
};
