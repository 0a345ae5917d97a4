#pragma once

#include "wave_out_device.h"

#include <deque>
#include <mutex>

// A poster that keeps the device's reports in arrival order until the owner
// takes them, for programs and tests without a window system.
class CPostedEventQueue final : public IWaveOutPoster {
public:
    struct Report {
        WaveOutEvent event;
        int opening;
    };

    void Post(WaveOutEvent event, int opening) override;

    // Takes the oldest report; false when there is none.
    bool Take(Report& report);

private:
    std::mutex m_mutex;
    std::deque<Report> m_reports;
};
