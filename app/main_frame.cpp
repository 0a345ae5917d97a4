#include "main_frame.h"

#include "hearing_loss_menu.h"
#include "live_menu.h"
#include "live_mode.h"
#include "own_recordings.h"
#include "sonafel_app.h"
#include "splash_wnd.h"
#include "view_menu.h"

#include <QMenuBar>
#include <QScreen>

CMainFrame::CMainFrame(CSonafelApp& app, CSourceBank& sources) : m_view(sources)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Sonafel - Auralith - Quorvale"));

    QMenu* const file = menuBar()->addMenu(QStringLiteral("&File"));
    auto* const own = new COwnRecordings(sources, m_view, this);
    const char* const ownEntries[kSourceCount] = {"Eigene &Sprache…", "Eigene &Musik…", "Eigene &Hintergrundgeräusche…"};
    for (int source = 0; source < kSourceCount; ++source)
        file->addAction(QString::fromUtf8(ownEntries[source]), own, [own, source] { own->Choose(source); });
    file->addAction(QStringLiteral("Mitgelieferte &Aufnahmen"), own, &COwnRecordings::RestoreBundled);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    m_view.SetDropHandler([own](int source, const QString& path) { own->Load(source, path); });
    own->RestoreRemembered();
    new CHearingLossMenu(*menuBar(), m_view, this);
    new CViewMenu(*menuBar(), m_view);
    m_live = new CLiveMenu(*menuBar(), m_view, sources, app, this);
    QMenu* const help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* const manual = help->addAction(QStringLiteral("A&nleitung"), this, &CMainFrame::ShowManual);
    manual->setShortcut(QKeySequence::HelpContents);
    help->addSeparator();
    QAction* const homePage = help->addAction(QStringLiteral("Sonafel Home Page"), &app, &CSonafelApp::OpenHomePage);
    homePage->setStatusTip(QStringLiteral("Open Sonafel Home Page on the Web"));
    help->addAction(QStringLiteral("&About Sonafel..."), &app, &CSonafelApp::ShowAboutBox);

    // The view fills the client area and takes the keyboard focus.
    setCentralWidget(&m_view);
    setFocusProxy(&m_view);
    resize(1020, 700 + menuBar()->sizeHint().height());
    CSplashWnd::OpenSplash(this);
}

CMainFrame::~CMainFrame()
{
    delete m_manual;  // it has no parent to take it along
    m_live->Mode().Shutdown();
}

void CMainFrame::ShowManual()
{
    // One window, raised again when it is open already.
    if (!m_manual) {
        // A window of its own, beside the spectrum rather than over it.
        m_manual = new CManualWindow;
        m_manual->setAttribute(Qt::WA_DeleteOnClose);
        if (const QScreen* const screen = this->screen())
            m_manual->move(CManualWindow::BesidePosition(frameGeometry(), m_manual->frameGeometry().size(),
                                                         screen->availableGeometry()));
    }
    m_manual->show();
    m_manual->raise();
    m_manual->activateWindow();
}
