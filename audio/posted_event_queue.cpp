#include "posted_event_queue.h"

void CPostedEventQueue::Post(WaveOutEvent event, int opening)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_reports.push_back({event, opening});
}

bool CPostedEventQueue::Take(Report& report)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_reports.empty())
        return false;
    report = m_reports.front();
    m_reports.pop_front();
    return true;
}
