#include "main_frame.h"

#include "hearing_loss_menu.h"
#include "sonafel_app.h"
#include "splash_wnd.h"

#include <QMenuBar>

CMainFrame::CMainFrame(CSonafelApp& app, CSourceBank& sources) : m_view(sources)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Sonafel - Auralith - Quorvale"));

    QMenu* const file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    new CHearingLossMenu(*menuBar(), m_view, this);
    QMenu* const help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* const homePage = help->addAction(QStringLiteral("Sonafel Home Page"), &app, &CSonafelApp::OpenHomePage);
    homePage->setStatusTip(QStringLiteral("Open Sonafel Home Page on the Web"));
    help->addAction(QStringLiteral("&About Sonafel..."), &app, &CSonafelApp::ShowAboutBox);

    // The view fills the client area and takes the keyboard focus.
    setCentralWidget(&m_view);
    setFocusProxy(&m_view);
    resize(1020, 700 + menuBar()->sizeHint().height());
    CSplashWnd::OpenSplash(this);
}
