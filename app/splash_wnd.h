#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

class CClosingStroke;
class QEvent;

// The picture shown at start-up for five seconds, or until a key or a mouse
// button is pressed anywhere in the program; that input is used up.
class CSplashWnd : public QWidget {
public:
    static void SetSplashEnabled(bool enabled);
    // Shows the splash over `parent` (the main frame) if wanted and not yet up.
    static void OpenSplash(QWidget* parent);
    // For every input event of the program while the splash is up: true when
    // the event closed the splash and must go no further. `closingStroke`
    // keeps the rest of the key stroke that closed it from going further too.
    static bool FilterSplashInput(QEvent* event, CClosingStroke& closingStroke);

    void CloseSplash();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CSplashWnd(QWidget* parent);
    ~CSplashWnd() override;
    bool CreateSplashWindow();
    void KeepAboveOwner();

    QPixmap m_picture;
    QTimer m_timer;
};

extern CSplashWnd* g_pSplashWnd;
extern int g_bSplashEnabled;
