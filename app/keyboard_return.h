#pragma once

class QWidget;

// After a dialog and a question over it have gone at once, a window manager
// may leave the keyboard with no window (openbox falls back to the dialog,
// already gone): `window` takes it back, with `focus` focused, now and once
// more when the window manager has settled.
void ReturnKeyboard(QWidget* window, QWidget& focus);
