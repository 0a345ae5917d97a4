#include "calibration_tone.h"

#include "output_volume.h"

#include <QCoreApplication>
#include <QEvent>

#include <cmath>

namespace {

constexpr int kRate = 44100;
constexpr int kSamples = 4410;  // 100 ms, 100 periods of 1 kHz
constexpr int kQueued = 4;

const QEvent::Type kBufferDone = static_cast<QEvent::Type>(QEvent::registerEventType());

class CBufferDoneEvent final : public QEvent {
public:
    explicit CBufferDoneEvent(int opening) : QEvent(kBufferDone), m_opening(opening) {}
    int Opening() const { return m_opening; }

private:
    int m_opening;
};

}  // namespace

// Turns the device's reports into events of the tone's own thread.
class CCalibrationTone::CPoster final : public IWaveOutPoster {
public:
    explicit CPoster(CCalibrationTone& tone) : m_tone(tone) {}
    void Post(WaveOutEvent event, int opening) override
    {
        if (event == WaveOutEvent::BufferDone)
            QCoreApplication::postEvent(&m_tone, new CBufferDoneEvent(opening));
    }

private:
    CCalibrationTone& m_tone;
};

CCalibrationTone::CCalibrationTone(std::unique_ptr<IWaveOutDevice> device)
    : m_device(std::move(device)), m_poster(std::make_unique<CPoster>(*this)), m_fadeIn(kSamples), m_tone(kSamples)
{
    const double amplitude = 32768.0 * std::sqrt(2.0) * std::pow(10.0, kLevelDbFs / 20.0);
    for (int i = 0; i < kSamples; ++i) {
        const double sample = amplitude * std::sin(2.0 * M_PI * kHz * i / kRate);
        const double rise = std::min(1.0, i / (0.010 * kRate));
        m_tone[i] = static_cast<short>(std::lround(sample));
        m_fadeIn[i] = static_cast<short>(std::lround(sample * rise));
    }
}

CCalibrationTone::~CCalibrationTone()
{
    Stop();
}

bool CCalibrationTone::Start()
{
    if (m_playing)
        return true;
    ++m_opening;
    if (!m_device->Open(WaveOutFormat{1, kRate, 16, 2}, *m_poster, m_opening))
        return false;
    m_savedVolume = OutputVolume();
    SetOutputVolume(0xFFFFFFFFu);
    m_playing = true;
    m_started = false;
    for (int i = 0; i < kQueued; ++i)
        QueueOne();
    return true;
}

void CCalibrationTone::QueueOne()
{
    const std::vector<short>& buffer = m_started ? m_tone : m_fadeIn;
    m_started = true;
    m_device->Queue(reinterpret_cast<const unsigned char*>(buffer.data()), kSamples * 2);
}

void CCalibrationTone::Stop()
{
    if (!m_playing)
        return;
    m_playing = false;
    m_device->Reset();
    m_device->Close();
    SetOutputVolume(m_savedVolume);
}

bool CCalibrationTone::event(QEvent* event)
{
    if (event->type() != kBufferDone)
        return QObject::event(event);
    if (m_playing && static_cast<CBufferDoneEvent*>(event)->Opening() == m_opening)
        QueueOne();
    return true;
}
