#include "keyboard_return.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kSettleMs = 150;

void Activate(QWidget* window, QWidget* focus)
{
    window->activateWindow();
    focus->setFocus(Qt::OtherFocusReason);
}

}  // namespace

void ReturnKeyboard(QWidget* window, QWidget& focus)
{
    if (!window)
        return;
    Activate(window, &focus);
    QTimer::singleShot(kSettleMs, window, [window = QPointer<QWidget>(window), focus = QPointer<QWidget>(&focus)] {
        if (window && focus && !QApplication::activeWindow() && !QApplication::activeModalWidget())
            Activate(window, focus);
    });
}
