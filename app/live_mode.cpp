#include "live_mode.h"

#include "audio_devices.h"
#include "live_open_message.h"
#include "child_view.h"
#include "source_bank.h"
#include "wave_out_choice.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

#include <cmath>
#include <string>
#include <utility>

namespace {

const char* const kHeadphonesKey = "live/headphonesConfirmed";
constexpr int kTickMs = 10;  // settings reach the sound thread this often, at most

}  // namespace

CLiveMode::CLiveMode(CChildView& view, CSourceBank& sources, QAction& action, QWidget* dialogParent)
    : QObject(&action), m_view(view), m_sources(sources), m_action(action), m_dialogParent(dialogParent)
{
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CLiveMode::Tick);
}

CLiveMode::~CLiveMode()
{
    Shutdown();
}

void CLiveMode::Shutdown()
{
    Stop(false);
}

CLiveMode::Posted CLiveMode::Current() const
{
    return {m_view.Processor().Settings(),
            m_sources.Serial(0),
            {m_view.Processor().m_fHighFreqGain, m_view.Processor().m_fHighFreqGain + CLossProcessor::kFrameSize}};
}

double CLiveMode::LatencyMs() const
{
    const double chain = static_cast<double>(CLossProcessor::kLiveDelay) / CLossProcessor::kSampleRate;
    return 1000.0 * ((m_stream ? m_stream->DeviceLatency() : 0.0) + chain);
}

void CLiveMode::Switch(bool on)
{
    if (on && !m_stream && ConfirmHeadphones())
        Start();
    else if (!on)
        Stop(true);
    m_action.setChecked(m_stream != nullptr);
}

void CLiveMode::Restart()
{
    Stop(false);
    Start();
    m_action.setChecked(m_stream != nullptr);
}

bool CLiveMode::ConfirmHeadphones()
{
    QSettings settings;
    if (settings.value(QLatin1String(kHeadphonesKey)).toBool())
        return true;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Mikrofon (live)"),
                    QStringLiteral("Bitte Kopfhörer aufsetzen."), QMessageBox::NoButton, m_dialogParent);
    box.setInformativeText(QString::fromUtf8(
        "Der Klang des Mikrofons wird mit dem Hörverlust verarbeitet und sofort wiedergegeben. Aus "
        "Lautsprechern gelangt er zurück ins Mikrofon und pfeift (Rückkopplung); der Ausgang wird dann "
        "stummgeschaltet."));
    QPushButton* const go = box.addButton(QStringLiteral("Kopfhörer sind auf"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() != go)
        return false;
    settings.setValue(QLatin1String(kHeadphonesKey), true);
    return true;
}

void CLiveMode::Start()
{
    // The recordings' device lets go of the output before live sound takes it.
    m_view.SetLive(true);
    m_engine = std::make_shared<CLiveEngine>();
    m_posted = Current();
    m_engine->Post(std::make_unique<CLiveSettings>(m_view.Processor()));
    auto stream = MakeLiveStream();
    LiveOpenError error;
    if (!stream->Open(m_engine, CLossProcessor::kHop, LoadAudioDevices(), error)) {
        m_engine.reset();
        m_view.SetLive(false);
        QMessageBox::warning(m_dialogParent, QStringLiteral("Mikrofon (live)"), LiveOpenMessage(error));
        return;
    }
    m_stream = std::move(stream);
    m_view.SetLiveStatus(QStringLiteral("Live · %1 ms").arg(std::lround(LatencyMs())), false);
    m_timer.start();
}

void CLiveMode::Stop(bool resumeRecordings)
{
    if (!m_stream)
        return;
    m_timer.stop();
    m_stream->Close();
    m_stream.reset();
    m_engine.reset();  // a stream given up keeps its own hold on it
    if (QMessageBox* const box = std::exchange(m_mutedBox, nullptr)) {
        box->disconnect(this);
        box->deleteLater();
    }
    if (resumeRecordings)
        m_view.SetLive(false);
}

void CLiveMode::Tick()
{
    m_engine->Reclaim();
    Posted now = Current();
    if (!(now == m_posted)) {
        m_engine->Post(std::make_unique<CLiveSettings>(m_view.Processor()));
        m_posted = std::move(now);
    }
    LiveBands bands;
    if (m_engine->LatestBands(bands)) {
        m_view.Processor().ShowBands(bands.left, bands.right, bands.stereo);
        m_view.ShowLiveSplLevels(bands.splPeak);
        m_view.update();
    }
    if (m_engine->Muted() && !m_mutedBox)
        ShowMuted();
}

void CLiveMode::ShowMuted()
{
    m_view.SetLiveStatus(QStringLiteral("Live · stumm: Rückkopplung"), true);
    m_mutedBox = new QMessageBox(QMessageBox::Warning, QStringLiteral("Mikrofon (live)"),
                                 QStringLiteral("Der Ausgang ist stumm."), QMessageBox::NoButton, m_dialogParent);
    m_mutedBox->setInformativeText(QString::fromUtf8(
        "Der Klang lag eine Sekunde lang am Begrenzer (100 dB SPL): wohl Rückkopplung vom Lautsprecher ins "
        "Mikrofon. Bitte Kopfhörer benutzen oder leiser stellen."));
    QPushButton* const again = m_mutedBox->addButton(QStringLiteral("Wieder einschalten"), QMessageBox::AcceptRole);
    m_mutedBox->addButton(QStringLiteral("Live beenden"), QMessageBox::RejectRole);
    connect(m_mutedBox, &QMessageBox::finished, this, [this, again] {
        const bool unmute = m_mutedBox->clickedButton() == again;
        m_mutedBox->deleteLater();
        m_mutedBox = nullptr;
        if (unmute) {
            m_engine->Unmute();
            m_view.SetLiveStatus(QStringLiteral("Live · %1 ms").arg(std::lround(LatencyMs())), false);
        } else {
            Switch(false);
        }
    });
    m_mutedBox->open();
}
