#pragma once

#include <algorithm>
#include <mutex>
#include <vector>

// Tables that depend on an analysis window alone, worked out once per
// process: every ear has the same window, and new chains are made while
// sound plays (the live path's settings), where working them out again
// would cost milliseconds of sines each time. One static instance per kind
// of table; any thread but the sound thread may ask.
template <typename Tables>
class CPerWindowTables {
public:
    // The tables for `window`, made by `build(tables)` the first time and
    // whenever the window differs from the one they were made for.
    template <typename Build>
    Tables For(const float* window, int length, Build build)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_made || m_window.size() != static_cast<std::size_t>(length) ||
            !std::equal(m_window.begin(), m_window.end(), window)) {
            build(m_tables);
            m_window.assign(window, window + length);
            m_made = true;
        }
        return m_tables;
    }

private:
    std::mutex m_mutex;
    bool m_made = false;
    std::vector<float> m_window;
    Tables m_tables{};
};
