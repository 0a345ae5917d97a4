#include "sonafel_app.h"

#include "about_dlg.h"
#include "audio_devices.h"
#include "home_page.h"
#include "main_frame.h"
#include "mem_play.h"
#include "qt_translations.h"
#include "recording_location.h"
#include "report.h"
#include "splash_wnd.h"
#include "wave_out_choice.h"

#include <QDesktopServices>
#include <QIcon>
#include <QMessageBox>
#include <QUrl>

#include <string>

namespace {

const char* const kTitle = "Sonafel - Auralith - Quorvale";

}  // namespace

CSonafelApp::CSonafelApp(int& argc, char** argv) : QApplication(argc, argv)
{
    Q_INIT_RESOURCE(sonafel);  // the resources live in a static library
    setApplicationName(QString::fromLatin1(kTitle));
    setOrganizationName(QStringLiteral("Tessadyn"));
    setWindowIcon(QIcon(QStringLiteral(":/res/sonafel.ico")));
    LoadQtGerman(*this);
}

CSonafelApp::~CSonafelApp() = default;

bool CSonafelApp::SplashWanted(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1Char('/')))
            continue;
        const QString flag = argument.mid(1);
        if (flag.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0 ||
            flag.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

bool CSonafelApp::InitInstance(const QStringList& arguments)
{
    CSplashWnd::SetSplashEnabled(SplashWanted(arguments));
    // Failures are shown in a warning box, unless someone already listens.
    if (ReportHook previous = SetReportHook(nullptr))
        SetReportHook(previous);
    else
        SetReportHook([](const std::string& message) {
            QMessageBox::warning(nullptr, QString::fromLatin1(kTitle), QString::fromStdString(message), QMessageBox::Ok);
        });
    installEventFilter(this);
    m_device = MakeWaveOutDevice();
    m_device->SetOutputDevice(LoadAudioDevices().output);
    g_memPlay.SetDevice(m_device.get());

    m_pMainFrame = new CMainFrame(*this, *this);
    const std::string located[kSourceCount] = {LocateRecording(kSourceFileName[0]), LocateRecording(kSourceFileName[1]),
                                               LocateRecording(kSourceFileName[2])};
    const char* const files[kSourceCount] = {located[0].c_str(), located[1].c_str(), located[2].c_str()};
    LoadSources(files);
    m_pMainFrame->show();
    m_pMainFrame->setWindowIcon(windowIcon());
    m_pMainFrame->repaint();
    return true;
}

int CSonafelApp::ExitInstance()
{
    if (g_memPlay.m_bOpen)
        g_memPlay.Close();
    g_memPlay.SetDevice(nullptr);
    m_device.reset();
    FreeSources();
    removeEventFilter(this);
    return 0;
}

void CSonafelApp::UseAudioDevices()
{
    m_device->SetOutputDevice(LoadAudioDevices().output);
    if (!g_memPlay.m_bOpen || !m_pMainFrame)
        return;
    g_memPlay.Close();
    m_pMainFrame->View().Processor().ControlPlayback(m_pMainFrame->View().Poster());
}

CMainFrame* CSonafelApp::MainFrame() const
{
    return m_pMainFrame;
}

bool CSonafelApp::eventFilter(QObject* watched, QEvent* event)
{
    if (CSplashWnd::FilterSplashInput(event, m_closingStroke))
        return true;
    return QApplication::eventFilter(watched, event);
}

void CSonafelApp::ShowAboutBox()
{
    CAboutDlg about(m_pMainFrame);
    about.exec();
}

void CSonafelApp::OpenHomePage()
{
    if (!QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePageUrl))))
        QMessageBox::information(m_pMainFrame, QStringLiteral("Sonafel Home Page"),
                                 QStringLiteral("Es ließ sich kein Web-Browser öffnen. Die Seite ist %1")
                                     .arg(QString::fromLatin1(kHomePageUrl)));
}
