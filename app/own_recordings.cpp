#include "own_recordings.h"

#include "child_view.h"
#include "recording_location.h"
#include "wave_loader.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>

namespace {

const char* const kTitles[kSourceCount] = {"Eigene Sprache", "Eigene Musik", "Eigene Hintergrundgeräusche"};

}  // namespace

COwnRecordings::COwnRecordings(CSourceBank& sources, CChildView& view, QWidget* parent)
    : QObject(parent), m_sources(sources), m_view(view), m_parent(parent), m_poll(new QTimer(this))
{
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &COwnRecordings::Poll);
}

COwnRecordings::~COwnRecordings()
{
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
}

void COwnRecordings::Choose(int source)
{
    const QString path = QFileDialog::getOpenFileName(
        m_parent, QString::fromUtf8(kTitles[source]), QString(),
        QStringLiteral("Aufnahmen (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff *.au);;Alle Dateien (*)"));
    if (!path.isEmpty())
        Load(source, path);
}

bool COwnRecordings::Load(int source, const QString& path)
{
    if (Loading()) {
        QMessageBox::warning(m_parent, QString::fromUtf8(kTitles[source]),
                             QStringLiteral("Es wird noch eine Aufnahme geladen."));
        return false;
    }
    m_source = source;
    m_path = path;
    m_done = false;
    m_cancel = false;
    m_permille = 0;
    m_sound = LoadedSound{};
    m_error.clear();
    m_worker = std::thread([this, target = kSourceTargetPeak[source], file = path.toStdString()] {
        m_loaded = LoadSoundFile(file, target, m_sound, m_error, [this](double share) {
            m_permille = static_cast<int>(share * 1000);
            return !m_cancel.load();
        });
        m_done = true;
    });
    // Shown only when the file takes more than a moment.
    m_progress = new QProgressDialog(QStringLiteral("„%1“ wird geladen…").arg(path), QStringLiteral("Abbrechen"), 0,
                                     1000, m_parent);
    m_progress->setWindowTitle(QString::fromUtf8(kTitles[source]));
    m_progress->setMinimumDuration(500);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_progress, &QProgressDialog::canceled, this, [this] { m_cancel = true; });
    m_poll->start();
    return true;
}

void COwnRecordings::Poll()
{
    if (m_progress)
        m_progress->setValue(std::min(999, m_permille.load()));
    if (m_done)
        Finish();
}

void COwnRecordings::Finish()
{
    m_poll->stop();
    m_worker.join();
    const bool stopped = m_cancel;  // closing the progress window reports a cancel too
    if (m_progress)
        m_progress->close();
    if (!m_loaded) {
        if (!stopped)
            QMessageBox::warning(m_parent, QString::fromUtf8(kTitles[m_source]),
                                 QString::fromStdString(m_error) +
                                     QStringLiteral("\nDie bisherige Aufnahme spielt weiter."));
        return;
    }
    short* const samples = new short[m_sound.samples.size()];
    std::copy(m_sound.samples.begin(), m_sound.samples.end(), samples);
    m_sources.ReplaceSource(m_source, samples, static_cast<int>(m_sound.samples.size()));
    m_sound = LoadedSound{};
    m_view.update();
}

void COwnRecordings::RestoreBundled()
{
    for (int source = 0; source < kSourceCount; ++source) {
        short* samples = nullptr;
        const int length = LoadWave(LocateRecording(kSourceFileName[source]).c_str(), &samples, kSourceTargetPeak[source]);
        if (length > 0)
            m_sources.ReplaceSource(source, samples, length);
    }
    m_view.update();
}
