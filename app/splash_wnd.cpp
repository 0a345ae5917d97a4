#include "splash_wnd.h"

#include "closing_stroke.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

CSplashWnd* g_pSplashWnd = nullptr;
int g_bSplashEnabled = 0;

void CSplashWnd::SetSplashEnabled(bool enabled)
{
    g_bSplashEnabled = enabled ? 1 : 0;
}

void CSplashWnd::OpenSplash(QWidget* parent)
{
    if (!g_bSplashEnabled || g_pSplashWnd)
        return;
    g_pSplashWnd = new CSplashWnd(parent);
    if (!g_pSplashWnd->CreateSplashWindow()) {
        delete g_pSplashWnd;  // no splash, and no message
        return;
    }
    g_pSplashWnd->repaint();  // on the screen before start-up goes on
}

CSplashWnd::CSplashWnd(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_timer(this)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);  // five seconds, not up to 5 % less
    connect(&m_timer, &QTimer::timeout, this, &CSplashWnd::CloseSplash);
}

CSplashWnd::~CSplashWnd()
{
    // A closed splash is deleted later; by then another may be up.
    if (g_pSplashWnd == this)
        g_pSplashWnd = nullptr;
}

bool CSplashWnd::CreateSplashWindow()
{
    if (!m_picture.load(QStringLiteral(":/res/splash.bmp")))
        return false;
    setFixedSize(m_picture.size());
    // Centred on the work area of the screen; the main frame is not yet shown.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        QRect frame(QPoint(0, 0), m_picture.size());
        frame.moveCenter(area.center());
        if (frame.right() > area.right())
            frame.moveRight(area.right());
        if (frame.bottom() > area.bottom())
            frame.moveBottom(area.bottom());
        if (frame.left() < area.left())
            frame.moveLeft(area.left());
        if (frame.top() < area.top())
            frame.moveTop(area.top());
        move(frame.topLeft());
    }
    if (QWidget* const owner = parentWidget())
        owner->installEventFilter(this);
    show();
    m_timer.start(5000);
    return true;
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate))
        KeepAboveOwner();
    return QWidget::eventFilter(watched, event);
}

// Owned by the main frame and above it, but not above other programs nor the
// start-up's message boxes. The owner is named once its window exists, and
// the splash is raised again once the window manager has put the owner up.
void CSplashWnd::KeepAboveOwner()
{
    QWidget* const owner = parentWidget();
    QWindow* const own = windowHandle();
    if (!owner || !own)
        return;
    owner->winId();
    own->setTransientParent(nullptr);
    own->setTransientParent(owner->windowHandle());
    raise();
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void CSplashWnd::CloseSplash()
{
    QWidget* const owner = parentWidget();
    g_pSplashWnd = nullptr;
    close();  // the object deletes itself; nothing of it is used after this
    // What lay under the splash is redrawn at once.
    if (owner)
        owner->repaint();
}

bool CSplashWnd::FilterSplashInput(QEvent* event, CClosingStroke& closingStroke)
{
    if (closingStroke.Swallow(event)) {
        event->accept();  // a claimed shortcut override keeps the menu's mnemonics out
        return true;
    }
    if (!g_pSplashWnd)
        return false;
    bool input = false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Qt offers a key press to the shortcuts and the menu bar's mnemonics
        // before it delivers it. Claiming it for the focus widget keeps them
        // out; the key press itself follows and closes the splash.
        event->accept();
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        closingStroke.Begin(key);
        input = true;
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: {
        const Qt::MouseButton button = static_cast<const QMouseEvent*>(event)->button();
        input = button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
        break;
    }
    default:
        break;
    }
    if (input)
        g_pSplashWnd->CloseSplash();
    return input;
}
