#pragma once

#include "sound_file_loader.h"
#include "source_bank.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>
#include <utility>
#include <vector>

class CChildView;
class QProgressDialog;
class QTimer;
class QWidget;

// The user's own recordings in place of the bundled ones: a file is decoded
// on a thread of its own (with a progress window when it takes a moment), and
// the new recording fades in between two blocks while sound plays. A file
// that cannot be used is named with the reason, and the current recording
// plays on.
class COwnRecordings : public QObject {
public:
    COwnRecordings(CSourceBank& sources, CChildView& view, QWidget* parent);
    ~COwnRecordings() override;

    // Asks for a file for a source (0 speech, 1 music, 2 noise) and loads it.
    void Choose(int source);
    // Loads a file for a source; false when another is still loading.
    bool Load(int source, const QString& path);
    // The bundled recordings again, for every source.
    void RestoreBundled();
    // The own recordings of the last run, one after another, where their
    // files are still there; the others are forgotten without a word.
    void RestoreRemembered();

    bool Loading() const { return m_job != nullptr; }

private:
    // One decoding, shared by the window and its thread: the window may
    // close while the thread still reads, and the thread then finishes alone.
    struct Job {
        std::atomic<bool> done{false};
        std::atomic<bool> cancel{false};
        std::atomic<int> permille{0};
        LoadedSound sound;
        bool loaded = false;
        SoundFileRefusal refusal;  // no problem named: memory or an unexpected failure
    };

    void Poll();
    void Finish();
    // Starts the next remembered recording, if one is waiting.
    void LoadNextRemembered();

    CSourceBank& m_sources;
    CChildView& m_view;
    QWidget* m_parent;
    QTimer* m_poll;
    QPointer<QProgressDialog> m_progress;

    std::shared_ptr<Job> m_job;  // null: nothing is loading
    int m_source = 0;
    QString m_loadingPath;
    bool m_quiet = false;                       // a remembered recording: no message if it fails
    bool m_discard = false;                     // the bundled recordings were chosen meanwhile
    std::vector<std::pair<int, QString>> m_remembered;  // still to load, by source
};
