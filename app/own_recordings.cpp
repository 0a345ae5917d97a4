#include "own_recordings.h"

#include "child_view.h"
#include "remembered_choices.h"
#include "recording_location.h"
#include "wave_loader.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <new>
#include <thread>

namespace {

const char* const kTitles[kSourceCount] = {"Eigene Sprache", "Eigene Musik", "Eigene Hintergrundgeräusche"};

// What went wrong and what can be done, in German; the library's or the
// loader's own words follow in parentheses.
QString Refusal(const QString& path, const LoadedSound& sound, const SoundFileRefusal& refusal)
{
    const QString file = QStringLiteral("„%1“").arg(path);
    QString what;
    switch (refusal.problem) {
    case SoundFileProblem::Unreadable:
        what = QStringLiteral("%1 lässt sich nicht als Aufnahme öffnen: die Datei fehlt, ist nicht lesbar oder "
                              "in einem unbekannten Format. Wählen Sie eine Tondatei wie WAV, FLAC, Ogg oder MP3.")
                   .arg(file);
        break;
    case SoundFileProblem::Layout:
        what = QStringLiteral("%1 hat %2 bei %3 Hz. Eine Aufnahme darf 1 bis %4 Kanäle bei %5 bis %6 Hz haben.")
                   .arg(file,
                        sound.sourceChannels == 1 ? QStringLiteral("einen Kanal")
                                                  : QStringLiteral("%1 Kanäle").arg(sound.sourceChannels),
                        QString::number(sound.sourceRate), QString::number(kMaxOwnRecordingChannels),
                        QString::number(kLowestOwnRecordingRate), QString::number(kHighestOwnRecordingRate));
        break;
    case SoundFileProblem::TooLong:
        what = QStringLiteral("%1 dauert länger als %2 Minuten. Kürzen Sie die Aufnahme.")
                   .arg(file, QString::number(kMaxOwnRecordingSeconds / 60));
        break;
    case SoundFileProblem::Damaged:
        what = QStringLiteral("%1 ist beschädigt und lässt sich nicht ganz lesen.").arg(file);
        break;
    case SoundFileProblem::NoSound:
        what = QStringLiteral("%1 enthält keinen Ton.").arg(file);
        break;
    case SoundFileProblem::Silent:
        what = QStringLiteral("%1 ist völlig still: es gibt darin nichts zu hören.").arg(file);
        break;
    case SoundFileProblem::None:
    case SoundFileProblem::Stopped:
        what = QStringLiteral("%1 ließ sich nicht laden.").arg(file);
        break;
    }
    // In parentheses only the library's own words (an unreadable file), or
    // ours when nothing else names the problem: the rest the German says.
    const bool library = refusal.problem == SoundFileProblem::Unreadable;
    const bool unnamed = refusal.problem == SoundFileProblem::None;
    what += QStringLiteral("\nDie bisherige Aufnahme spielt weiter.");
    if (library || unnamed)
        what += QStringLiteral("\n(%1)").arg(QString::fromStdString(refusal.reason));
    return what;
}

}  // namespace

COwnRecordings::COwnRecordings(CSourceBank& sources, CChildView& view, QWidget* parent)
    : QObject(parent), m_sources(sources), m_view(view), m_parent(parent), m_poll(new QTimer(this))
{
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &COwnRecordings::Poll);
}

COwnRecordings::~COwnRecordings()
{
    // Closing does not wait: the thread stops at its next piece and lets go
    // of the job itself.
    if (m_job)
        m_job->cancel = true;
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
    m_loadingPath = path;
    m_quiet = false;
    m_job = std::make_shared<Job>();
    std::thread([job = m_job, target = kSourceTargetPeak[source], file = path.toStdString()] {
        // Nothing may leave the thread: a failure is reported as any other.
        std::string failure;
        try {
            std::string error;
            job->loaded = LoadSoundFile(file, target, job->sound, error, [&job](double share) {
                job->permille = static_cast<int>(share * 1000);
                return !job->cancel.load();
            }, &job->refusal);
        } catch (const std::bad_alloc&) {
            failure = "zu wenig Arbeitsspeicher";
        } catch (...) {
            failure = "unerwarteter Fehler beim Dekodieren";
        }
        if (!failure.empty()) {
            job->loaded = false;
            job->sound = LoadedSound{};
            job->refusal = {SoundFileProblem::None, failure};
        }
        job->done = true;
    }).detach();
    // Shown only when the file takes more than a moment.
    m_progress = new QProgressDialog(QStringLiteral("„%1“ wird geladen…").arg(path), QStringLiteral("Abbrechen"), 0,
                                     1000, m_parent);
    m_progress->setWindowTitle(QString::fromUtf8(kTitles[source]));
    m_progress->setMinimumDuration(500);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_progress, &QProgressDialog::canceled, this, [job = m_job] { job->cancel = true; });
    m_poll->start();
    return true;
}

void COwnRecordings::Poll()
{
    if (m_progress)
        m_progress->setValue(std::min(999, m_job->permille.load()));
    if (m_job->done)
        Finish();
}

void COwnRecordings::Finish()
{
    m_poll->stop();
    const std::shared_ptr<Job> job = std::move(m_job);
    const bool stopped = job->cancel;  // closing the progress window reports a cancel too
    if (m_progress)
        m_progress->close();
    if (std::exchange(m_discard, false))
        return;
    if (!job->loaded) {
        if (m_quiet)
            SaveOwnSound(m_source, QString());
        else if (!stopped)
            QMessageBox::warning(m_parent, QString::fromUtf8(kTitles[m_source]),
                                 Refusal(m_loadingPath, job->sound, job->refusal));
        LoadNextRemembered();
        return;
    }
    short* const samples = new short[job->sound.samples.size()];
    std::copy(job->sound.samples.begin(), job->sound.samples.end(), samples);
    const bool playing = m_view.Controls().SourceOn(m_source);
    m_sources.ReplaceSource(m_source, samples, static_cast<int>(job->sound.samples.size()), playing);
    m_view.SetSourceFile(m_source, m_loadingPath);
    SaveOwnSound(m_source, m_loadingPath);
    LoadNextRemembered();
}

void COwnRecordings::RestoreRemembered()
{
    for (int source = 0; source < kSourceCount; ++source) {
        const QString path = LoadOwnSound(source);
        if (path.isEmpty())
            continue;
        if (QFileInfo(path).isFile())
            m_remembered.emplace_back(source, path);
        else
            SaveOwnSound(source, QString());
    }
    LoadNextRemembered();
}

void COwnRecordings::LoadNextRemembered()
{
    if (m_remembered.empty() || Loading())
        return;
    const auto [source, path] = m_remembered.front();
    m_remembered.erase(m_remembered.begin());
    if (Load(source, path))
        m_quiet = true;
}

void COwnRecordings::RestoreBundled()
{
    // The later choice wins over recordings still waiting or being decoded.
    m_remembered.clear();
    if (m_job) {
        m_job->cancel = true;
        m_discard = true;
    }
    for (int source = 0; source < kSourceCount; ++source) {
        short* samples = nullptr;
        const int length = LoadWave(LocateRecording(kSourceFileName[source]).c_str(), &samples, kSourceTargetPeak[source]);
        if (length > 0) {
            m_sources.ReplaceSource(source, samples, length, m_view.Controls().SourceOn(source));
            m_view.SetSourceFile(source, QString());
            SaveOwnSound(source, QString());
        }
    }
    m_view.update();
}
