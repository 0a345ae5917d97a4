#pragma once

#include "wave_out_device.h"

#include <QObject>

#include <memory>
#include <vector>

// The 1 kHz calibration tone at a stated digital level, played on a sound
// device of its own until stopped, at full output volume: the loudness
// slider does not touch it.
class CCalibrationTone : public QObject {
public:
    static constexpr double kLevelDbFs = -20.0;  // RMS relative to full scale
    static constexpr double kHz = 1000.0;

    explicit CCalibrationTone(std::unique_ptr<IWaveOutDevice> device);
    ~CCalibrationTone() override;

    // False when the device refuses.
    bool Start();
    void Stop();
    bool Playing() const { return m_playing; }
    const IWaveOutDevice& Device() const { return *m_device; }

protected:
    bool event(QEvent* event) override;

private:
    class CPoster;
    void QueueOne();

    std::unique_ptr<IWaveOutDevice> m_device;
    std::unique_ptr<CPoster> m_poster;
    std::vector<short> m_fadeIn;  // the first buffer rises over 10 ms
    std::vector<short> m_tone;    // 100 whole periods: buffers join seamlessly
    bool m_playing = false;
    bool m_started = false;
    int m_opening = 0;
    unsigned m_savedVolume = 0;
};
