#pragma once

#include "closing_stroke.h"
#include "source_bank.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>

#include <memory>

class CMainFrame;
class IWaveOutDevice;

// The application: starts and ends the program, owns the recordings and the
// sound device, and lets the splash screen look at every input event first.
class CSonafelApp : public QApplication, public CSourceBank {
public:
    CSonafelApp(int& argc, char** argv);
    ~CSonafelApp() override;

    // Start-up: the main frame with its view and splash, the recordings, the
    // window shown. `arguments` is the command line after the program name.
    bool InitInstance(const QStringList& arguments);
    // Shut-down, after the event loop has ended.
    int ExitInstance();

    // The output chosen in "Audiogeräte…" for the recordings: the player
    // starts again on it if it is playing.
    void UseAudioDevices();

    void ShowAboutBox();
    void OpenHomePage();

    // The splash flag of a command line: on unless it carries the flag
    // "Embedding" or "Automation" after "-" or "/", in any letter case.
    static bool SplashWanted(const QStringList& arguments);

    // The main frame while its window exists.
    CMainFrame* MainFrame() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<IWaveOutDevice> m_device;
    QPointer<CMainFrame> m_pMainFrame;
    CClosingStroke m_closingStroke;
};
